// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringList>
#include <span>

// A translation target the user can pick.
struct Language {
    QString code;
    QString name;

    friend bool operator==(const Language&, const Language&) = default;

    // The 21 selectable targets, in the order pickers show them. English is
    // not among them.
    static std::span<const Language> all();

    // The entry whose code equals `code` exactly, or nullptr.
    static const Language* find(const QString& code);

    // The default target for a list of preferred-language identifiers (BCP 47
    // or POSIX style), first match wins; any Chinese maps to "zh-CN"; "ru"
    // when nothing matches.
    static QString defaultFor(const QStringList& preferredLanguages);

    // defaultFor() of the system's preferred languages, fixed at first use.
    static QString systemDefault();
};
