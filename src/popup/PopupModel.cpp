// SPDX-License-Identifier: MIT
#include "PopupModel.h"

#include "PopupText.h"

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
    const QString answer = from.trimmed();
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
            if (PopupText::isNewline(view[i].unicode())) {
                pieces.append(view.sliced(start, i - start));
                start = i + 1;
            }
        }
        pieces.append(view.sliced(start));
    }

    QStringList result;
    for (QStringView piece : pieces) {
        QString variant = piece.trimmed().toString();
        if (!variant.isEmpty())
            result.append(std::move(variant));
    }
    return result;
}
