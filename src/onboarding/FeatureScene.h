// SPDX-License-Identifier: MIT
#pragma once

#include "FeatureCard.h"

class QPainter;
class QPalette;
class QRectF;

// The illustrations of the feature cards: chips, keycaps and sparkles that
// move between a resting and a hovered arrangement.
namespace FeatureScene {

// Draws `scene` centred in `area`; `hover` 0 is the resting arrangement, 1
// the hovered one, values between and beyond interpolate. `keycap` is the
// translate shortcut's name, shown by the quick-type scene.
void paint(QPainter& painter, FeatureCard::Scene scene, const QRectF& area, qreal hover,
    const QString& keycap, const QPalette& palette, qreal devicePixelRatio);

} // namespace FeatureScene
