// SPDX-License-Identifier: MIT
#include "FeatureScene.h"

#include "Appearance.h"
#include "OnboardingStyle.h"
#include "Symbols.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <algorithm>
#include <span>

namespace FeatureScene {

namespace {

    // Where an element stands; y grows downward, rotation in degrees
    // clockwise, all about the centre of the element's unshifted position.
    struct Pose {
        QPointF offset;
        qreal rotation = 0;
        qreal opacity = 1;
        qreal scale = 1;
        qreal shadow = 0;
    };

    enum class Kind { chip, tintedChip, sparkle, keycap, inputMock };

    struct Element {
        Kind kind;
        const char16_t* text; // chips; the sparkle's size as a number otherwise
        qreal size;
        Pose rest;
        Pose hovered;
    };

    constexpr Element kTranslate[] = {
        { Kind::chip, u"привет", 0, { { -10, 10 }, -2 }, { { -20, 16 }, -5 } },
        { Kind::tintedChip, u"hello", 0, { { 10, -8 }, 2, 1, 1, 0 }, { { 22, -52 }, 7, 1, 1, 0.25 } },
    };
    constexpr Element kRefine[] = {
        { Kind::chip, u"make gooder pls", 0, { { -6, 10 }, -1 }, { { -14, 18 }, -4 } },
        { Kind::tintedChip, u"make it better", 0, { { 6, -8 }, 1, 1, 1, 0 }, { { 14, -50 }, 5, 1, 1, 0.25 } },
        { Kind::sparkle, nullptr, 9, { { 30, -18 }, 0, 0.35 }, { { 52, -62 }, 0, 1 } },
        { Kind::sparkle, nullptr, 6, { { -30, -14 }, 0, 0.35 }, { { -48, -40 }, 0, 1 } },
        { Kind::sparkle, nullptr, 5, { { 34, 0 }, 0, 0.35 }, { { 60, -20 }, 0, 1 } },
    };
    constexpr Element kQuickType[] = {
        { Kind::keycap, nullptr, 0, { { 0, 12 }, 0, 1, 1 }, { { 0, 22 }, 0, 1, 0.9 } },
        { Kind::inputMock, nullptr, 0, { { 0, -10 }, 0, 1, 1, 0 }, { { 0, -54 }, 0, 1, 1.08, 0.25 } },
    };

    std::span<const Element> elements(FeatureCard::Scene scene)
    {
        switch (scene) {
        case FeatureCard::Scene::translate:
            return kTranslate;
        case FeatureCard::Scene::refine:
            return kRefine;
        case FeatureCard::Scene::quickType:
            return kQuickType;
        }
        return {};
    }

    qreal lerp(qreal a, qreal b, qreal t)
    {
        return a + (b - a) * t;
    }

    Pose between(const Pose& a, const Pose& b, qreal t)
    {
        return { QPointF(lerp(a.offset.x(), b.offset.x(), t), lerp(a.offset.y(), b.offset.y(), t)),
            lerp(a.rotation, b.rotation, t), std::clamp(lerp(a.opacity, b.opacity, t), 0.0, 1.0),
            lerp(a.scale, b.scale, t), std::clamp(lerp(a.shadow, b.shadow, t), 0.0, 1.0) };
    }

    // A soft black shadow 3 below the shape, about 8 wide at its edge.
    void drawShadow(QPainter& painter, const QPainterPath& shape, qreal opacity)
    {
        if (opacity <= 0)
            return;
        painter.save();
        painter.translate(0, 3);
        for (int ring = 4; ring >= 1; --ring) {
            QPen pen(QColor::fromRgbF(0, 0, 0, float(opacity * 0.18)));
            pen.setWidthF(ring * 4);
            pen.setJoinStyle(Qt::RoundJoin);
            painter.setPen(pen);
            painter.setBrush(Qt::NoBrush);
            painter.setOpacity(1.0 / ring);
            painter.drawPath(shape);
        }
        painter.setOpacity(1);
        painter.fillPath(shape, QColor::fromRgbF(0, 0, 0, float(opacity)));
        painter.restore();
    }

    // A shape centred on the origin and what to draw in it.
    struct Drawn {
        QPainterPath shape;
        QColor fill;
        QColor border;
    };

    QRectF centred(const QSizeF& size)
    {
        return QRectF(QPointF(-size.width() / 2, -size.height() / 2), size);
    }

