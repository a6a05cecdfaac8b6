// SPDX-License-Identifier: MIT
#pragma once

#include <QWidget>

// A faintly filled rounded card with 16 of padding around what its layout holds.
class CardFrame : public QWidget {
    Q_OBJECT
public:
    explicit CardFrame(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};
