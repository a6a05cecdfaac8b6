// SPDX-License-Identifier: MIT
#include "CommandLine.h"

#include <QCommandLineParser>
#include <array>
#include <utility>

namespace {

struct VerbEntry {
    CommandLine::Verb verb;
    const char* name;
    const char* help;
};

constexpr std::array<VerbEntry, 5> kVerbs { {
    { CommandLine::Verb::translate, "translate",
        "Translate the selection (what the translate shortcut does)." },
    { CommandLine::Verb::refine, "refine", "Rewrite the selection (what the refine shortcut does)." },
    { CommandLine::Verb::quickTranslate, "quick-translate", "Open the quick-translate popup." },
    { CommandLine::Verb::settings, "settings", "Open the settings window." },
    { CommandLine::Verb::quit, "quit", "Quit the running Sorvantel." },
} };

} // namespace

CommandLine CommandLine::parse(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Translates and rewrites the selected text of any program. A running Sorvantel does what a "
        "second launch asks; a second launch without an option opens its Settings."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    for (const VerbEntry& entry : kVerbs)
        parser.addOption(QCommandLineOption(QLatin1String(entry.name), QLatin1String(entry.help)));
    // Given by a relaunch: wait for the program being replaced to end first.
    QCommandLineOption waitForPid(QStringLiteral("wait-for-pid"), QString(), QStringLiteral("PID"));
    waitForPid.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(waitForPid);

    CommandLine result;
    if (!parser.parse(arguments)) {
        result.outcome = Outcome::error;
        result.message = parser.errorText();
        return result;
    }
    if (!parser.positionalArguments().isEmpty()) {
        result.outcome = Outcome::error;
        result.message = QStringLiteral("Unexpected argument: ") + parser.positionalArguments().first();
        return result;
    }
    if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all"))) {
        result.outcome = Outcome::help;
        result.message = parser.helpText();
        return result;
    }
    if (parser.isSet(version)) {
        result.outcome = Outcome::version;
        return result;
    }
    for (const VerbEntry& entry : kVerbs) {
        if (!parser.isSet(QLatin1String(entry.name)))
            continue;
        if (result.verb != Verb::none) {
            result.outcome = Outcome::error;
            result.message = QStringLiteral("Give at most one of --translate, --refine, --quick-translate, "
                                            "--settings and --quit.");
            return result;
        }
        result.verb = entry.verb;
    }
    return result;
}

QString CommandLine::verbName(Verb verb)
{
    for (const VerbEntry& entry : kVerbs) {
        if (entry.verb == verb)
            return QLatin1String(entry.name);
    }
    return {};
}

CommandLine::Verb CommandLine::verbFromName(const QString& name)
{
    for (const VerbEntry& entry : kVerbs) {
        if (name == QLatin1String(entry.name))
            return entry.verb;
    }
    return Verb::none;
}
