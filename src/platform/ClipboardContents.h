// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

// One format of a selection's contents, exactly as its owner delivered it.
struct ClipboardFormat {
    QByteArray target; // the target's name: "UTF8_STRING", "image/png", "application/x-..."
    QByteArray type; // the type the owner answered with (often the target itself)
    int format = 8; // bits per item: 8, 16 or 32
    QByteArray data; // the items; 16- and 32-bit items in host byte order
    // Empty for bytes the owner delivered. Otherwise the target of another
    // image format whose picture this one is encoded from when first asked
    // for (data is empty until then): owners encode every image format on
    // request, and a large picture in all of them takes seconds.
    QByteArray convertedFrom {};

    friend bool operator==(const ClipboardFormat&, const ClipboardFormat&) = default;
};

// Everything a clipboard held, in the owner's order: what a snapshot keeps
// and a restore offers again.
struct ClipboardContents {
    QList<ClipboardFormat> formats;

    bool isEmpty() const { return formats.isEmpty(); }
    const ClipboardFormat* find(QByteArrayView target) const;

    // The plain text, from the first text target present (UTF-8 ones before
    // Latin-1 STRING); nothing when there is none.
    std::optional<QString> text() const;

    // Bytes held, counting data shared between formats once.
    qsizetype byteCount() const;

    // A plain string under the usual text targets.
    static ClipboardContents fromText(const QString& text);

    // The text a format holds when it is one of the text targets.
    static std::optional<QString> decodeText(const ClipboardFormat& format);

    friend bool operator==(const ClipboardContents&, const ClipboardContents&) = default;
};
