// SPDX-License-Identifier: MIT
#pragma once

#include <QColor>
#include <QFont>

class QPalette;

// The look shared by every view: text styles on a fixed scale of the
// application font, and a hierarchy of foreground colours. Lengths given to
// the functions here are on the scale on which body text is 13 units tall;
// body text itself is drawn in the application font's own size, so the whole
// popup follows the desktop's font setting.
namespace Appearance {

enum class TextStyle { headline, title3, body, callout, subheadline, caption, caption2 };

// The font of a text style, in the style's own weight or in `weight`.
QFont font(TextStyle style);
QFont font(TextStyle style, QFont::Weight weight);
// The style's size and weight in the desktop's fixed-width family.
QFont monospacedFont(TextStyle style);
// The application font at `size` units.
QFont systemFont(qreal size, QFont::Weight weight = QFont::Normal);

// `size` units in device-independent pixels.
qreal pixels(qreal size);
// The square, in device-independent pixels, of a symbol drawn beside text of
// `size` units.
int symbolPixels(qreal size);

// Foreground emphasis, from text that matters most to faint fills.
enum class Emphasis { primary, secondary, tertiary, quaternary };

QColor foreground(Emphasis emphasis, const QPalette& palette);
QColor separator(const QPalette& palette);
QColor red(const QPalette& palette);
QColor accent(const QPalette& palette);
// The popup's background. Translucent only where the window system blends
// windows with what lies below them; elsewhere an alpha channel would show
// as black, so the colour is opaque.
QColor material(const QPalette& palette, bool translucent);

// Whether the palette is a dark one.
bool isDark(const QPalette& palette);

} // namespace Appearance
