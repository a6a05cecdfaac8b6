// SPDX-License-Identifier: MIT
#include "SymbolButton.h"

#include "Symbols.h"

#include <QPainter>

SymbolButton::SymbolButton(const QString& symbol, qreal textSize, QWidget* parent)
    : QAbstractButton(parent)
    , m_symbol(symbol)
    , m_pixels(Appearance::symbolPixels(textSize))
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setFocusPolicy(Qt::NoFocus);
}

SymbolButton::SymbolButton(
    const QString& symbol, qreal textSize, Appearance::Emphasis emphasis, QWidget* parent)
    : SymbolButton(symbol, textSize, parent)
{
    m_emphasis = emphasis;
}

QSize SymbolButton::sizeHint() const
{
    // A couple of pixels around the glyph make it easier to hit.
    return { m_pixels + 4, m_pixels + 4 };
}

void SymbolButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    QColor color
        = m_emphasis ? Appearance::foreground(*m_emphasis, palette()) : Appearance::accent(palette());
    if (isDown())
        color.setAlphaF(color.alphaF() * 0.5);
    const QPixmap glyph = Symbols::pixmap(m_symbol, m_pixels, color, devicePixelRatioF());
    painter.drawPixmap(QPointF((width() - m_pixels) / 2.0, (height() - m_pixels) / 2.0), glyph);
}
