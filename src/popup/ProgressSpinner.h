// SPDX-License-Identifier: MIT
#pragma once

#include <QBasicTimer>
#include <QWidget>

// An indeterminate circular progress indicator: a ring of spokes whose
// brightest spoke goes round. It animates only while visible.
class ProgressSpinner : public QWidget {
    Q_OBJECT
public:
    enum class ControlSize { small, mini };

    explicit ProgressSpinner(ControlSize size, QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    ControlSize m_size;
    QBasicTimer m_timer;
    int m_phase = 0;
};
