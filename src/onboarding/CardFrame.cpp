// SPDX-License-Identifier: MIT
#include "CardFrame.h"

#include "OnboardingStyle.h"

#include <QPainter>

CardFrame::CardFrame(QWidget* parent)
    : QWidget(parent)
{
}

void CardFrame::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    OnboardingStyle::drawRoundedBox(painter, QRectF(rect()), 14, OnboardingStyle::quinary(palette()), {}, 0);
}
