// SPDX-License-Identifier: MIT
#pragma once

#include <QWidget>

// The mark at the end of a tutorial row: a dashed circle while the task is
// open, a green check once it is done. `progress` goes from 0 (open) to 1
// (done) and may overshoot while it springs into place.
class DoneMark : public QWidget {
    Q_OBJECT
public:
    explicit DoneMark(QWidget* parent = nullptr);

    void setProgress(qreal progress);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    qreal m_progress = 0;
};
