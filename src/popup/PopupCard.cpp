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
    updateHostMask();
    update();
}

QRegion PopupCard::cardRegion() const
{
    QPainterPath outline;
    outline.addRoundedRect(QRectF(rect()), cornerRadius, cornerRadius);
    return QRegion(outline.toFillPolygon().toPolygon());
}

void PopupCard::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (m_translucent) {
        QPainterPath card;
        card.addRoundedRect(QRectF(rect()), cornerRadius, cornerRadius);
        painter.fillPath(card, Appearance::material(palette(), true));
    } else {
        // Every pixel opaque and exactly the mask's shape: a half-transparent
        // edge would show dark where nothing blends it.
        painter.setClipRegion(cardRegion());
        painter.fillRect(rect(), Appearance::material(palette(), false));
    }

    // The border lies inside the edge: a 1-pixel line centred half a pixel in.
    QPainterPath edge;
    edge.addRoundedRect(
        QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), cornerRadius - 0.5, cornerRadius - 0.5);
    QPen pen(Appearance::separator(palette()));
    pen.setWidthF(1);
    painter.setPen(pen);
    painter.drawPath(edge);
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
