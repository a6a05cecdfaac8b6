// SPDX-License-Identifier: MIT
#include "ClipboardContents.h"

#include <set>

namespace {

// Text targets in the order they are preferred when reading.
constexpr const char* utf8Targets[] = { "UTF8_STRING", "text/plain;charset=utf-8", "text/plain" };

} // namespace

const ClipboardFormat* ClipboardContents::find(QByteArrayView target) const
{
    for (const ClipboardFormat& format : formats) {
        if (format.target == target)
            return &format;
    }
    return nullptr;
}

std::optional<QString> ClipboardContents::decodeText(const ClipboardFormat& format)
{
    if (format.format != 8)
        return std::nullopt;
    for (const char* target : utf8Targets) {
        if (format.target == target)
            return QString::fromUtf8(format.data);
    }
    if (format.target == "STRING")
        return QString::fromLatin1(format.data);
    return std::nullopt;
}

std::optional<QString> ClipboardContents::text() const
{
    for (const char* target : { utf8Targets[0], utf8Targets[1], utf8Targets[2], "STRING" }) {
        if (const ClipboardFormat* format = find(target)) {
            if (std::optional<QString> text = decodeText(*format))
                return text;
        }
    }
    return std::nullopt;
}

qsizetype ClipboardContents::byteCount() const
{
    std::set<const char*> seen;
    qsizetype total = 0;
    for (const ClipboardFormat& format : formats) {
        if (seen.insert(format.data.constData()).second)
            total += format.data.size();
    }
    return total;
}

ClipboardContents ClipboardContents::fromText(const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    const QByteArray latin1 = text.toLatin1(); // characters beyond Latin-1 become '?'
    return { {
        { "UTF8_STRING", "UTF8_STRING", 8, utf8 },
        { "text/plain;charset=utf-8", "text/plain;charset=utf-8", 8, utf8 },
        { "text/plain", "text/plain", 8, utf8 },
        { "STRING", "STRING", 8, latin1 },
        { "TEXT", "STRING", 8, latin1 },
    } };
}
