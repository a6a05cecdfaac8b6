// SPDX-License-Identifier: MIT
#pragma once

#include "AccessibilityRequestResult.h"
#include "CaptureResult.h"

#include <QString>
#include <functional>
#include <optional>

// The text the user has selected in whatever application they are working
// in. Main thread only.
namespace SelectionCapture {

using Handler = std::function<void(CaptureResult)>;
using Completion = std::function<void(std::optional<QString>)>;

// Reads the selection and calls `handler` exactly once, on the main thread.
// Text highlighted in the program the user is in (or in this program's own
// windows) comes back unchanged, before this returns. Otherwise the focused
// application is sent the copy keystroke and, 0.15 s after it, the copied
// text (trimmed; possibly empty) or nothing is passed on, a later turn of the
// event loop; the clipboard then holds again what it held before. A capture
// started while another is still copying is ignored (its result says so):
// it would take the first one's restore for a copy.
void capture(Handler handler);

// The same with the text alone. An ignored capture never calls `completion`:
// the running one answers for the press.
void captureSelection(Completion completion);

// alreadyTrusted when this session lets the program read selections and
// send keystrokes; otherwise opens, in the browser, a page that explains
// what the program needs.
AccessibilityRequestResult requestAccessibility();

} // namespace SelectionCapture
