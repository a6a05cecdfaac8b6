// SPDX-License-Identifier: MIT
#pragma once

#include <QLabel>

// A small caption above a pane: the text in capitals, semibold, slightly
// spaced out, in the secondary foreground.
class PaneLabel : public QLabel {
    Q_OBJECT
public:
    explicit PaneLabel(const QString& caption = {}, QWidget* parent = nullptr);

    // Shows `caption` in capitals.
    void setCaption(const QString& caption);

protected:
    void changeEvent(QEvent* event) override;

private:
    void applyColor();
};
