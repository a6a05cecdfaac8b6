// SPDX-License-Identifier: MIT
#include "PopupPanel.h"

namespace {
constexpr Qt::WindowFlags kBaseFlags
    = Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::X11BypassWindowManagerHint;
}

PopupPanel::PopupPanel()
    : QWidget(nullptr, kBaseFlags | Qt::WindowDoesNotAcceptFocus)
{
    setObjectName(QStringLiteral("popupPanel"));
    setAttribute(Qt::WA_ShowWithoutActivating);
}

void PopupPanel::setContent(QWidget* content)
{
    m_content = content;
}

void PopupPanel::fitToContent()
{
    if (m_content)
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
