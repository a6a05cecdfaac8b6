// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QUrl>
#include <functional>
#include <memory>

// Plays a word's recorded pronunciation. The media framework behind it pulls
// in a sound server client and a dozen codecs, so it lives in a module of its
// own that is loaded on the first pronunciation: a launch that plays nothing
// never pays for it.
class PronunciationPlayer {
public:
    using Factory = std::function<std::unique_ptr<PronunciationPlayer>()>;

    virtual ~PronunciationPlayer() = default;

    // Replaces whatever was playing. `volume` is 0 to 1.
    virtual void play(const QUrl& source, float volume) = 0;
    virtual void pause() = 0;

    // The player of the module installed with the program, or null (with a
    // warning) where the module cannot be loaded: then nothing is heard.
    static std::unique_ptr<PronunciationPlayer> load();
    // The same from the module in `directory`.
    static std::unique_ptr<PronunciationPlayer> loadFrom(const QString& directory);
};

// The one symbol the module exports.
extern "C" using CreatePronunciationPlayer = PronunciationPlayer * ();
