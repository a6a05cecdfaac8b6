// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringView>

// The character classes the popup's text rules use.
namespace PopupText {

// Line feed, vertical tab, form feed, carriage return, next line, line
// separator and paragraph separator.
bool isNewline(char32_t c);

// Tab, the newlines and every Unicode space separator.
bool isWhitespaceOrNewline(char32_t c);

// `text` without leading and trailing white space and line breaks.
QString trimmed(QStringView text);

// User-perceived characters (extended grapheme clusters), not code units.
qsizetype graphemeCount(const QString& text);

} // namespace PopupText
