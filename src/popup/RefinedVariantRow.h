// SPDX-License-Identifier: MIT
#pragma once

#include <QWidget>
#include <functional>

class MiniActionButton;
class WrappingText;

// One rewritten variant as a clickable block: a click anywhere on it replaces
// the user's selection with the variant. While the pointer is over it, the
// row is highlighted and a small toolbar at its top-right corner offers copy
// and replace.
class RefinedVariantRow : public QWidget {
    Q_OBJECT
public:
    using TextCallback = std::function<void(const QString&)>;

    RefinedVariantRow(
        const QString& variant, TextCallback onCopy, TextCallback onReplace, QWidget* parent = nullptr);

    const QString& variant() const { return m_variant; }
    bool isHovering() const { return m_isHovering; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void setHovering(bool hovering);
    void placeToolbar();

    QString m_variant;
    TextCallback m_onCopy;
    TextCallback m_onReplace;
    WrappingText* m_text;
    QWidget* m_toolbar;
    bool m_isHovering = false;
    bool m_pressed = false;
};
