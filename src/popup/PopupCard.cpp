// SPDX-License-Identifier: MIT
#include "PopupCard.h"

#include "Appearance.h"

#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

PopupCard::PopupCard(QWidget* parent)
    : QWidget(parent)
{
}

void PopupCard::hostIn(QWidget* window, bool translucent)
{
    // The window always has an alpha channel: it is chosen once, when the
    // native window is made, while a compositor may come and go later.
    // Without one the card is painted opaque and the window is cut to its
    // shape instead.
    window->setAttribute(Qt::WA_TranslucentBackground);
    auto* layout = new QVBoxLayout(window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    // The window is sized from fittingSize() by its owner, at moments of its
    // choosing; a layout constraint would also clamp it to sizes measured
    // before the latest change.
    layout->setSizeConstraint(QLayout::SetNoConstraint);
    layout->addWidget(this);
    m_host = window;
    m_translucent = translucent;
    updateHostMask();
}

void PopupCard::setTranslucent(bool translucent)
{
    if (translucent == m_translucent)
        return;
    m_translucent = translucent;
    m_corners = QPixmap();
    updateHostMask();
    update();
}

QRegion PopupCard::cardRegion() const
{
    return outlineRegion(size());
}

QRegion PopupCard::outlineRegion(const QSize& size)
{
    QPainterPath outline;
    outline.addRoundedRect(QRectF(QPointF(0, 0), size), cornerRadius, cornerRadius);
    return QRegion(outline.toFillPolygon().toPolygon());
}

void PopupCard::paintEvent(QPaintEvent*)
{
    // Qt's raster engine splits an antialiased path or a fill through a
    // shaped clip that spans a hundred lines or more across its thread pool,
    // and the paint waits until those threads have run: on a busy machine,
    // well after the answer arrived. So only the four corners are drawn as
    // shapes, once, in a small piece; the rest are plain rectangles.
    const QColor fill = Appearance::material(palette(), m_translucent);
    const QColor edge = Appearance::separator(palette());
    const qreal ratio = devicePixelRatioF();
    if (m_corners.isNull() || m_cornersFill != fill || m_cornersEdge != edge
        || m_corners.devicePixelRatio() != ratio)
        renderCorners(fill, edge, ratio);

    const int r = cornerRadius;
    const int w = width();
    const int h = height();
    QPainter painter(this);
    if (w < cornerPieceSize() || h < cornerPieceSize()) {
        drawWhole(painter, size(), fill, edge); // too small to be split across threads
        return;
    }
    // What lies below is cleared (translucent) or cut away (shaped window):
    // the card's pixels replace it.
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(QRect(r, 0, w - 2 * r, h), fill);
    painter.fillRect(QRect(0, r, r, h - 2 * r), fill);
    painter.fillRect(QRect(w - r, r, r, h - 2 * r), fill);

    // The hairline lies inside the edge, over the material.
    const QColor line = blendedOver(edge, fill);
    painter.fillRect(QRect(r, 0, w - 2 * r, 1), line);
    painter.fillRect(QRect(r, h - 1, w - 2 * r, 1), line);
    painter.fillRect(QRect(0, r, 1, h - 2 * r), line);
    painter.fillRect(QRect(w - 1, r, 1, h - 2 * r), line);

    // Over what lies below: outside the rounding the piece is transparent,
    // and a card rendered onto something else must leave that showing.
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    const int piece = cornerPieceSize();
    const int far = piece - r;
    const auto corner = [&](int x, int y, int fromX, int fromY) {
        painter.drawPixmap(
            QRectF(x, y, r, r), m_corners, QRectF(fromX * ratio, fromY * ratio, r * ratio, r * ratio));
    };
    corner(0, 0, 0, 0);
    corner(w - r, 0, far, 0);
    corner(0, h - r, 0, far);
    corner(w - r, h - r, far, far);
}

int PopupCard::cornerPieceSize()
{
    return 2 * cornerRadius + 2;
}

QColor PopupCard::blendedOver(const QColor& top, const QColor& below)
{
    const float topAlpha = top.alphaF();
    const float alpha = topAlpha + below.alphaF() * (1 - topAlpha);
    if (alpha <= 0)
        return Qt::transparent;
    const auto channel
        = [&](float a, float b) { return (a * topAlpha + b * below.alphaF() * (1 - topAlpha)) / alpha; };
    return QColor::fromRgbF(channel(top.redF(), below.redF()), channel(top.greenF(), below.greenF()),
        channel(top.blueF(), below.blueF()), alpha);
}

void PopupCard::renderCorners(const QColor& fill, const QColor& edge, qreal ratio)
{
    // A whole card of the smallest size that has all four corners, drawn
    // exactly as a full-size card would be; its corners have the radius'
    // size and so need no more than this.
    const int side = cornerPieceSize();
    m_corners = QPixmap(QSize(side, side) * ratio);
    m_corners.setDevicePixelRatio(ratio);
    m_corners.fill(Qt::transparent);
    m_cornersFill = fill;
    m_cornersEdge = edge;
    QPainter painter(&m_corners);
    drawWhole(painter, QSize(side, side), fill, edge);
}

void PopupCard::drawWhole(QPainter& painter, const QSize& size, const QColor& fill, const QColor& edge) const
{
    const QRectF card(QPointF(0, 0), size);
    painter.setRenderHint(QPainter::Antialiasing);
    if (m_translucent) {
        QPainterPath outline;
        outline.addRoundedRect(card, cornerRadius, cornerRadius);
        painter.fillPath(outline, fill);
    } else {
        // Every pixel opaque and exactly the mask's shape: a half-transparent
        // edge would show dark where nothing blends it.
        painter.setClipRegion(outlineRegion(size));
        painter.fillRect(card, fill);
    }
    QPainterPath border;
    border.addRoundedRect(card.adjusted(0.5, 0.5, -0.5, -0.5), cornerRadius - 0.5, cornerRadius - 0.5);
    QPen pen(edge);
    pen.setWidthF(1);
    painter.setPen(pen);
    painter.drawPath(border);
}

void PopupCard::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    updateHostMask();
}

void PopupCard::updateHostMask()
{
    if (!m_host)
        return;
    if (m_translucent)
        m_host->clearMask();
    else
        m_host->setMask(cardRegion().translated(mapTo(m_host, QPoint(0, 0))));
}
