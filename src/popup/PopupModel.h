// SPDX-License-Identifier: MIT
#pragma once

#include "PopupMode.h"
#include "WireModels.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <optional>

// The state behind the popup. The controller writes it (the quick-translate
// field writes sourceText); the view redraws from it. Every setter stores the
// value and then emits changed() once, even when the value is equal to the
// one it had, so an observer never misses an assignment.
class PopupModel : public QObject {
    Q_OBJECT
public:
    explicit PopupModel(QObject* parent = nullptr);
    ~PopupModel() override;
    Q_DISABLE_COPY_MOVE(PopupModel)

    const QString& sourceText() const { return m_sourceText; }
    PopupMode mode() const { return m_mode; }
    bool isWordMode() const { return m_isWordMode; }
    bool isLoading() const { return m_isLoading; }
    const std::optional<TranslationResult>& translation() const { return m_translation; }
    const std::optional<QString>& refined() const { return m_refined; }
    const std::optional<DictionaryEntry>& entry() const { return m_entry; }
    const std::optional<QString>& errorMessage() const { return m_errorMessage; }
    qintptr focusToken() const { return m_focusToken; }
    const QString& quickTarget() const { return m_quickTarget; }

    void setSourceText(const QString& value);
    void setMode(PopupMode value);
    void setIsWordMode(bool value);
    void setIsLoading(bool value);
    void setTranslation(const std::optional<TranslationResult>& value);
    void setRefined(const std::optional<QString>& value);
    void setEntry(const std::optional<DictionaryEntry>& value);
    void setErrorMessage(const std::optional<QString>& value);
    void setFocusToken(qintptr value);
    void setQuickTarget(const QString& value);

    // Prepares for a new request: sourceText, mode, isWordMode, then loading
    // on and every result cleared, in that order. focusToken and quickTarget
    // are left alone.
    void reset(const QString& text, PopupMode mode, bool wordMode);

    // Splits a rewrite answer into its variants: at every "---" when the
    // answer has one, otherwise at every line break; each piece trimmed,
    // blank pieces dropped, order kept.
    static QStringList variants(const QString& from);

signals:
    void changed();

private:
    QString m_sourceText;
    PopupMode m_mode = PopupMode::translate;
    bool m_isWordMode = false;
    bool m_isLoading = false;
    std::optional<TranslationResult> m_translation;
    std::optional<QString> m_refined;
    std::optional<DictionaryEntry> m_entry;
    std::optional<QString> m_errorMessage;
    qintptr m_focusToken = 0;
    QString m_quickTarget = QStringLiteral("en");
};
