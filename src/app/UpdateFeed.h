// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>
#include <QVersionNumber>
#include <variant>

// The update feed: a small JSON document naming the latest version, its
// release notes and the page to download it from.
//
//   {"version": "0.3.0", "notes": "What changed.", "downloadPage": "https://..."}
namespace UpdateFeed {

// The largest feed read; anything longer is not a feed.
inline constexpr qint64 maxBytes = 64 * 1024;

struct Release {
    QVersionNumber version;
    QString notes; // plain text, never markup
    QUrl downloadPage;
};

// The release the document describes, or why it is not a feed. The download
// page must be an https address (http only on loopback), since the program
// hands it to the browser.
std::variant<Release, QString> parse(const QByteArray& document);

} // namespace UpdateFeed
