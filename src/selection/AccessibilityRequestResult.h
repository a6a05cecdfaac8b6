// SPDX-License-Identifier: MIT
#pragma once

// What requestAccessibility() did.
enum class AccessibilityRequestResult {
    alreadyTrusted, // selections can be read here; nothing was opened
    openedSettings, // the page explaining what the program needs was handed to the browser
    couldNotOpenSettings, // the page could not be written or no browser took it
};
