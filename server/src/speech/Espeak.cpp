// SPDX-License-Identifier: MIT
#include "Espeak.h"

#include <QtEndian>
#include <cstring>
#include <espeak-ng/speak_lib.h>
#include <thread>
#include <vector>

namespace {

// espeak-ng hands synthesised samples to one global callback. Synthesis runs
// on the engine's thread only, so this names the buffer of the call in progress.
std::vector<short>* g_samples = nullptr;

int collectSamples(short* samples, int count, espeak_EVENT*)
{
    if (g_samples && samples && count > 0)
        g_samples->insert(g_samples->end(), samples, samples + count);
    return 0;
}

void appendLe32(QByteArray& out, quint32 value)
{
    char bytes[4];
    qToLittleEndian(value, bytes);
    out.append(bytes, 4);
}

void appendLe16(QByteArray& out, quint16 value)
{
    char bytes[2];
    qToLittleEndian(value, bytes);
    out.append(bytes, 2);
}

QByteArray wavFile(const std::vector<short>& samples, int sampleRate)
{
    const quint32 dataBytes = quint32(samples.size() * 2);
    QByteArray out;
    out.reserve(int(44 + dataBytes));
    out.append("RIFF", 4);
    appendLe32(out, 36 + dataBytes);
    out.append("WAVEfmt ", 8);
    appendLe32(out, 16); // PCM format chunk
    appendLe16(out, 1); // PCM
    appendLe16(out, 1); // mono
    appendLe32(out, quint32(sampleRate));
    appendLe32(out, quint32(sampleRate * 2));
    appendLe16(out, 2); // block align
    appendLe16(out, 16); // bits per sample
    out.append("data", 4);
    appendLe32(out, dataBytes);
    for (short sample : samples)
        appendLe16(out, quint16(sample));
    return out;
}

} // namespace

Espeak* Espeak::instance(QString* error)
{
    static Espeak* engine = [] {
        // DONT_EXIT: without it the library calls exit() when its data is missing.
        const int rate = espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 0, nullptr, espeakINITIALIZE_DONT_EXIT);
        if (rate <= 0)
            return static_cast<Espeak*>(nullptr);
        espeak_SetSynthCallback(collectSamples);
        auto* created = new Espeak; // lives for the process: espeak-ng cannot be restarted
        created->m_sampleRate = rate;
        std::thread([created] { created->serve(); }).detach();
        return created;
    }();
    if (!engine && error)
        *error = QStringLiteral("espeak-ng could not start (is espeak-ng-data installed?)");
    return engine;
}

std::optional<Espeak::Accent> Espeak::accentFromCode(const QString& code)
{
    if (code == QLatin1String("uk"))
        return Accent::British;
    if (code == QLatin1String("us"))
        return Accent::American;
    return std::nullopt;
}

bool Espeak::run(Accent accent, const std::function<void()>& work)
{
    Call call;
    call.work = &work;
    std::unique_lock lock(m_mutex);
    m_waiting[int(accent)].push_back(&call);
    m_queued.notify_one();
    call.finished.wait(lock, [&call] { return call.done; });
    return call.voiceSelected;
}

void Espeak::serve()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_queued.wait(lock, [this] { return !m_waiting[0].empty() || !m_waiting[1].empty(); });
        int accent = m_voice ? int(*m_voice) : 0;
        const int other = 1 - accent;
        if (m_waiting[accent].empty() || (m_callsForVoice >= kMaxCallsPerVoice && !m_waiting[other].empty()))
            accent = other;
        Call* call = m_waiting[accent].front();
        m_waiting[accent].pop_front();
        lock.unlock();
        call->voiceSelected = selectVoice(Accent(accent));
        if (call->voiceSelected)
            (*call->work)();
        lock.lock();
        call->done = true;
        call->finished.notify_one();
    }
}

bool Espeak::selectVoice(Accent accent)
{
    if (m_voice == accent) {
        ++m_callsForVoice;
        return true;
    }
    // Selecting by language works where selecting "en-gb" by name does not.
    // The British voice is the RP one: espeak's default British voice has the
    // northern short BATH vowel ("dance" /dˈans/), dictionaries give /ɑː/.
    espeak_VOICE voice;
    std::memset(&voice, 0, sizeof voice);
    voice.languages = accent == Accent::British ? "en-gb-x-rp" : "en-us";
    if (espeak_SetVoiceByProperties(&voice) != EE_OK)
        return false;
    // espeak queues a copy of the new voice that only synthesis frees;
    // transcribing alone would leak it (1.3 KB per change). Synthesising
    // nothing frees it.
    espeak_Synth("", 1, 0, POS_CHARACTER, 0, espeakCHARS_UTF8, nullptr, nullptr);
    m_voice = accent;
    m_callsForVoice = 1;
    return true;
}

std::optional<QString> Espeak::ipa(const QString& text, Accent accent)
{
    const QByteArray utf8 = text.toUtf8();
    // Filled on the engine's thread; what is kept is made here.
    std::vector<std::string> clauses;
    const std::function<void()> transcribe = [&] {
        const void* position = utf8.constData();
        // One call per clause; the position is null after the last.
        while (position) {
            const char* clause = espeak_TextToPhonemes(&position, espeakCHARS_UTF8, espeakPHONEMES_IPA);
            if (!clause)
                break;
            clauses.emplace_back(clause);
        }
    };
    if (!run(accent, transcribe))
        return std::nullopt;
    QString out;
    for (const std::string& clause : clauses) {
        if (!out.isEmpty())
            out += u' ';
        out += QString::fromStdString(clause).trimmed();
    }
    out = out.trimmed();
    if (out.isEmpty())
        return std::nullopt;
    return out;
}

std::optional<QByteArray> Espeak::wav(const QString& text, Accent accent)
{
    const QByteArray utf8 = text.toUtf8();
    std::vector<short> samples;
    espeak_ERROR result = EE_INTERNAL_ERROR;
    const std::function<void()> speak = [&] {
        g_samples = &samples;
        result = espeak_Synth(utf8.constData(), std::size_t(utf8.size()) + 1, 0, POS_CHARACTER, 0,
            espeakCHARS_UTF8, nullptr, nullptr);
        g_samples = nullptr;
    };
    if (!run(accent, speak) || result != EE_OK || samples.empty())
        return std::nullopt;
    return wavFile(samples, m_sampleRate);
}
