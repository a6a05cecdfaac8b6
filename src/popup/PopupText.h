// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

// Text rules of the popup beyond Qt's own. White space and line ends are
// QChar::isSpace (tab, line feed to carriage return, next line and every
// Unicode space, line or paragraph separator), which is also what
// QString::trimmed removes.
namespace PopupText {

// Line feed, vertical tab, form feed, carriage return, next line, line
// separator and paragraph separator.
bool isNewline(char32_t c);

// User-perceived characters (extended grapheme clusters), not code units.
qsizetype graphemeCount(const QString& text);

} // namespace PopupText
