// SPDX-License-Identifier: MIT
#pragma once

#include <QWidget>

// A top-level window around one of the program's views (settings,
// onboarding): titled, closable, sized by its view and not resizable by
// hand. Closing it hides it; its owner decides when it goes.
class HostWindow : public QWidget {
    Q_OBJECT
public:
    HostWindow(QWidget* content, const QString& title);
    Q_DISABLE_COPY_MOVE(HostWindow)

    // Centres the window, at its current size, on `area`.
    void centreOn(const QRect& area);
    // Shows it in front with the keyboard focus.
    void present();

    QWidget* content() const { return m_content; }

private:
    QWidget* m_content;
};
