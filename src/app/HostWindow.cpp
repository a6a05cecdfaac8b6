// SPDX-License-Identifier: MIT
#include "HostWindow.h"

#include <QVBoxLayout>

HostWindow::HostWindow(QWidget* content, const QString& title)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
    , m_content(content)
{
    setWindowTitle(title);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    // The view decides the size, also when it changes (a settings tab switch).
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(content);
}

void HostWindow::centreOn(const QRect& area)
{
    adjustSize();
    move(area.center() - QPoint(width() / 2, height() / 2));
}

void HostWindow::present()
{
    show();
    raise();
    activateWindow();
}
