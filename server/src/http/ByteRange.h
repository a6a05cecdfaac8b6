// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <string_view>

// The part of a recording a player asked for with a Range header. Players
// seek with one range; several ranges would make the answer larger than the
// recording, so such requests (and any header we cannot read) get it whole.
struct ByteRange {
    enum class Kind { Whole, Partial, Unsatisfiable };
    Kind kind = Kind::Whole;
    std::size_t first = 0;
    std::size_t last = 0; // inclusive

    static ByteRange select(std::string_view header, std::size_t size);
    std::size_t length() const { return last - first + 1; }
};
