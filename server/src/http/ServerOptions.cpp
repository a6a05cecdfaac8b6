// SPDX-License-Identifier: MIT
#include "ServerOptions.h"

#include "AddressPolicy.h"
#include "GeminiClient.h"
#include "HttpUrl.h"

#include <QCommandLineParser>
#include <QFile>
#include <QUrl>

#ifndef SORVANTEL_SERVER_HOST
#define SORVANTEL_SERVER_HOST "127.0.0.1"
#endif
#ifndef SORVANTEL_SERVER_PORT
#define SORVANTEL_SERVER_PORT 47831
#endif

ServerOptions::ServerOptions()
    : host(QStringLiteral(SORVANTEL_SERVER_HOST))
    , port(SORVANTEL_SERVER_PORT)
{
}

namespace {

// "audio.example", "Audio.Example:8443", "[2001:db8::1]" or "2001:db8::1" as
// the relay compares it with an address's host ("host" or "host:port").
std::optional<QString> audioHostEntry(const QString& value)
{
    if (const auto literal = IpAddress::parse(value.toStdString()))
        return QString::fromStdString(literal->toString());
    const QUrl url(QStringLiteral("http://") + value, QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty() || !url.path().isEmpty() || !url.userInfo().isEmpty()
        || url.hasQuery() || url.hasFragment())
        return std::nullopt;
    const QString host = url.host(QUrl::FullyEncoded).toLower();
    if (url.port() < 0)
        return host;
    return (host.contains(u':') ? u'[' + host + u']' : host) + u':' + QString::number(url.port());
}

} // namespace

QString ServerOptions::authority(int actualPort) const
{
    const QString hostPart = host.contains(u':') ? u'[' + host + u']' : host;
    return QStringLiteral("%1:%2").arg(hostPart).arg(actualPort);
}

