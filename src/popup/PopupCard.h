// SPDX-License-Identifier: MIT
#pragma once

#include <QPixmap>
#include <QPointer>
#include <QWidget>

// The popup's card: a rounded piece of translucent material with a hairline
// edge, filling the frameless window that hosts it. Where the desktop does
// not blend windows (no compositor), the card is opaque and the window is
// cut to its shape instead.
class PopupCard : public QWidget {
    Q_OBJECT
public:
    static constexpr int cornerRadius = 12;

    explicit PopupCard(QWidget* parent = nullptr);

    // Makes this card the whole content of `window`, a frameless top-level
    // window without a layout of its own, before the window is first shown.
    void hostIn(QWidget* window, bool translucent);

    // Whether the desktop blends windows now; may change between popups.
    void setTranslucent(bool translucent);
    bool isTranslucent() const { return m_translucent; }
    // The rounded outline in this card's coordinates.
    QRegion cardRegion() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    static QRegion outlineRegion(const QSize& size);
    static int cornerPieceSize();
    // `top` drawn over `below`, as one colour.
    static QColor blendedOver(const QColor& top, const QColor& below);
    void renderCorners(const QColor& fill, const QColor& edge, qreal ratio);
    // The card as one shape, the way its corners are drawn.
    void drawWhole(QPainter& painter, const QSize& size, const QColor& fill, const QColor& edge) const;
    void updateHostMask();

    QPointer<QWidget> m_host;
    bool m_translucent = false;
    // A card of the least size with all four corners, drawn once per look.
    QPixmap m_corners;
    QColor m_cornersFill;
    QColor m_cornersEdge;
};
