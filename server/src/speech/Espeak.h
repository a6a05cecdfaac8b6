// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QString>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>

// The espeak-ng speech engine. The library keeps global state and may be
// initialised only once per process (a second initialisation makes its
// shutdown hang), so there is one instance, and it runs every call on a
// thread of its own. Changing the voice reloads espeak's dictionary (a few
// hundred kilobytes, allocated anew each time), so calls waiting for the
// loaded voice go first: callers alternating between accents neither pay a
// reload per call nor scatter those buffers over every caller's heap.
class Espeak {
public:
    enum class Accent { British, American };

    // Calls waiting for the other voice run after at most this many calls for the loaded one.
    static constexpr int kMaxCallsPerVoice = 64;

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
    struct Call {
        const std::function<void()>* work = nullptr;
        bool voiceSelected = false;
        bool done = false;
        std::condition_variable finished;
    };

    Espeak() = default;
    // Runs `work` on the engine's thread with the accent's voice loaded;
    // false when the voice could not be selected.
    bool run(Accent accent, const std::function<void()>& work);
    void serve();
    bool selectVoice(Accent accent);

    int m_sampleRate = 0;
    std::mutex m_mutex;
    std::condition_variable m_queued;
    std::deque<Call*> m_waiting[2]; // by accent
    // Owned by the engine's thread.
    std::optional<Accent> m_voice;
    int m_callsForVoice = 0;
};
