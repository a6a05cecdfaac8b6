// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

// The page, shipped inside the program, that explains what it needs from the
// desktop session to read selections.
namespace PermissionHelpPage {

// Where open() writes the page for the browser to read.
QString filePath();

// Writes the page to filePath() and asks the desktop to show it. False when
// it could not be written or nothing took it.
bool open();

} // namespace PermissionHelpPage