    void drawText(
        QPainter& painter, const QRectF& box, const QFont& font, const QColor& color, const QString& text)
    {
        painter.setFont(font);
        painter.setPen(color);
        painter.drawText(box, Qt::AlignCenter, text);
    }

    void drawElement(QPainter& painter, const Element& element, const QString& keycap,
        const QPalette& palette, qreal devicePixelRatio, qreal shadow)
    {
        const QColor text = palette.color(QPalette::WindowText);
        switch (element.kind) {
        case Kind::chip:
        case Kind::tintedChip: {
            const QFont font = Appearance::font(Appearance::TextStyle::caption2, QFont::Medium);
            const QString label = QString::fromUtf16(element.text);
            const QFontMetricsF metrics(font);
            const QRectF box = centred(QSizeF(metrics.horizontalAdvance(label) + 16, metrics.height() + 8));
            QPainterPath capsule;
            capsule.addRoundedRect(box, box.height() / 2, box.height() / 2);
            drawShadow(painter, capsule, shadow);
            const bool tinted = element.kind == Kind::tintedChip;
            // Over a shadow a see-through fill would show it: lay the
            // window's colour first.
            if (tinted)
                painter.fillPath(capsule, palette.color(QPalette::Window));
            painter.fillPath(capsule,
                tinted ? OnboardingStyle::withAlpha(Appearance::accent(palette), 0.22)
                       : Appearance::foreground(Appearance::Emphasis::quaternary, palette));
            drawText(painter, box, font, text, label);
            return;
        }
        case Kind::sparkle: {
            const int size = Appearance::symbolPixels(element.size);
            const QRectF box = centred(QSizeF(size, size));
            painter.drawPixmap(box.topLeft(),
                Symbols::pixmap(
                    QStringLiteral("sparkle"), size, Appearance::accent(palette), devicePixelRatio));
            return;
        }
        case Kind::keycap: {
            QFont font = Appearance::monospacedFont(Appearance::TextStyle::body);
            font.setWeight(QFont::DemiBold);
            const QFontMetricsF metrics(font);
            const QRectF box = centred(QSizeF(metrics.horizontalAdvance(keycap) + 16, metrics.height() + 10));
            OnboardingStyle::drawRoundedBox(
                painter, box, 6, Appearance::foreground(Appearance::Emphasis::quaternary, palette), {}, 0);
            drawText(painter, box, font, text, keycap);
            return;
        }
        case Kind::inputMock: {
            const QFont font = Appearance::font(Appearance::TextStyle::caption2);
            const QString label = QStringLiteral("type…");
            const QFontMetricsF metrics(font);
            const int cursor = Appearance::symbolPixels(8);
            const qreal width = cursor + 4 + metrics.horizontalAdvance(label) + 16;
            const QRectF box = centred(QSizeF(width, std::max<qreal>(cursor, metrics.height()) + 10));
            QPainterPath shape;
            shape.addRoundedRect(box, 6, 6);
            drawShadow(painter, shape, shadow);
            OnboardingStyle::drawRoundedBox(
                painter, box, 6, palette.color(QPalette::Base), Appearance::separator(palette), 0.5);
            const QPointF start(box.left() + 8, box.center().y());
            painter.drawPixmap(QPointF(start.x(), start.y() - cursor / 2.0),
                Symbols::pixmap(QStringLiteral("character.cursor.ibeam"), cursor, Appearance::accent(palette),
                    devicePixelRatio));
            const QRectF textBox(
                start.x() + cursor + 4, box.top(), metrics.horizontalAdvance(label) + 1, box.height());
            drawText(painter, textBox, font, Appearance::foreground(Appearance::Emphasis::secondary, palette),
                label);
            return;
        }
        }
    }

} // namespace

void paint(QPainter& painter, FeatureCard::Scene scene, const QRectF& area, qreal hover,
    const QString& keycap, const QPalette& palette, qreal devicePixelRatio)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    for (const Element& element : elements(scene)) {
        const Pose pose = between(element.rest, element.hovered, hover);
        painter.save();
        painter.translate(area.center() + pose.offset);
        painter.rotate(pose.rotation);
        painter.scale(pose.scale, pose.scale);
        painter.setOpacity(pose.opacity);
        drawElement(painter, element, keycap, palette, devicePixelRatio, pose.shadow);
        painter.restore();
    }
    painter.restore();
}

} // namespace FeatureScene
