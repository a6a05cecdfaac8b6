// SPDX-License-Identifier: MIT
#include "AppSettings.h"

#include "DefaultRefinePrompt.h"
#include "Language.h"
#include "TypedSettingsFormat.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <limits>

namespace {

// Keys and defaults, in one place.
constexpr const char* kTargetLanguage = "targetLanguage";
constexpr const char* kAccent = "accent";
constexpr const char* kLegacyHotkeyID = "hotkeyID";
constexpr const char* kRefinePrompt = "refinePromptV3";
constexpr const char* kAutoPlayPronunciation = "autoPlayPronunciation";
constexpr const char* kPronunciationVolume = "pronunciationVolume";
constexpr const char* kHasCompletedOnboarding = "hasCompletedOnboarding";
constexpr const char* kAutomaticallyChecksForUpdates = "automaticallyChecksForUpdates";

const QString kDefaultAccent = QStringLiteral("uk");
constexpr double kDefaultVolume = 0.5;
const Hotkey kDefaultHotkey { 17, Hotkey::optionMask, QStringLiteral("T") };
const Hotkey kDefaultRefineHotkey { 15, Hotkey::optionMask, QStringLiteral("R") };

struct HotkeyKeys {
    QLatin1String keyCode;
    QLatin1String modifiers;
    QLatin1String keyLabel;
};
constexpr HotkeyKeys kHotkeyKeys { QLatin1String("hotkeyKeyCode"), QLatin1String("hotkeyModifiers"),
    QLatin1String("hotkeyKeyLabel") };
constexpr HotkeyKeys kRefineHotkeyKeys { QLatin1String("refineHotkeyKeyCode"),
    QLatin1String("refineHotkeyModifiers"), QLatin1String("refineHotkeyKeyLabel") };

double clampVolume(double volume)
{
    if (!(volume > 0.0)) // also NaN
        return 0.0;
    return volume > 1.0 ? 1.0 : volume;
}

// The store's integer reading, as a 32-bit unsigned value. A value that does
// not convert reads as 0; one outside the range has no meaning (none).
std::optional<uint32_t> unsignedValue(const QVariant& value)
{
    bool ok = false;
    const qlonglong number = value.toLongLong(&ok);
    if (!ok)
        return 0;
    if (number < 0 || number > qlonglong(std::numeric_limits<uint32_t>::max()))
        return std::nullopt;
    return uint32_t(number);
}

std::optional<Hotkey> storedHotkey(const QSettings& defaults, const HotkeyKeys& keys)
{
    const QVariant keyCode = defaults.value(keys.keyCode);
    if (!keyCode.isValid())
        return std::nullopt;
    const QVariant modifiers = defaults.value(keys.modifiers);
    const std::optional<uint32_t> code = unsignedValue(keyCode);
    const std::optional<uint32_t> mask = modifiers.isValid() ? unsignedValue(modifiers) : 0;
    if (!code || !mask)
        return std::nullopt; // hand-edited beyond the range: the default is the sound reading
    const QVariant label = defaults.value(keys.keyLabel);
    return Hotkey { *code, *mask, label.isValid() ? label.toString() : QStringLiteral("?") };
}

void writeHotkey(QSettings& defaults, const HotkeyKeys& keys, const Hotkey& hotkey)
{
    defaults.setValue(keys.keyCode, qlonglong(hotkey.keyCode));
    defaults.setValue(keys.modifiers, qlonglong(hotkey.carbonModifiers));
    defaults.setValue(keys.keyLabel, hotkey.keyLabel);
    defaults.sync();
}

// Copies the file to a name no earlier copy holds (QFile::copy never
// replaces one); empty when no copy could be made.
QString keepCopy(const QString& filePath)
{
    const QString stem = filePath + QStringLiteral(".unreadable-")
        + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    for (int attempt = 1; attempt <= 100; ++attempt) {
        const QString aside = attempt == 1 ? stem : stem + QLatin1Char('-') + QString::number(attempt);
        if (QFile::exists(aside))
            continue;
        return QFile::copy(filePath, aside) ? aside : QString();
    }
    return {};
}

} // namespace

QString AppSettings::defaultFilePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/sorvantel/settings.json");
}

AppSettings::AppSettings(const QString& filePath)
    : m_defaults(filePath, TypedSettingsFormat::format())
{
    if (m_defaults.status() == QSettings::FormatError) {
        // The next write would replace the file; keep the unreadable one aside.
        const QString aside = keepCopy(filePath);
        if (aside.isEmpty()) {
            qWarning("AppSettings: %s could not be read, and no copy of it could be kept; started from the "
                     "defaults, and the next change of a setting will replace it",
                qUtf8Printable(filePath));
        } else {
            qWarning("AppSettings: %s could not be read; kept a copy as %s and started from the defaults",
                qUtf8Printable(filePath), qUtf8Printable(aside));
        }
    }
}

