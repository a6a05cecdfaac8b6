// SPDX-License-Identifier: MIT
#include "AnimatedValue.h"

#include <algorithm>
#include <cmath>
#include <numbers>

AnimatedValue::AnimatedValue(QObject* parent)
    : QVariantAnimation(parent)
{
    setStartValue(0.0);
    setEndValue(0.0);
}

AnimatedValue* AnimatedValue::spring(qreal response, qreal dampingFraction, QObject* parent)
{
    auto* animation = new AnimatedValue(parent);
    animation->m_response = response;
    animation->m_damping = std::clamp(dampingFraction, 0.05, 1.0);
    // Until the swing has died down to a fraction of a per cent.
    const qreal omega = 2 * std::numbers::pi / response;
    const qreal decay = animation->m_damping * omega;
    animation->setDuration(int(std::ceil(1000 * std::log(500.0) / decay)));
    return animation;
}

AnimatedValue* AnimatedValue::easeOut(qreal seconds, QObject* parent)
{
    auto* animation = new AnimatedValue(parent);
    animation->setDuration(int(std::lround(seconds * 1000)));
    animation->setEasingCurve(QEasingCurve::OutCubic);
    return animation;
}

qreal AnimatedValue::springStep(qreal response, qreal dampingFraction, qreal seconds)
{
    const qreal omega = 2 * std::numbers::pi / response;
    const qreal zeta = dampingFraction;
    const qreal envelope = std::exp(-zeta * omega * seconds);
    if (zeta >= 1)
        return 1 - envelope * (1 + omega * seconds);
    const qreal damped = omega * std::sqrt(1 - zeta * zeta);
    return 1 - envelope * (std::cos(damped * seconds) + zeta * omega / damped * std::sin(damped * seconds));
}

void AnimatedValue::animateTo(qreal target)
{
    if (target == m_target && (state() == Running || m_value == target))
        return;
    stop();
    m_target = target;
    setStartValue(m_value);
    setEndValue(target);
    start();
}

void AnimatedValue::setValueNow(qreal value)
{
    stop();
    m_target = value;
    if (m_value == value)
        return;
    m_value = value;
    emit valueChanged(value);
}

QVariant AnimatedValue::interpolated(const QVariant& from, const QVariant& to, qreal progress) const
{
    const qreal a = from.toReal();
    const qreal b = to.toReal();
    if (m_response <= 0)
        return a + (b - a) * progress;
    if (progress >= 1)
        return b;
    const qreal seconds = progress * duration() / 1000.0;
    return a + (b - a) * springStep(m_response, m_damping, seconds);
}

void AnimatedValue::updateCurrentValue(const QVariant& value)
{
    m_value = value.toReal();
}
