// SPDX-License-Identifier: MIT
#pragma once

#include "AccessibilityRequestResult.h"

#include <QString>
#include <functional>
#include <optional>

// The text the user has selected in whatever application they are working
// in. Keeps no state between calls; main thread only.
namespace SelectionCapture {

using Completion = std::function<void(std::optional<QString>)>;

// Reads the selection and calls `completion` exactly once, on the main
// thread. When the primary selection holds text, with it, unchanged, before
// this returns. Otherwise the focused application is sent the copy
// keystroke and, 0.15 s after it, the copied text (trimmed; possibly empty)
// or nothing is passed on, a later turn of the event loop; the clipboard
// then holds again what it held before.
void captureSelection(Completion completion);

// alreadyTrusted when this session lets the program read selections and
// send keystrokes; otherwise opens, in the browser, a page that explains
// what the program needs.
AccessibilityRequestResult requestAccessibility();

} // namespace SelectionCapture
