// SPDX-License-Identifier: MIT
#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QString>

// The symbol images the views name ("doc.on.doc", "speaker.wave.2.fill"...).
// Each comes from the desktop's icon theme where the theme has a fitting
// symbolic icon, and from the program's own drawings otherwise; either way it
// is drawn as a single-colour glyph in the colour the view asks for.
namespace Symbols {

// Whether `name` is a symbol the program knows.
bool contains(const QString& name);

// `name` in `color`, `pixelSize` device-independent pixels square, rendered
// for `devicePixelRatio`. An unknown name gives a transparent pixmap.
QPixmap pixmap(const QString& name, int pixelSize, const QColor& color, qreal devicePixelRatio);

// The program's own icon, in its colours.
QIcon applicationIcon();

} // namespace Symbols
