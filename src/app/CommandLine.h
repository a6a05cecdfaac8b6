// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringList>

// What the command line asks of the program. A verb is done by the running
// instance of the session; a launch without one opens Settings there.
class CommandLine {
public:
    enum class Verb { none, translate, refine, quickTranslate, settings, quit };
    enum class Outcome { run, help, version, error };

    Outcome outcome = Outcome::run;
    Verb verb = Verb::none;
    QString message; // the help text, or what was wrong

    // `arguments` as main received them, the program's name first.
    static CommandLine parse(const QStringList& arguments);

    // The verb's word on the session bus and on the command line (without
    // the dashes); empty for none.
    static QString verbName(Verb verb);
    static Verb verbFromName(const QString& name);
};
