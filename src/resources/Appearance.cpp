// SPDX-License-Identifier: MIT
#include "Appearance.h"

#include <QApplication>
#include <QFontDatabase>
#include <QPalette>
#include <QScreen>
#include <cmath>

namespace Appearance {

namespace {

    constexpr qreal kBodySize = 13;

    struct StyleMetrics {
        qreal size;
        QFont::Weight weight;
    };

    StyleMetrics metrics(TextStyle style)
    {
        switch (style) {
        case TextStyle::headline:
            return { 13, QFont::Bold };
        case TextStyle::title3:
            return { 15, QFont::Normal };
        case TextStyle::body:
            return { 13, QFont::Normal };
        case TextStyle::callout:
            return { 12, QFont::Normal };
        case TextStyle::subheadline:
            return { 11, QFont::Normal };
        case TextStyle::caption:
            return { 10, QFont::Normal };
        case TextStyle::caption2:
            return { 10, QFont::Normal };
        }
        return { kBodySize, QFont::Normal };
    }

    QFont scaled(QFont font, qreal size)
    {
        const qreal factor = size / kBodySize;
        if (font.pointSizeF() > 0)
            font.setPointSizeF(font.pointSizeF() * factor);
        else
            font.setPixelSize(std::max(1, int(std::lround(font.pixelSize() * factor))));
        return font;
    }

    qreal bodyPixels()
    {
        const QFont base = QApplication::font();
        if (base.pointSizeF() <= 0)
            return base.pixelSize();
        const QScreen* screen = QGuiApplication::primaryScreen();
        const qreal dpi = screen ? screen->logicalDotsPerInchY() : 96.0;
        return base.pointSizeF() * dpi / 72.0;
    }

    QColor withAlpha(QColor color, qreal alpha)
    {
        color.setAlphaF(alpha);
        return color;
    }

} // namespace

QFont font(TextStyle style)
{
    return font(style, metrics(style).weight);
}

QFont font(TextStyle style, QFont::Weight weight)
{
    return systemFont(metrics(style).size, weight);
}

QFont monospacedFont(TextStyle style)
{
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    const QFont base = QApplication::font();
    // The fixed family at the size of the application font, so both scale alike.
    if (base.pointSizeF() > 0)
        fixed.setPointSizeF(base.pointSizeF());
    else
        fixed.setPixelSize(base.pixelSize());
    fixed = scaled(fixed, metrics(style).size);
    fixed.setWeight(metrics(style).weight);
    return fixed;
}

QFont systemFont(qreal size, QFont::Weight weight)
{
    QFont result = scaled(QApplication::font(), size);
    result.setWeight(weight);
    return result;
}

qreal pixels(qreal size)
{
    return bodyPixels() * size / kBodySize;
}

int symbolPixels(qreal size)
{
    // A symbol set in a font stands a little taller than the font's x-height
    // and about as tall as its capitals with ascenders.
    return std::max(6, int(std::lround(pixels(size) * 1.15)));
}

bool isDark(const QPalette& palette)
{
    return palette.color(QPalette::Window).lightness() < 128;
}

QColor foreground(Emphasis emphasis, const QPalette& palette)
{
    const QColor text = palette.color(QPalette::WindowText);
    switch (emphasis) {
    case Emphasis::primary:
        return text;
    case Emphasis::secondary:
        return withAlpha(text, 0.58);
    case Emphasis::tertiary:
        return withAlpha(text, 0.33);
    case Emphasis::quaternary:
        return withAlpha(text, 0.11);
    }
    return text;
}

QColor separator(const QPalette& palette)
{
    return withAlpha(palette.color(QPalette::WindowText), 0.16);
}

QColor red(const QPalette& palette)
{
    return isDark(palette) ? QColor(0xff, 0x45, 0x3a) : QColor(0xe0, 0x2a, 0x20);
}

QColor accent(const QPalette& palette)
{
    return palette.color(QPalette::Active, QPalette::Highlight);
}

QColor material(const QPalette& palette, bool translucent)
{
    QColor base = palette.color(QPalette::Window);
    base = isDark(palette) ? base.darker(112) : base.lighter(104);
    return translucent ? withAlpha(base, 0.86) : base;
}

} // namespace Appearance
