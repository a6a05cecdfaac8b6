// SPDX-License-Identifier: MIT
#include "DoneMark.h"

#include "Appearance.h"
#include "OnboardingStyle.h"
#include "Symbols.h"

#include <QPainter>

namespace {
constexpr int kSymbolSize = 17;
constexpr int kTopInset = 2;
} // namespace

DoneMark::DoneMark(QWidget* parent)
    : QWidget(parent)
{
    setFixedSize(
        Appearance::symbolPixels(kSymbolSize) + 2, Appearance::symbolPixels(kSymbolSize) + kTopInset + 2);
}

void DoneMark::setProgress(qreal progress)
{
    if (progress == m_progress)
        return;
    m_progress = progress;
    update();
}

void DoneMark::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const int size = Appearance::symbolPixels(kSymbolSize);
    const QRectF box(1, kTopInset + 1, size, size);
    const bool done = m_progress >= 0.5;
    const QColor color = done ? OnboardingStyle::green(palette())
                              : Appearance::foreground(Appearance::Emphasis::tertiary, palette());
    // The check grows in from half size and springs past its full size.
    const qreal scale = done ? 0.5 + 0.5 * m_progress : 1.0;
    painter.translate(box.center());
    painter.scale(scale, scale);
    painter.translate(-box.center());
    painter.drawPixmap(box.topLeft(),
        Symbols::pixmap(done ? QStringLiteral("checkmark.circle.fill") : QStringLiteral("circle.dashed"),
            size, color, devicePixelRatioF()));
}
