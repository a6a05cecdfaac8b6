// SPDX-License-Identifier: MIT
#include "FeatureCard.h"

#include "AnimatedValue.h"
#include "Appearance.h"
#include "FeatureScene.h"
#include "OnboardingStyle.h"

#include <QFontMetricsF>
#include <QPainter>
#include <cmath>

namespace {

constexpr int kPadding = 12;
constexpr int kSceneHeight = 62;
constexpr int kSpacing = 4;
constexpr qreal kHoverScale = 1.03;

QFont titleFont()
{
    return Appearance::font(Appearance::TextStyle::callout, QFont::DemiBold);
}

QFont keycapFont()
{
    QFont font = Appearance::monospacedFont(Appearance::TextStyle::caption2);
    font.setWeight(QFont::Medium);
    return font;
}

QFont detailFont()
{
    return Appearance::font(Appearance::TextStyle::caption);
}

} // namespace

FeatureCard::FeatureCard(
    Scene scene, const QString& keycap, const QString& title, const QString& detail, QWidget* parent)
    : QWidget(parent)
    , m_scene(scene)
    , m_keycap(keycap)
    , m_title(title)
    , m_detail(detail)
    , m_spring(AnimatedValue::spring(0.35, 0.65, this))
{
    setAttribute(Qt::WA_Hover);
    setAccessibleName(title);
    setAccessibleDescription(detail);
    QSizePolicy policy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
    connect(m_spring, &QVariantAnimation::valueChanged, this, qOverload<>(&QWidget::update));
}

qreal FeatureCard::hoverProgress() const
{
    return m_spring->value();
}

int FeatureCard::titleRowHeight() const
{
    const qreal keycap = QFontMetricsF(keycapFont()).height() + 2;
    return int(std::ceil(std::max(QFontMetricsF(titleFont()).height(), keycap)));
}

int FeatureCard::detailHeight(int innerWidth) const
{
    return QFontMetrics(detailFont())
        .boundingRect(QRect(0, 0, std::max(1, innerWidth), 10000), Qt::TextWordWrap, m_detail)
        .height();
}

int FeatureCard::heightForWidth(int width) const
{
    const int inner = width - overflow.left() - overflow.right() - 2 * kPadding;
    return overflow.top() + overflow.bottom() + 2 * kPadding + kSceneHeight + kSpacing + titleRowHeight()
        + kSpacing + detailHeight(inner);
}

QSize FeatureCard::sizeHint() const
{
    return QSize(160, heightForWidth(160));
}

QSize FeatureCard::minimumSizeHint() const
{
    return QSize(120, heightForWidth(120));
}

void FeatureCard::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPalette& colors = palette();
    const QRectF card = QRectF(rect()).marginsRemoved(overflow.toMarginsF());
    const qreal hover = m_spring->value();

    const qreal scale = 1 + (kHoverScale - 1) * hover;
    painter.translate(card.center());
    painter.scale(scale, scale);
    painter.translate(-card.center());

    const QColor border = OnboardingStyle::withAlpha(
        Appearance::separator(colors), Appearance::separator(colors).alphaF() * 0.6);
    OnboardingStyle::drawRoundedBox(painter, card, 14, OnboardingStyle::quinary(colors), border, 1);

    const QRectF inner = card.adjusted(kPadding, kPadding, -kPadding, -kPadding);
    const QRectF scene(inner.left(), inner.top(), inner.width(), kSceneHeight);
    FeatureScene::paint(painter, m_scene, scene, hover, m_keycap, colors, devicePixelRatioF());

    // Title and keycap, vertically centred on one row, 5 apart.
    const qreal rowTop = scene.bottom() + kSpacing;
    const qreal rowHeight = titleRowHeight();
    painter.setFont(titleFont());
    painter.setPen(colors.color(QPalette::WindowText));
    const qreal titleWidth = QFontMetricsF(titleFont()).horizontalAdvance(m_title);
    painter.drawText(
        QRectF(inner.left(), rowTop, titleWidth + 1, rowHeight), Qt::AlignLeft | Qt::AlignVCenter, m_title);
    const QFontMetricsF keycapMetrics(keycapFont());
    const QRectF keycap(inner.left() + titleWidth + 5, rowTop + (rowHeight - keycapMetrics.height() - 2) / 2,
        keycapMetrics.horizontalAdvance(m_keycap) + 8, keycapMetrics.height() + 2);
    OnboardingStyle::drawRoundedBox(
        painter, keycap, 4, Appearance::foreground(Appearance::Emphasis::quaternary, colors), {}, 0);
    painter.setFont(keycapFont());
    painter.setPen(Appearance::foreground(Appearance::Emphasis::secondary, colors));
    painter.drawText(keycap, Qt::AlignCenter, m_keycap);

    painter.setFont(detailFont());
    painter.drawText(QRectF(inner.left(), rowTop + rowHeight + kSpacing, inner.width(), 10000),
        Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, m_detail);
}

void FeatureCard::setHovering(bool hovering)
{
    if (hovering == m_hovering)
        return;
    m_hovering = hovering;
    if (hovering)
        raise();
    m_spring->animateTo(hovering ? 1 : 0);
}

void FeatureCard::enterEvent(QEnterEvent* event)
{
    QWidget::enterEvent(event);
    setHovering(true);
}

void FeatureCard::leaveEvent(QEvent* event)
{
    QWidget::leaveEvent(event);
    setHovering(false);
}
