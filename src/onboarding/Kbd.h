// SPDX-License-Identifier: MIT
#pragma once

#include <QWidget>

// A keycap: the name of a key combination ("Alt+T") on a small rounded,
// faintly filled and outlined cap, large or small.
class Kbd : public QWidget {
    Q_OBJECT
public:
    Kbd(const QString& label, bool big, QWidget* parent = nullptr);

    const QString& label() const { return m_label; }
    bool isBig() const { return m_big; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_label;
    bool m_big;
};
