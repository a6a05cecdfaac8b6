// SPDX-License-Identifier: MIT
#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>

class MiniActionButton;
class PopupModel;
class ProgressSpinner;
class QLabel;
class QuickInputField;
class SymbolButton;
class TargetLanguageButton;
class WrappingText;

// The quick-translate popup's layout: the input field over the direction
// divider, the target-language button and the result. The field writes the
// model's sourceText; everything else only shows the model.
class QuickTranslateLayout : public QWidget {
    Q_OBJECT
public:
    using Callback = std::function<void()>;
    using TextCallback = std::function<void(const QString&)>;

    QuickTranslateLayout(PopupModel* model, Callback onPlayAudio, TextCallback onCopy,
        Callback onToggleTarget, QWidget* parent);

    // The display name of a quick-translate target: the language list's name
    // for `code`, "English" for any code the list lacks.
    static QString targetName(const QString& code);

    void refresh();
    void applyColors();
    void focusInput();
    bool inputFocused() const;

private:
    void inputEdited();

    QPointer<PopupModel> m_model;
    Callback m_onPlayAudio;
    TextCallback m_onCopy;
    Callback m_onToggleTarget;
    bool m_syncingInput = false;

    QuickInputField* m_input = nullptr;
    TargetLanguageButton* m_targetButton = nullptr;
    ProgressSpinner* m_spinner = nullptr;
    QWidget* m_translationBox = nullptr;
    WrappingText* m_translated = nullptr;
    WrappingText* m_transcription = nullptr;
    SymbolButton* m_speaker = nullptr;
    MiniActionButton* m_copy = nullptr;
    WrappingText* m_definition = nullptr;
    WrappingText* m_error = nullptr;
    QLabel* m_placeholder = nullptr;
};
