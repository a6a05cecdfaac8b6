// SPDX-License-Identifier: MIT
#pragma once

// The three kinds of popup.
enum class PopupMode {
    translate, // a selection: a dictionary entry for one word, a translation otherwise
    refine, // a selection: its rewritten variants
    quickTranslate, // nothing selected: a field translated as the user types
};
