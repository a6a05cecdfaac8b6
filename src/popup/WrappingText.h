// SPDX-License-Identifier: MIT
#pragma once

#include <QHash>
#include <QTextDocument>
#include <QTextEdit>
#include <optional>

// A block of plain text that wraps to its width, at word boundaries where it
// can and anywhere inside a word that is wider than the line, and is exactly
// as tall as its lines (height for width). Optionally selectable with the
// mouse. Never interprets markup: backend text is shown as sent.
class WrappingText : public QTextEdit {
    Q_OBJECT
public:
    explicit WrappingText(QWidget* parent = nullptr);

    void setText(const QString& text);
    QString text() const { return m_text; }

    void setSelectable(bool selectable);
    void setTextColor(const QColor& color);

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void syncMeasure();

    // Lays the measuring copy out at `width` (-1: unwrapped) unless it
    // already is: a layout asks the same sizes many times over, and every
    // new width is a layout of the whole text.
    void measureAt(qreal width) const;

    QString m_text;
    // A copy of the text laid out at whatever width a layout asks about, so
    // measuring never disturbs what is on screen.
    mutable QTextDocument m_measure;
    mutable std::optional<qreal> m_measuredWidth;
    mutable std::optional<int> m_idealWidth;
    mutable QHash<int, int> m_heights; // height by width
};
