// SPDX-License-Identifier: MIT
#include "OnboardingStyle.h"

#include "Appearance.h"

#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <QPushButton>

namespace OnboardingStyle {

QColor withAlpha(QColor color, qreal alpha)
{
    color.setAlphaF(alpha);
    return color;
}

QColor quinary(const QPalette& palette)
{
    return withAlpha(palette.color(QPalette::WindowText), 0.05);
}

QColor green(const QPalette& palette)
{
    return Appearance::isDark(palette) ? QColor(0x30, 0xd1, 0x58) : QColor(0x28, 0xa7, 0x45);
}

void drawRoundedBox(QPainter& painter, const QRectF& rect, qreal radius, const QColor& fill,
    const QColor& border, qreal width)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath shape;
    shape.addRoundedRect(rect, radius, radius);
    painter.fillPath(shape, fill);
    if (border.alpha() > 0 && width > 0) {
        const qreal inset = width / 2;
        QPainterPath edge;
        edge.addRoundedRect(rect.adjusted(inset, inset, -inset, -inset), radius - inset, radius - inset);
        QPen pen(border);
        pen.setWidthF(width);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(edge);
    }
    painter.restore();
}

void styleButton(QPushButton* button, ButtonStyle style, ControlSize size)
{
    const QPalette palette = button->palette();
    const bool large = size == ControlSize::large;
    const bool small = size == ControlSize::small;
    const QString padding = large ? QStringLiteral("6px 16px")
        : small                   ? QStringLiteral("2px 9px")
                                  : QStringLiteral("4px 12px");
    const QString radius = small ? QStringLiteral("5px") : QStringLiteral("7px");
    const QColor text = palette.color(QPalette::WindowText);
    if (style == ButtonStyle::prominent) {
        const QColor accent = Appearance::accent(palette);
        button->setStyleSheet(
            QStringLiteral("QPushButton { background: %1; color: white; border: none;"
                           " border-radius: %2; padding: %3; }"
                           "QPushButton:hover { background: %4; }"
                           "QPushButton:pressed { background: %5; }"
                           "QPushButton:disabled { background: %6; color: %7; }")
                .arg(accent.name(), radius, padding, accent.lighter(110).name(), accent.darker(115).name(),
                    withAlpha(text, 0.1).name(QColor::HexArgb), withAlpha(text, 0.35).name(QColor::HexArgb)));
    } else if (style == ButtonStyle::bordered) {
        button->setStyleSheet(QStringLiteral("QPushButton { background: %1; color: %2; border: none;"
                                             " border-radius: %3; padding: %4; }"
                                             "QPushButton:hover { background: %5; }")
                                  .arg(withAlpha(text, 0.08).name(QColor::HexArgb), text.name(), radius,
                                      padding, withAlpha(text, 0.13).name(QColor::HexArgb)));
    } else {
        button->setStyleSheet(
            QStringLiteral("QPushButton { background: transparent; color: %1; border: none; padding: %2; }"
                           "QPushButton:hover { color: %3; }")
                .arg(Appearance::foreground(Appearance::Emphasis::secondary, palette).name(QColor::HexArgb),
                    padding, text.name()));
    }
    button->setFont(Appearance::font(small ? Appearance::TextStyle::caption : Appearance::TextStyle::body,
        style == ButtonStyle::prominent ? QFont::DemiBold : QFont::Normal));
    button->setCursor(Qt::PointingHandCursor);
}

} // namespace OnboardingStyle
