// SPDX-License-Identifier: MIT
#pragma once

#include <QWidget>

// The one frameless floating window the popup lives in, created once and
// shown again for every popup.
//
// It bypasses the window manager (like a menu or tooltip): it floats above
// ordinary windows, appears on whichever desktop is current, has no taskbar
// entry, and showing it never activates the program, so the application the
// selection came from stays active and keeps its selection. A selection
// popup never takes the keyboard focus, not even on a click: the paste
// keystroke of a replacement must reach the source application. Only the
// quick-translate popup takes the focus, for its input field.
class PopupPanel : public QWidget {
    Q_OBJECT
public:
    PopupPanel();
    Q_DISABLE_COPY_MOVE(PopupPanel)

    // The widget whose preferred size the window takes; it arranges itself
    // inside the window (PopupView::hostIn).
    void setContent(QWidget* content);
    QWidget* content() const { return m_content; }

    // Resizes the window to its content's preferred size.
    void fitToContent();

    // Shows the window in front. With takeFocus, the window also receives
    // the keyboard focus.
    void present(bool takeFocus);

signals:
    void resized();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void setTakesFocus(bool takeFocus);

    QWidget* m_content = nullptr;
    bool m_takesFocus = false;
};
