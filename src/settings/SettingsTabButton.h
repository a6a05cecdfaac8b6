// SPDX-License-Identifier: MIT
#pragma once

#include <QAbstractButton>

// A tab of the settings window's tab bar: its symbol over its title, 88 by 58,
// in the accent colour with a faint accent plate when selected, in the
// secondary colour otherwise. The whole frame is the hit area.
class SettingsTabButton : public QAbstractButton {
    Q_OBJECT
public:
    SettingsTabButton(const QString& title, const QString& symbol, QWidget* parent = nullptr);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_symbol;
};
