// SPDX-License-Identifier: MIT
#pragma once

#include <QVariantAnimation>

// A number that moves to a new target over time, either like a damped spring
// (which may overshoot and settle back) or along an ease-out curve. A new
// target starts from wherever the value is, so a reversal mid-way is smooth.
class AnimatedValue : public QVariantAnimation {
    Q_OBJECT
public:
    // `response`: the period of the undamped spring, in seconds;
    // `dampingFraction`: 1 settles without overshoot, less bounces.
    static AnimatedValue* spring(qreal response, qreal dampingFraction, QObject* parent);
    static AnimatedValue* easeOut(qreal seconds, QObject* parent);

    qreal value() const { return m_value; }
    qreal target() const { return m_target; }
    void animateTo(qreal target);
    // Without animation (initial states).
    void setValueNow(qreal value);

    // Where a spring released from 0 towards 1 is after `seconds`.
    static qreal springStep(qreal response, qreal dampingFraction, qreal seconds);

protected:
    QVariant interpolated(const QVariant& from, const QVariant& to, qreal progress) const override;
    void updateCurrentValue(const QVariant& value) override;

private:
    explicit AnimatedValue(QObject* parent);

    qreal m_response = 0; // 0 for the ease-out curve
    qreal m_damping = 1;
    qreal m_value = 0;
    qreal m_target = 0;
};
