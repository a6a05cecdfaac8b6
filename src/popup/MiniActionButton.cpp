// SPDX-License-Identifier: MIT
#include "MiniActionButton.h"

#include "Appearance.h"
#include "Symbols.h"

#include <QPainter>
#include <QPainterPath>

namespace {

constexpr qreal kSymbolSize = 9;
constexpr int kInset = 3;
constexpr qreal kCornerRadius = 4;

} // namespace

MiniActionButton::MiniActionButton(
    const QString& symbol, const QString& help, std::function<void()> action, QWidget* parent)
    : QAbstractButton(parent)
    , m_symbol(symbol)
    , m_action(std::move(action))
{
    setToolTip(help);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setFocusPolicy(Qt::NoFocus);
    connect(this, &QAbstractButton::clicked, this, [this] {
        if (m_action)
            m_action();
    });
}

QSize MiniActionButton::sizeHint() const
{
    const int side = Appearance::symbolPixels(kSymbolSize) + 2 * kInset;
    return { side, side };
}

void MiniActionButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (m_isHovering) {
        QPainterPath background;
        background.addRoundedRect(QRectF(rect()), kCornerRadius, kCornerRadius);
        painter.fillPath(background, Appearance::foreground(Appearance::Emphasis::quaternary, palette()));
    }
    QColor color = Appearance::foreground(Appearance::Emphasis::primary, palette());
    if (isDown())
        color.setAlphaF(color.alphaF() * 0.5);
    const int pixels = Appearance::symbolPixels(kSymbolSize);
    painter.drawPixmap(QPointF((width() - pixels) / 2.0, (height() - pixels) / 2.0),
        Symbols::pixmap(m_symbol, pixels, color, devicePixelRatioF()));
}

void MiniActionButton::enterEvent(QEnterEvent* event)
{
    m_isHovering = true;
    update();
    QAbstractButton::enterEvent(event);
}

void MiniActionButton::leaveEvent(QEvent* event)
{
    m_isHovering = false;
    update();
    QAbstractButton::leaveEvent(event);
}

void MiniActionButton::hideEvent(QHideEvent* event)
{
    // A hidden button hears no leave; it must not come back highlighted.
    m_isHovering = false;
    QAbstractButton::hideEvent(event);
}
