// SPDX-License-Identifier: MIT
#include "DimmedEffect.h"

#include <QImage>
#include <QPainter>

DimmedEffect::DimmedEffect(qreal opacity, QObject* parent)
    : QGraphicsEffect(parent)
    , m_opacity(opacity)
{
}

void DimmedEffect::draw(QPainter* painter)
{
    QPoint offset;
    const QPixmap source = sourcePixmap(Qt::DeviceCoordinates, &offset);
    if (source.isNull())
        return;
    QImage image = source.toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            // Premultiplied: the grey of premultiplied channels is the
            // premultiplied grey, so alpha stays as it was.
            const int grey = qGray(line[x]);
            line[x] = qRgba(grey, grey, grey, qAlpha(line[x]));
        }
    }
    painter->save();
    painter->setWorldTransform(QTransform());
    painter->setOpacity(painter->opacity() * m_opacity);
    painter->drawImage(offset, image);
    painter->restore();
}
