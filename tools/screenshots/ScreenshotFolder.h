// SPDX-License-Identifier: MIT
#pragma once

#include <QDir>
#include <cstdio>
#include <optional>

// Where a screenshot renderer writes: the folder named by its first argument
// ("screenshots" without one), created when missing. Says why when it cannot.
inline std::optional<QDir> screenshotFolder(int argc, char** argv, const char* tool)
{
    const QString output = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("screenshots");
    if (!QDir().mkpath(output)) {
        std::fprintf(stderr, "%s: cannot create %s\n", tool, qPrintable(output));
        return std::nullopt;
    }
    return QDir(output);
}
