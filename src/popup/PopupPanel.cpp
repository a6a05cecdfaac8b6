// SPDX-License-Identifier: MIT
#include "PopupPanel.h"

#include "DesktopSession.h"

#include <QVBoxLayout>

namespace {
constexpr Qt::WindowFlags kBaseFlags
    = Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::X11BypassWindowManagerHint;
}

PopupPanel::PopupPanel()
    : QWidget(nullptr, kBaseFlags | Qt::WindowDoesNotAcceptFocus)
{
    setObjectName(QStringLiteral("popupPanel"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    // Transparent outside the view's rounded shape only where a compositor
    // can show what is behind; elsewhere the corners would come out black.
    if (DesktopSession::isComposited())
        setAttribute(Qt::WA_TranslucentBackground);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
}

void PopupPanel::setContent(QWidget* content)
{
    if (m_content)
        layout()->removeWidget(m_content);
    m_content = content;
    layout()->addWidget(content);
}

void PopupPanel::fitToContent()
{
    if (!m_content)
        return;
    layout()->activate();
    resize(m_content->sizeHint());
}

void PopupPanel::setTakesFocus(bool takeFocus)
{
    if (takeFocus == m_takesFocus)
        return;
    m_takesFocus = takeFocus;
    // Changing window flags hides the window; present() shows it again.
    const QRect frame = geometry();
    setWindowFlags(takeFocus ? kBaseFlags : (kBaseFlags | Qt::WindowDoesNotAcceptFocus));
    setAttribute(Qt::WA_ShowWithoutActivating, !takeFocus);
    setGeometry(frame);
}

void PopupPanel::present(bool takeFocus)
{
    setTakesFocus(takeFocus);
    show();
    raise();
    if (takeFocus)
        activateWindow();
}

void PopupPanel::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    emit resized();
}
