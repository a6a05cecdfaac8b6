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
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal side = std::min(width(), height());
    const qreal outer = side / 2.0;
    const qreal inner = outer * 0.45;
    QPen pen(Appearance::foreground(Appearance::Emphasis::primary, palette()));
    pen.setWidthF(std::max(1.2, side / 9.0));
    pen.setCapStyle(Qt::RoundCap);
    painter.translate(width() / 2.0, height() / 2.0);
    for (int i = 0; i < kSpokes; ++i) {
        // The spoke at the phase is darkest; the ones behind it fade out.
        const int age = (m_phase - i + kSpokes) % kSpokes;
        QColor color = pen.color();
        color.setAlphaF(0.85 - 0.65 * age / (kSpokes - 1));
        pen.setColor(color);
        painter.setPen(pen);
        painter.save();
        painter.rotate(360.0 * i / kSpokes);
        painter.drawLine(QPointF(0, -inner), QPointF(0, -outer + pen.widthF() / 2));
        painter.restore();
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
