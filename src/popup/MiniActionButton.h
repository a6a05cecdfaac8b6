// SPDX-License-Identifier: MIT
#pragma once

#include <QAbstractButton>
#include <functional>

// A compact icon button: a small symbol on a faint rounded highlight that
// shows while the pointer is over the button. Runs `action` on click.
class MiniActionButton : public QAbstractButton {
    Q_OBJECT
public:
    MiniActionButton(
        const QString& symbol, const QString& help, std::function<void()> action, QWidget* parent = nullptr);

    const QString& symbol() const { return m_symbol; }
    bool isHovering() const { return m_isHovering; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QString m_symbol;
    std::function<void()> m_action;
    bool m_isHovering = false;
};
