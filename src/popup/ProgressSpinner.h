// SPDX-License-Identifier: MIT
#pragma once

#include <QBasicTimer>
#include <QPixmap>
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
    void renderFrames(int side, const QColor& color, qreal ratio);

    ControlSize m_size;
    QPixmap m_frames; // every phase, side by side
    QColor m_framesColor;
    QBasicTimer m_timer;
    int m_phase = 0;
};
