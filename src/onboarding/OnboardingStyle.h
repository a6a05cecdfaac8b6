// SPDX-License-Identifier: MIT
#pragma once

#include <QColor>
#include <QRectF>

class QPainter;
class QPalette;
class QPushButton;

// The onboarding window's own look, on top of the shared Appearance.
namespace OnboardingStyle {

// The faintest fill, behind cards and rows.
QColor quinary(const QPalette& palette);
QColor green(const QPalette& palette);
QColor withAlpha(QColor color, qreal alpha);

// A rounded rectangle filled with `fill` and outlined by a border `width`
// wide drawn inside it (no border when `border` is fully transparent).
void drawRoundedBox(QPainter& painter, const QRectF& rect, qreal radius, const QColor& fill,
    const QColor& border, qreal width);

// Prominent: filled with the accent colour; bordered: a faint grey fill;
// plain: text only, in the secondary colour.
enum class ButtonStyle { prominent, bordered, plain };
enum class ControlSize { small, regular, large };
void styleButton(QPushButton* button, ButtonStyle style, ControlSize size);

} // namespace OnboardingStyle
