// SPDX-License-Identifier: MIT
#include "ProgressDots.h"

#include "Appearance.h"

#include <QPainter>

namespace {
constexpr int kDot = 6;
constexpr int kGap = 6;
} // namespace

ProgressDots::ProgressDots(int count, QWidget* parent)
    : QWidget(parent)
    , m_count(count)
{
    setFixedSize(count * kDot + (count - 1) * kGap, kDot);
}

void ProgressDots::setCurrent(int index)
{
    if (index == m_current)
        return;
    m_current = index;
    update();
}

void ProgressDots::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    for (int i = 0; i < m_count; ++i) {
        painter.setBrush(Appearance::foreground(
            i == m_current ? Appearance::Emphasis::primary : Appearance::Emphasis::quaternary, palette()));
        painter.drawEllipse(QRectF(i * (kDot + kGap), 0, kDot, kDot));
    }
}
