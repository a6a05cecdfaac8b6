// SPDX-License-Identifier: MIT
#include "Language.h"

#include <QLocale>
#include <array>

namespace {

const std::array<Language, 21> kLanguages = { {
    { QStringLiteral("ru"), QStringLiteral("Russian") },
    { QStringLiteral("uk"), QStringLiteral("Ukrainian") },
    { QStringLiteral("es"), QStringLiteral("Spanish") },
    { QStringLiteral("fr"), QStringLiteral("French") },
    { QStringLiteral("de"), QStringLiteral("German") },
    { QStringLiteral("it"), QStringLiteral("Italian") },
    { QStringLiteral("pt"), QStringLiteral("Portuguese") },
    { QStringLiteral("pl"), QStringLiteral("Polish") },
    { QStringLiteral("tr"), QStringLiteral("Turkish") },
    { QStringLiteral("nl"), QStringLiteral("Dutch") },
    { QStringLiteral("sv"), QStringLiteral("Swedish") },
    { QStringLiteral("cs"), QStringLiteral("Czech") },
    { QStringLiteral("el"), QStringLiteral("Greek") },
    { QStringLiteral("he"), QStringLiteral("Hebrew") },
    { QStringLiteral("ar"), QStringLiteral("Arabic") },
    { QStringLiteral("hi"), QStringLiteral("Hindi") },
    { QStringLiteral("vi"), QStringLiteral("Vietnamese") },
    { QStringLiteral("id"), QStringLiteral("Indonesian") },
    { QStringLiteral("ja"), QStringLiteral("Japanese") },
    { QStringLiteral("ko"), QStringLiteral("Korean") },
    { QStringLiteral("zh-CN"), QStringLiteral("Chinese (Simplified)") },
} };

// The language part of an identifier such as "en-US", "zh-Hans-CN" or
// "de_DE.UTF-8"; the whole identifier when no known language can be read.
QString languageCode(const QString& identifier)
{
    const QLocale locale(identifier);
    if (locale.language() == QLocale::C || locale.language() == QLocale::AnyLanguage)
        return identifier;
    return QLocale::languageToCode(locale.language(), QLocale::ISO639Part1);
}

} // namespace

std::span<const Language> Language::all()
{
    return kLanguages;
}

const Language* Language::find(const QString& code)
{
    for (const Language& language : kLanguages) {
        if (language.code == code)
            return &language;
    }
    return nullptr;
}

QString Language::defaultFor(const QStringList& preferredLanguages)
{
    for (const QString& identifier : preferredLanguages) {
        const QString code = languageCode(identifier);
        if (code == QLatin1String("zh"))
            return QStringLiteral("zh-CN");
        if (find(code))
            return code;
    }
    return QStringLiteral("ru");
}

QString Language::systemDefault()
{
    // QLocale::system().uiLanguages() follows LANGUAGE, LC_ALL, LC_MESSAGES and LANG.
    static const QString value = defaultFor(QLocale::system().uiLanguages());
    return value;
}