ServerOptions::Parsed ServerOptions::parse(const QStringList& arguments)
{
    Parsed parsed;
    ServerOptions& o = parsed.options;
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("The Sorvantel backend: word lookup, translation, "
                                                    "rewriting and pronunciation on a loopback address."));
    const QCommandLineOption help({ "h", "help" }, QStringLiteral("Show this help."));
    const QCommandLineOption version(QStringLiteral("version"), QStringLiteral("Show the version."));
    const QCommandLineOption hostOption(QStringLiteral("host"),
        QStringLiteral("Loopback address to listen on (default %1).").arg(o.host), QStringLiteral("address"));
    const QCommandLineOption portOption(QStringLiteral("port"),
        QStringLiteral("Port to listen on; 0 picks a free one (default %1).").arg(o.port),
        QStringLiteral("port"));
    const QCommandLineOption wordNet(QStringLiteral("wordnet-dir"),
        QStringLiteral("WordNet database folder (default %1).").arg(o.wordNetDir), QStringLiteral("dir"));
    const QCommandLineOption dictd(QStringLiteral("dictd-dir"),
        QStringLiteral("Folder of dictd dictionaries (default %1).").arg(o.dictdDir), QStringLiteral("dir"));
    const QCommandLineOption ding(QStringLiteral("ding-file"),
        QStringLiteral("Ding German-English dictionary; empty for none (default %1).").arg(o.dingFile),
        QStringLiteral("file"));
    const QCommandLineOption translateUrl(QStringLiteral("translate-url"),
        QStringLiteral("Address of a LibreTranslate-compatible service for sentences (default: none)."),
        QStringLiteral("url"));
    const QCommandLineOption translateKeyFile(QStringLiteral("translate-key-file"),
        QStringLiteral("File holding that service's API key."), QStringLiteral("file"));
    const QCommandLineOption geminiUrl(QStringLiteral("gemini-url"),
        QStringLiteral("Gemini API base address (default %1).").arg(o.geminiUrl), QStringLiteral("url"));
    const QCommandLineOption geminiModel(QStringLiteral("gemini-model"),
        QStringLiteral("Gemini model for rewriting (default %1).").arg(o.geminiModel),
        QStringLiteral("name"));
    const QCommandLineOption audioHost(QStringLiteral("audio-host"),
        QStringLiteral(
            "A dictionary audio host (with a port: that port only) the relay may fetch from; repeatable."),
        QStringLiteral("host"));
    const QCommandLineOption audioMax(QStringLiteral("audio-max-bytes"),
        QStringLiteral("Largest recording the relay passes on (default %1).").arg(o.audioMaxBytes),
        QStringLiteral("bytes"));
    const QCommandLineOption threads(QStringLiteral("threads"),
        QStringLiteral("Threads for lookups and pronunciations (default %1).").arg(o.threads),
        QStringLiteral("count"));
    const QCommandLineOption verbose(QStringLiteral("verbose"),
        QStringLiteral("Log one line per request (method, path, status; never bodies or keys)."));
    parser.addOptions({ help, version, hostOption, portOption, wordNet, dictd, ding, translateUrl,
        translateKeyFile, geminiUrl, geminiModel, audioHost, audioMax, threads, verbose });

    auto fail = [&](const QString& message) {
        parsed.outcome = Outcome::Error;
        parsed.message = message;
        return parsed;
    };
    if (!parser.parse(arguments))
        return fail(parser.errorText());
    if (!parser.positionalArguments().isEmpty())
        return fail(QStringLiteral("unexpected argument “%1”").arg(parser.positionalArguments().first()));
    if (parser.isSet(help)) {
        parsed.outcome = Outcome::Help;
        parsed.message = parser.helpText();
        return parsed;
    }
    if (parser.isSet(version)) {
        parsed.outcome = Outcome::Version;
        parsed.message = QStringLiteral("sorvantel-server " SORVANTEL_VERSION);
        return parsed;
    }

    if (parser.isSet(hostOption)) {
        o.host = parser.value(hostOption);
        // Nothing here asks who is calling: it must not listen beyond this machine.
        const auto address = IpAddress::parse(o.host.toStdString());
        if (!address || AddressPolicy::classify(*address) != AddressClass::Loopback)
            return fail(QStringLiteral("--host must be a loopback address such as 127.0.0.1 or ::1"));
        o.host = QString::fromStdString(address->toString());
    }
    auto number = [&](const QCommandLineOption& option, long long min, long long max, long long* out) {
        bool ok = false;
        const long long value = parser.value(option).toLongLong(&ok);
        if (!ok || value < min || value > max)
            return false;
        *out = value;
        return true;
    };
    long long value = 0;
    if (parser.isSet(portOption)) {
        if (!number(portOption, 0, 65535, &value))
            return fail(QStringLiteral("--port must be a number from 0 to 65535"));
        o.port = int(value);
    }
    if (parser.isSet(threads)) {
        if (!number(threads, 1, 256, &value))
            return fail(QStringLiteral("--threads must be a number from 1 to 256"));
        o.threads = int(value);
    }
    if (parser.isSet(audioMax)) {
        if (!number(audioMax, 1, 100ll * 1024 * 1024, &value))
            return fail(QStringLiteral("--audio-max-bytes must be a number from 1 to 104857600"));
        o.audioMaxBytes = std::size_t(value);
    }
    if (parser.isSet(wordNet))
        o.wordNetDir = parser.value(wordNet);
    if (parser.isSet(dictd))
        o.dictdDir = parser.value(dictd);
    if (parser.isSet(ding))
        o.dingFile = parser.value(ding);
    if (parser.isSet(translateUrl)) {
        o.translateUrl = parser.value(translateUrl);
        if (!HttpUrl::parse(o.translateUrl))
            return fail(QStringLiteral("--translate-url must be an http or https address"));
    }
    if (parser.isSet(translateKeyFile)) {
        QFile file(parser.value(translateKeyFile));
        if (!file.open(QIODevice::ReadOnly))
            return fail(QStringLiteral("cannot read %1: %2").arg(file.fileName(), file.errorString()));
        o.translateKey = file.readAll().trimmed().toStdString();
    }
    if (parser.isSet(geminiUrl)) {
        o.geminiUrl = parser.value(geminiUrl);
        if (!HttpUrl::parse(o.geminiUrl))
            return fail(QStringLiteral("--gemini-url must be an http or https address"));
    }
    if (parser.isSet(geminiModel)) {
        o.geminiModel = parser.value(geminiModel);
        if (!GeminiClient::isValidModel(o.geminiModel))
            return fail(QStringLiteral("--gemini-model may hold only letters, digits, '-', '.' and '_'"));
    }
    for (const QString& value : parser.values(audioHost)) {
        const auto entry = audioHostEntry(value);
        if (!entry)
            return fail(
                QStringLiteral("--audio-host takes a host name and optionally a port: “%1”").arg(value));
        o.audioHosts << *entry;
    }
    o.verbose = parser.isSet(verbose);
    return parsed;
}
