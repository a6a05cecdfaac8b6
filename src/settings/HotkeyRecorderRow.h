// SPDX-License-Identifier: MIT
#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

// One shortcut recorder as the user sees it: the title, the button that shows
// the combination (or the recording prompt), and below them a one-line
// caption for a combination the system refused.
class HotkeyRecorderRow : public QWidget {
    Q_OBJECT
public:
    explicit HotkeyRecorderRow(const QString& title, QWidget* parent = nullptr);

    QPushButton* button() const { return m_button; }
    void setButtonText(const QString& text);
    // An empty caption hides the line.
    void setCaption(const QString& caption);
    QString caption() const;

private:
    QPushButton* m_button;
    QLabel* m_caption;
};
