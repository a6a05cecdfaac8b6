// SPDX-License-Identifier: MIT
#pragma once

#include <QUrl>
#include <QWidget>
#include <functional>
#include <optional>

class PopupModel;
class QLabel;
class QVBoxLayout;
class SymbolButton;
class WrappingText;
struct DictionaryEntry;

// The popup's layout for a selection (translate and refine), top to bottom:
// the word header, the progress line, the translation, the rewritten
// variants, the definition and the error, each shown only when the model
// has it.
class SelectionLayout : public QWidget {
    Q_OBJECT
public:
    using Callback = std::function<void()>;
    using TextCallback = std::function<void(const QString&)>;

    SelectionLayout(Callback onPlayAudio, TextCallback onCopy, TextCallback onReplace, QWidget* parent);

    // The entry's dictionary page, when it is an address a browser can open.
    static std::optional<QUrl> dictionaryPage(const DictionaryEntry& entry);

    void refresh(const PopupModel& model);
    void applyColors();

private:
    void rebuildVariants(const std::optional<QString>& refined);

    Callback m_onPlayAudio;
    TextCallback m_onCopy;
    TextCallback m_onReplace;
    std::optional<QString> m_shownRefined;
    QUrl m_pageUrl;

    QWidget* m_wordHeader = nullptr;
    WrappingText* m_headword = nullptr;
    WrappingText* m_transcription = nullptr;
    SymbolButton* m_speakerButton = nullptr;
    SymbolButton* m_dictionaryLink = nullptr;
    QWidget* m_progressRow = nullptr;
    QLabel* m_progressLabel = nullptr;
    WrappingText* m_translation = nullptr;
    QWidget* m_refinedSection = nullptr;
    QVBoxLayout* m_refinedLayout = nullptr;
    QList<QWidget*> m_variantWidgets;
    WrappingText* m_definition = nullptr;
    WrappingText* m_error = nullptr;
};
