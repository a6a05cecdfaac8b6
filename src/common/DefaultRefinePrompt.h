// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

// The rewriting instruction a refine request carries when the user has not
// written their own; the desktop program sends it and the server falls back on it.
const QString& defaultRefinePrompt();