const QString& AppSettings::defaultRefinePrompt()
{
    return ::defaultRefinePrompt();
}

QUrl AppSettings::defaultServerURL()
{
    static const QUrl url(QStringLiteral(SORVANTEL_SERVER_URL));
    return url;
}

QString AppSettings::string(const char* key, const QString& fallback) const
{
    const QVariant value = m_defaults.value(QLatin1String(key));
    return value.isValid() ? value.toString() : fallback;
}

void AppSettings::write(const char* key, const QVariant& value)
{
    // Each flush replaces the file and waits for the disk (tens of
    // milliseconds on a busy one), and the settings window writes all of its
    // values on every step of a dragged slider: skip what is already stored.
    const QVariant stored = m_defaults.value(QLatin1String(key));
    if (stored.typeId() == value.typeId() && stored == value)
        return;
    m_defaults.setValue(QLatin1String(key), value);
    m_defaults.sync();
}

QString AppSettings::targetLanguage() const
{
    return string(kTargetLanguage, Language::systemDefault());
}

void AppSettings::setTargetLanguage(const QString& code)
{
    write(kTargetLanguage, code);
}

QString AppSettings::accent() const
{
    return string(kAccent, kDefaultAccent);
}

void AppSettings::setAccent(const QString& accent)
{
    write(kAccent, accent);
}

std::optional<Hotkey> AppSettings::legacyHotkey(const std::optional<QString>& id)
{
    if (!id)
        return std::nullopt;
    if (*id == QLatin1String("opt-d"))
        return Hotkey { 2, Hotkey::optionMask, QStringLiteral("D") };
    if (*id == QLatin1String("ctrl-opt-t"))
        return Hotkey { 17, Hotkey::controlMask | Hotkey::optionMask, QStringLiteral("T") };
    if (*id == QLatin1String("cmd-shift-t"))
        return Hotkey { 17, Hotkey::commandMask | Hotkey::shiftMask, QStringLiteral("T") };
    return std::nullopt;
}

Hotkey AppSettings::hotkey() const
{
    if (m_defaults.contains(kHotkeyKeys.keyCode))
        return storedHotkey(m_defaults, kHotkeyKeys).value_or(kDefaultHotkey);
    // The old single-string setting, converted at every read and never rewritten.
    const QVariant legacy = m_defaults.value(QLatin1String(kLegacyHotkeyID));
    const std::optional<QString> id = legacy.isValid() ? std::optional(legacy.toString()) : std::nullopt;
    return legacyHotkey(id).value_or(kDefaultHotkey);
}

void AppSettings::setHotkey(const Hotkey& hotkey)
{
    writeHotkey(m_defaults, kHotkeyKeys, hotkey);
}

Hotkey AppSettings::refineHotkey() const
{
    return storedHotkey(m_defaults, kRefineHotkeyKeys).value_or(kDefaultRefineHotkey);
}

void AppSettings::setRefineHotkey(const Hotkey& hotkey)
{
    writeHotkey(m_defaults, kRefineHotkeyKeys, hotkey);
}

QString AppSettings::refinePrompt() const
{
    return string(kRefinePrompt, defaultRefinePrompt());
}

void AppSettings::setRefinePrompt(const QString& prompt)
{
    write(kRefinePrompt, prompt);
}

bool AppSettings::autoPlayPronunciation() const
{
    const QVariant value = m_defaults.value(QLatin1String(kAutoPlayPronunciation));
    return value.typeId() == QMetaType::Bool ? value.toBool() : true;
}

void AppSettings::setAutoPlayPronunciation(bool on)
{
    write(kAutoPlayPronunciation, on);
}

double AppSettings::pronunciationVolume() const
{
    const QVariant value = m_defaults.value(QLatin1String(kPronunciationVolume));
    return value.isValid() ? clampVolume(value.toDouble()) : kDefaultVolume;
}

void AppSettings::setPronunciationVolume(double volume)
{
    write(kPronunciationVolume, clampVolume(volume));
}

bool AppSettings::hasCompletedOnboarding() const
{
    return m_defaults.value(QLatin1String(kHasCompletedOnboarding)).toBool();
}

void AppSettings::setHasCompletedOnboarding(bool done)
{
    write(kHasCompletedOnboarding, done);
}

bool AppSettings::automaticallyChecksForUpdates() const
{
    return m_defaults.value(QLatin1String(kAutomaticallyChecksForUpdates), true).toBool();
}
