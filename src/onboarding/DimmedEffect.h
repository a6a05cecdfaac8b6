// SPDX-License-Identifier: MIT
#pragma once

#include <QGraphicsEffect>

// Draws a widget in shades of grey at reduced opacity: how a task that
// cannot be done yet looks.
class DimmedEffect : public QGraphicsEffect {
    Q_OBJECT
public:
    explicit DimmedEffect(qreal opacity, QObject* parent = nullptr);

protected:
    void draw(QPainter* painter) override;

private:
    qreal m_opacity;
};
