// SPDX-License-Identifier: MIT
#include "PopupModel.h"

#include <QChar>

namespace {

// Line feed, vertical tab, form feed, carriage return, next line, line
// separator and paragraph separator.
bool isNewline(char16_t c)
{
    return (c >= 0x0A && c <= 0x0D) || c == 0x85 || c == 0x2028 || c == 0x2029;
}

// Tab, the newlines and every Unicode space separator. Every member lies in
// the Basic Multilingual Plane, so testing UTF-16 units one by one is exact:
// a surrogate half is never one of them.
bool isWhitespaceOrNewline(char16_t c)
{
    return c == 0x09 || isNewline(c) || QChar::category(char32_t(c)) == QChar::Separator_Space;
}

QString trimmed(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isWhitespaceOrNewline(text[begin].unicode()))
        ++begin;
    while (end > begin && isWhitespaceOrNewline(text[end - 1].unicode()))
        --end;
    return text.sliced(begin, end - begin).toString();
}

} // namespace

PopupModel::PopupModel(QObject* parent)
    : QObject(parent)
{
}

PopupModel::~PopupModel() = default;

void PopupModel::setSourceText(const QString& value)
{
    m_sourceText = value;
    emit changed();
}

void PopupModel::setMode(PopupMode value)
{
    m_mode = value;
    emit changed();
}

void PopupModel::setIsWordMode(bool value)
{
    m_isWordMode = value;
    emit changed();
}

void PopupModel::setIsLoading(bool value)
{
    m_isLoading = value;
    emit changed();
}

void PopupModel::setTranslation(const std::optional<TranslationResult>& value)
{
    m_translation = value;
    emit changed();
}

void PopupModel::setRefined(const std::optional<QString>& value)
{
    m_refined = value;
    emit changed();
}

void PopupModel::setEntry(const std::optional<DictionaryEntry>& value)
{
    m_entry = value;
    emit changed();
}

void PopupModel::setErrorMessage(const std::optional<QString>& value)
{
    m_errorMessage = value;
    emit changed();
}

void PopupModel::setFocusToken(qintptr value)
{
    m_focusToken = value;
    emit changed();
}

void PopupModel::setQuickTarget(const QString& value)
{
    m_quickTarget = value;
    emit changed();
}

void PopupModel::reset(const QString& text, PopupMode mode, bool wordMode)
{
    setSourceText(text);
    setMode(mode);
    setIsWordMode(wordMode);
    setIsLoading(true);
    setTranslation(std::nullopt);
    setRefined(std::nullopt);
    setEntry(std::nullopt);
    setErrorMessage(std::nullopt);
}

QStringList PopupModel::variants(const QString& from)
{
    const QString answer = trimmed(from);
    const QStringView view(answer);

    QList<QStringView> pieces;
    static constexpr QStringView separator = u"---";
    if (view.contains(separator)) {
        qsizetype start = 0;
        for (qsizetype at = view.indexOf(separator); at >= 0; at = view.indexOf(separator, start)) {
            pieces.append(view.sliced(start, at - start));
            start = at + separator.size();
        }
        pieces.append(view.sliced(start));
    } else {
        qsizetype start = 0;
        for (qsizetype i = 0; i < view.size(); ++i) {
            if (isNewline(view[i].unicode())) {
                pieces.append(view.sliced(start, i - start));
                start = i + 1;
            }
        }
        pieces.append(view.sliced(start));
    }

    QStringList result;
    for (QStringView piece : pieces) {
        QString variant = trimmed(piece);
        if (!variant.isEmpty())
            result.append(std::move(variant));
    }
    return result;
}
