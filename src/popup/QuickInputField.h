// SPDX-License-Identifier: MIT
#pragma once

#include <QPlainTextEdit>

// The quick-translate input: a plain, frameless text field that grows with
// its text, one line when empty, up to four wrapped lines, then scrolls.
class QuickInputField : public QPlainTextEdit {
    Q_OBJECT
public:
    static constexpr int maximumVisibleLines = 4;

    explicit QuickInputField(QWidget* parent = nullptr);

    // How many lines the current text takes at `width`, at least one.
    int lineCount(int width) const;
    // The height of the first `lines` of them (of one empty line when the text is empty).
    qreal linesHeight(int width, int lines) const;

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;
};
