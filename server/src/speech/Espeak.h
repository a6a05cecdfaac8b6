// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QString>
#include <mutex>
#include <optional>

// The espeak-ng speech engine. The library keeps global state and may be
// initialised only once per process (a second initialisation makes its
// shutdown hang), so there is one instance and every call holds its lock.
class Espeak {
public:
    enum class Accent { British, American };

    // The process's engine, initialised on first use; nullptr when espeak-ng
    // cannot start (missing data), reported once through `error`.
    static Espeak* instance(QString* error = nullptr);

    // The IPA transcription of `text` in the accent's voice.
    std::optional<QString> ipa(const QString& text, Accent accent);
    // `text` spoken in the accent's voice, as a 16-bit mono WAV file.
    std::optional<QByteArray> wav(const QString& text, Accent accent);

    int sampleRate() const { return m_sampleRate; }
    static std::optional<Accent> accentFromCode(const QString& code);

private:
    Espeak() = default;
    bool selectVoice(Accent accent);

    std::mutex m_mutex;
    int m_sampleRate = 0;
    std::optional<Accent> m_voice;
};
