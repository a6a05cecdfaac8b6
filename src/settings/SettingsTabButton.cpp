// SPDX-License-Identifier: MIT
#include "SettingsTabButton.h"

#include "Appearance.h"
#include "Symbols.h"

#include <QPainter>
#include <QPainterPath>

SettingsTabButton::SettingsTabButton(const QString& title, const QString& symbol, QWidget* parent)
    : QAbstractButton(parent)
    , m_symbol(symbol)
{
    setText(title);
    setToolTip(title);
    setCheckable(true);
    setFixedSize(sizeHint());
    setCursor(Qt::PointingHandCursor);
}

QSize SettingsTabButton::sizeHint() const
{
    return { 88, 58 };
}

void SettingsTabButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor colour = isChecked() ? Appearance::accent(palette())
                                      : Appearance::foreground(Appearance::Emphasis::secondary, palette());
    if (isChecked()) {
        QColor plate = Appearance::accent(palette());
        plate.setAlphaF(0.16);
        QPainterPath path;
        path.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 16, 16);
        painter.fillPath(path, plate);
    }
    const QFont caption = Appearance::font(Appearance::TextStyle::caption);
    const int textHeight = QFontMetrics(caption).height();
    const int symbolSize = qRound(Appearance::pixels(22));
    const int spacing = 5;
    const int top = (height() - symbolSize - spacing - textHeight) / 2;
    painter.drawPixmap(
        (width() - symbolSize) / 2, top, Symbols::pixmap(m_symbol, symbolSize, colour, devicePixelRatioF()));
    painter.setFont(caption);
    painter.setPen(colour);
    painter.drawText(QRect(0, top + symbolSize + spacing, width(), textHeight), Qt::AlignCenter, text());
}
