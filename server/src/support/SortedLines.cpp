// SPDX-License-Identifier: MIT
#include "SortedLines.h"

std::string_view SortedLines::keyOf(std::string_view line, char separator)
{
    return line.substr(0, line.find(separator));
}

std::string_view SortedLines::nextLine(std::string_view text, std::size_t& at)
{
    const std::size_t end = std::min(text.find('\n', at), text.size());
    const std::string_view line = text.substr(at, end - at);
    at = end + 1;
    return line;
}

std::string_view SortedLines::find(std::string_view text, std::string_view key, char separator)
{
    // Every line starting before `lo` has a smaller key, every line starting
    // at `hi` or later a key at least as large; both are line starts.
    std::size_t lo = 0, hi = text.size();
    while (lo < hi) {
        std::size_t start = lo + (hi - lo) / 2;
        while (start > lo && text[start - 1] != '\n')
            --start;
        std::size_t next = start;
        const std::string_view line = nextLine(text, next);
        if (keyOf(line, separator) < key)
            lo = std::min(next, text.size());
        else
            hi = start;
    }
    std::size_t end = lo;
    while (end < text.size()) {
        std::size_t next = end;
        if (keyOf(nextLine(text, next), separator) != key)
            break;
        end = std::min(next, text.size());
    }
    return text.substr(lo, end - lo);
}
