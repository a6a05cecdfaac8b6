// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <optional>

// What one capture found, and where.
struct CaptureResult {
    enum class Source {
        primary, // highlighted in the program the user is in (or in this one)
        copy, // copied with the copy keystroke; text may be empty (only white space was copied)
        nothing, // nothing highlighted, nothing copied
        ignored, // another capture was still running; this one did nothing
    };
    Source source = Source::nothing;
    std::optional<QString> text; // for primary and copy
};
