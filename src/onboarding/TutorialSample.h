// SPDX-License-Identifier: MIT
#pragma once

#include <QWidget>

class Clipboard;
class QPlainTextEdit;

// The one-line text of a tutorial task, which the user selects and the
// popup's paste may replace. It is an ordinary editable field: a mouse
// selection becomes the primary selection like in any other program.
class TutorialSample : public QWidget {
    Q_OBJECT
public:
    // A `constant` sample shows `text` again whenever the user leaves it, so
    // edits are not kept. Ctrl+V pastes from `clipboard`, which must outlive
    // the sample.
    TutorialSample(const QString& text, bool constant, Clipboard& clipboard, QWidget* parent = nullptr);

    QString text() const;
    void setText(const QString& text);
    QPlainTextEdit* editor() const { return m_editor; }

signals:
    // Every change, the popup's paste included (not for a constant sample).
    void textEdited(const QString& text);

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void paste();

    Clipboard& m_clipboard;
    QPlainTextEdit* m_editor;
    QString m_constantText;
    bool m_constant;
    bool m_settingText = false;
};
