// SPDX-License-Identifier: MIT
#pragma once

#include <QSettings>

// A QSettings file format that keeps the type of every value (string,
// integer, Boolean, double). INI turns everything into strings, and some
// preferences read differently by type ("autoPlayPronunciation" stored as a
// string reads as on). The file is JSON:
//   { "accent": {"type": "string", "value": "uk"}, ... }
namespace TypedSettingsFormat {
QSettings::Format format();
}
