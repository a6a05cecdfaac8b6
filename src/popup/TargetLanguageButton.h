// SPDX-License-Identifier: MIT
#pragma once

#include <QAbstractButton>

class PaneLabel;

// The quick-translate target switch: the target language's name as a pane
// caption followed by a small key cap showing the Tab key. No bezel; the
// pointing-hand cursor while hovered.
class TargetLanguageButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit TargetLanguageButton(QWidget* parent = nullptr);

    // Shows `name` (in capitals); text() then returns what is shown.
    void setLanguageName(const QString& name);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    PaneLabel* m_label;
};
