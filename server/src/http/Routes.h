// SPDX-License-Identifier: MIT
#pragma once

#include "AudioRelay.h"
#include "Envelope.h"
#include "GeminiClient.h"
#include "Translator.h"
#include "WordLookup.h"

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <string_view>
#include <variant>

// The service's endpoints, from decoded request parts to replies; the HTTP
// layer (Server) only moves bytes in and out.
class Routes {
public:
    Routes(WordLookup& lookup, const Translator& translator, const GeminiClient& gemini,
        const AudioRelay& relay);

    Reply lookup(const QString& word, const QString& accent);
    Reply pronunciation(const QString& word, const QString& accent);
    Reply translate(const QByteArray& body) const;
    Reply refine(const QByteArray& body) const;
    Reply audio(const QString& source) const;

    // A JSON object with the named string members (optional ones may be
    // absent or null), or the 400 reply that says what is wrong with it.
    static std::variant<QJsonObject, Reply> parseObject(
        const QByteArray& body, const QStringList& required, const QStringList& optional);
    // The envelope for a refusal that reached no handler (unknown route, oversized body...).
    static Reply forStatus(int status);
    // The route a request path belongs to ("/lookup"), or null when it is
    // none of ours. Logs name the route: the path may hold the looked-up text.
    static const char* routeOf(std::string_view path);
    // Whether `route` answers `method`; other methods get 405.
    static bool allowsMethod(std::string_view route, std::string_view method);

private:
    WordLookup& m_lookup;
    const Translator& m_translator;
    const GeminiClient& m_gemini;
    const AudioRelay& m_relay;
};
