// SPDX-License-Identifier: MIT
#include "PopupText.h"

#include <QChar>
#include <QTextBoundaryFinder>

bool PopupText::isNewline(char32_t c)
{
    return (c >= 0x0A && c <= 0x0D) || c == 0x85 || c == 0x2028 || c == 0x2029;
}

bool PopupText::isWhitespaceOrNewline(char32_t c)
{
    return c == 0x09 || isNewline(c) || QChar::category(c) == QChar::Separator_Space;
}

QString PopupText::trimmed(QStringView text)
{
    // Every member of the set lies in the Basic Multilingual Plane, so testing
    // UTF-16 units one by one is exact: a surrogate half is never one of them.
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isWhitespaceOrNewline(text[begin].unicode()))
        ++begin;
    while (end > begin && isWhitespaceOrNewline(text[end - 1].unicode()))
        --end;
    return text.sliced(begin, end - begin).toString();
}

qsizetype PopupText::graphemeCount(const QString& text)
{
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype count = 0;
    while (finder.toNextBoundary() > 0)
        ++count;
    return count;
}
