// SPDX-License-Identifier: MIT
#include "Symbols.h"

#include <QIcon>
#include <QPainter>
#include <QPixmapCache>
#include <QtGlobal>

// Q_INIT_RESOURCE must be used outside any namespace; a static library's
// resources are not registered unless someone asks.
static void registerSymbolResources()
{
    static const bool registered = [] {
        Q_INIT_RESOURCE(resources);
        return true;
    }();
    Q_UNUSED(registered);
}

namespace Symbols {

namespace {

    struct Entry {
        const char* name;
        // A freedesktop symbolic icon that draws the same idea, or nullptr where
        // no common theme has one (a chevron is not an arrow, say).
        const char* themeName;
    };

    constexpr Entry kSymbols[] = {
        { "accessibility", nullptr },
        { "arrow.2.squarepath", "media-playlist-repeat-symbolic" },
        { "arrow.down", nullptr },
        { "arrow.right.to.line", "go-last-symbolic" },
        { "arrow.up.right.square", nullptr },
        { "book.fill", nullptr },
        { "character.cursor.ibeam", nullptr },
        { "checkmark.circle.fill", nullptr },
        { "checkmark.seal.fill", nullptr },
        { "circle.dashed", nullptr },
        { "doc.on.doc", "edit-copy-symbolic" },
        { "globe", nullptr },
        { "key.fill", nullptr },
        { "sparkle", nullptr },
        { "speaker.wave.2.fill", "audio-volume-high-symbolic" },
        { "wand.and.stars", nullptr },
    };

    const Entry* find(const QString& name)
    {
        for (const Entry& entry : kSymbols) {
            if (name == QLatin1String(entry.name))
                return &entry;
        }
        return nullptr;
    }

    QIcon iconFor(const Entry& entry)
    {
        if (entry.themeName && QIcon::hasThemeIcon(QLatin1String(entry.themeName)))
            return QIcon::fromTheme(QLatin1String(entry.themeName));
        registerSymbolResources();
        return QIcon(QStringLiteral(":/symbols/%1.svg").arg(QLatin1String(entry.name)));
    }

} // namespace

bool contains(const QString& name)
{
    return find(name) != nullptr;
}

QPixmap pixmap(const QString& name, int pixelSize, const QColor& color, qreal devicePixelRatio)
{
    const QString key = QStringLiteral("%1/%2/%3/%4")
                            .arg(name)
                            .arg(pixelSize)
                            .arg(color.rgba(), 0, 16)
                            .arg(devicePixelRatio);
    // Qt's shared pixmap cache: bounded in bytes, and emptied with the
    // application object rather than outliving it.
    QPixmap cached;
    if (QPixmapCache::find(key, &cached))
        return cached;

    const int devicePixels = qMax(1, qRound(pixelSize * devicePixelRatio));
    QPixmap result(devicePixels, devicePixels);
    result.fill(Qt::transparent);
    result.setDevicePixelRatio(devicePixelRatio);

    if (const Entry* entry = find(name)) {
        const QPixmap glyph = iconFor(*entry).pixmap(QSize(pixelSize, pixelSize), devicePixelRatio);
        QPainter painter(&result);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawPixmap(QRectF(0, 0, pixelSize, pixelSize), glyph, QRectF(glyph.rect()));
        // Keep the glyph's coverage, replace its colours: theme icons and our
        // drawings alike become a glyph of the requested colour.
        painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
        painter.fillRect(QRectF(0, 0, pixelSize, pixelSize), color);
    } else {
        qWarning("Symbols: no symbol named \"%s\"", qPrintable(name));
    }
    QPixmapCache::insert(key, result);
    return result;
}

QIcon applicationIcon()
{
    registerSymbolResources();
    return QIcon(QStringLiteral(":/sorvantel/sorvantel.svg"));
}

} // namespace Symbols
