// SPDX-License-Identifier: MIT
#pragma once

#include "Appearance.h"

#include <QAbstractButton>
#include <optional>

// A borderless button that is only its symbol image (the speaker of a word,
// the dictionary link). It dims while pressed.
class SymbolButton : public QAbstractButton {
    Q_OBJECT
public:
    // The symbol is drawn at the size of text of `textSize` units, in the
    // palette's accent colour or, with `emphasis`, in that foreground.
    SymbolButton(const QString& symbol, qreal textSize, QWidget* parent = nullptr);
    SymbolButton(
        const QString& symbol, qreal textSize, Appearance::Emphasis emphasis, QWidget* parent = nullptr);

    const QString& symbol() const { return m_symbol; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_symbol;
    int m_pixels;
    std::optional<Appearance::Emphasis> m_emphasis;
};
