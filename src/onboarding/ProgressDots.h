// SPDX-License-Identifier: MIT
#pragma once

#include <QWidget>

// One small dot per step, the current one darker than the rest.
class ProgressDots : public QWidget {
    Q_OBJECT
public:
    explicit ProgressDots(int count, QWidget* parent = nullptr);

    int current() const { return m_current; }
    void setCurrent(int index);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int m_count;
    int m_current = 0;
};
