// SPDX-License-Identifier: MIT
#pragma once

#include <QWidget>

class AnimatedValue;

// One main feature on the welcome page: a small illustration above its
// name, the keycap of its shortcut and a line of description. Under the
// pointer the card grows a little and its illustration plays out, springing
// back when the pointer leaves.
//
// The widget is larger than the card it draws: the illustration's pieces
// fly above the card and the card grows, and a widget cannot draw outside
// itself. Neighbours are placed `overflow` apart less than they should look.
class FeatureCard : public QWidget {
    Q_OBJECT
public:
    enum class Scene { translate, refine, quickType };

    static constexpr QMargins overflow { 4, 26, 4, 4 };

    FeatureCard(Scene scene, const QString& keycap, const QString& title, const QString& detail,
        QWidget* parent = nullptr);

    Scene scene() const { return m_scene; }
    bool isHovering() const { return m_hovering; }
    // 0 at rest, 1 hovered; in between (and a little beyond) while it springs.
    qreal hoverProgress() const;
    AnimatedValue* hoverAnimation() const { return m_spring; }

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void setHovering(bool hovering);
    int detailHeight(int innerWidth) const;
    int titleRowHeight() const;

    Scene m_scene;
    QString m_keycap;
    QString m_title;
    QString m_detail;
    AnimatedValue* m_spring;
    bool m_hovering = false;
};
