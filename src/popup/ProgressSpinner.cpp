// SPDX-License-Identifier: MIT
#include "ProgressSpinner.h"

#include "Appearance.h"

#include <QPainter>
#include <QTimerEvent>
#include <cmath>

namespace {

constexpr int kSpokes = 12;
constexpr int kStepMilliseconds = 80;

} // namespace

ProgressSpinner::ProgressSpinner(ControlSize size, QWidget* parent)
    : QWidget(parent)
    , m_size(size)
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

QSize ProgressSpinner::sizeHint() const
{
    const int side = int(std::lround(Appearance::pixels(m_size == ControlSize::small ? 16 : 10)));
    return { side, side };
}

void ProgressSpinner::paintEvent(QPaintEvent*)
{
    // Every frame is drawn once into a strip and then only copied: the
    // spinner runs while an answer is awaited, and a frame being drawn when
    // the answer arrives delays it.
    const QColor color = Appearance::foreground(Appearance::Emphasis::primary, palette());
    const qreal ratio = devicePixelRatioF();
    const int side = std::min(width(), height());
    if (m_frames.isNull() || m_framesColor != color || m_frames.devicePixelRatio() != ratio
        || m_frames.deviceIndependentSize().height() != side)
        renderFrames(side, color, ratio);
    QPainter painter(this);
    const QPointF at((width() - side) / 2.0, (height() - side) / 2.0);
    painter.drawPixmap(at, m_frames, QRectF(m_phase * side * ratio, 0, side * ratio, side * ratio));
}

void ProgressSpinner::renderFrames(int side, const QColor& color, qreal ratio)
{
    m_frames = QPixmap(QSize(side * kSpokes, side) * ratio);
    m_frames.setDevicePixelRatio(ratio);
    m_frames.fill(Qt::transparent);
    m_framesColor = color;
    QPainter painter(&m_frames);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal outer = side / 2.0;
    const qreal inner = outer * 0.45;
    QPen pen(color);
    pen.setWidthF(std::max(1.2, side / 9.0));
    pen.setCapStyle(Qt::RoundCap);
    for (int phase = 0; phase < kSpokes; ++phase) {
        painter.resetTransform();
        painter.translate(phase * side + outer, outer);
        for (int i = 0; i < kSpokes; ++i) {
            // The spoke at the phase is darkest; the ones behind it fade out.
            const int age = (phase - i + kSpokes) % kSpokes;
            QColor spoke = color;
            spoke.setAlphaF(0.85 - 0.65 * age / (kSpokes - 1));
            pen.setColor(spoke);
            painter.setPen(pen);
            painter.drawLine(QPointF(0, -inner), QPointF(0, -outer + pen.widthF() / 2));
            painter.rotate(360.0 / kSpokes);
        }
    }
}

void ProgressSpinner::showEvent(QShowEvent* event)
{
    m_timer.start(kStepMilliseconds, this);
    QWidget::showEvent(event);
}

void ProgressSpinner::hideEvent(QHideEvent* event)
{
    m_timer.stop();
    QWidget::hideEvent(event);
}

void ProgressSpinner::timerEvent(QTimerEvent* event)
{
    if (event->timerId() != m_timer.timerId())
        return QWidget::timerEvent(event);
    m_phase = (m_phase + 1) % kSpokes;
    update();
}
