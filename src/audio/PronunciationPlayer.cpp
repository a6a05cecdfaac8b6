// SPDX-License-Identifier: MIT
#include "PronunciationPlayer.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibrary>

namespace {

constexpr char kModuleName[] = "sorvantel-audio";
constexpr char kFactorySymbol[] = "sorvantel_create_pronunciation_player";

std::unique_ptr<PronunciationPlayer> loadFromAny(const QStringList& directories)
{
    QString reasons;
    for (const QString& directory : directories) {
        // Never unloaded: players made by it may outlive this call by far.
        QLibrary module(QDir(directory).filePath(QLatin1String(kModuleName)));
        if (auto create = reinterpret_cast<CreatePronunciationPlayer*>(module.resolve(kFactorySymbol)))
            return std::unique_ptr<PronunciationPlayer>(create());
        reasons += QLatin1String("\n  ") + module.errorString();
    }
    qWarning(
        "Sorvantel: pronunciations cannot be played; the audio module did not load:%s", qPrintable(reasons));
    return nullptr;
}

} // namespace

std::unique_ptr<PronunciationPlayer> PronunciationPlayer::load()
{
    // Beside the program in a build tree; under the library folder once installed.
    const QString programDir = QCoreApplication::applicationDirPath();
    return loadFromAny(
        { programDir, QDir(programDir).filePath(QStringLiteral(SORVANTEL_MODULE_DIR_FROM_BIN)) });
}

std::unique_ptr<PronunciationPlayer> PronunciationPlayer::loadFrom(const QString& directory)
{
    return loadFromAny({ directory });
}
