// SPDX-License-Identifier: MIT
#pragma once

#include "Hotkey.h"

#include <QSettings>
#include <QString>
#include <QUrl>
#include <optional>

// The user's preferences, typed, with their defaults. Every read goes to the
// store, so a write is seen by the next read everywhere; every write is
// flushed to disk at once.
class AppSettings {
public:
    // A store over the given file: the program's is defaultFilePath(), tests
    // use a temporary one.
    explicit AppSettings(const QString& filePath);
    Q_DISABLE_COPY_MOVE(AppSettings)

    // Base address of the backend service, fixed at build time.
    static QUrl defaultServerURL();
    static const QString& defaultRefinePrompt();
    static QString defaultFilePath();

    QString targetLanguage() const;
    void setTargetLanguage(const QString& code);

    QString accent() const;
    void setAccent(const QString& accent);

    Hotkey hotkey() const;
    void setHotkey(const Hotkey& hotkey);

    Hotkey refineHotkey() const;
    void setRefineHotkey(const Hotkey& hotkey);

    QString refinePrompt() const;
    void setRefinePrompt(const QString& prompt);

    bool autoPlayPronunciation() const;
    void setAutoPlayPronunciation(bool on);

    double pronunciationVolume() const;
    void setPronunciationVolume(double volume);

    bool hasCompletedOnboarding() const;
    void setHasCompletedOnboarding(bool done);

    // Whether the program looks for a newer version at launch (when its
    // build has an update feed). Set by hand in the settings file.
    bool automaticallyChecksForUpdates() const;

private:
    static std::optional<Hotkey> legacyHotkey(const std::optional<QString>& id);
    QString string(const char* key, const QString& fallback) const;
    void write(const char* key, const QVariant& value);

    mutable QSettings m_defaults;
};
