// SPDX-License-Identifier: MIT
#pragma once

#include <string_view>

// Binary search in a text of lines sorted by their key, the bytes before the
// first `separator` (dictd's ".index", WordNet's "index.*" and "*.exc" files,
// the server's own cached indexes). Nothing is read into memory: the search
// touches a few lines of the text where it lies.
class SortedLines {
public:
    // The lines whose key is `key`, one after another (empty when none).
    static std::string_view find(std::string_view text, std::string_view key, char separator);
    static std::string_view keyOf(std::string_view line, char separator);
    // The line starting at `at` without its newline, and moves `at` past it.
    static std::string_view nextLine(std::string_view text, std::size_t& at);
};
