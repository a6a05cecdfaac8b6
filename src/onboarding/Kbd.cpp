// SPDX-License-Identifier: MIT
#include "Kbd.h"

#include "Appearance.h"
#include "OnboardingStyle.h"

#include <QFontMetricsF>
#include <QPainter>
#include <cmath>

namespace {

QFont keycapFont(bool big)
{
    QFont font = Appearance::monospacedFont(Appearance::TextStyle::body);
    const QFont sized = Appearance::systemFont(big ? 14 : 11);
    if (sized.pointSizeF() > 0)
        font.setPointSizeF(sized.pointSizeF());
    else
        font.setPixelSize(sized.pixelSize());
    font.setWeight(QFont::DemiBold);
    return font;
}

} // namespace

Kbd::Kbd(const QString& label, bool big, QWidget* parent)
    : QWidget(parent)
    , m_label(label)
    , m_big(big)
{
    setFont(keycapFont(big));
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setAccessibleName(label);
}

QSize Kbd::sizeHint() const
{
    const QFontMetricsF metrics(font());
    const qreal width = metrics.horizontalAdvance(m_label) + 2 * (m_big ? 8 : 6);
    const qreal height = metrics.height() + 2 * (m_big ? 5 : 3);
    return QSize(int(std::ceil(width)), int(std::ceil(height)));
}

void Kbd::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QPalette& colors = palette();
    OnboardingStyle::drawRoundedBox(painter, QRectF(rect()), m_big ? 7 : 5,
        Appearance::foreground(Appearance::Emphasis::quaternary, colors), Appearance::separator(colors), 0.5);
    painter.setPen(colors.color(QPalette::WindowText));
    painter.drawText(rect(), Qt::AlignCenter, m_label);
}
