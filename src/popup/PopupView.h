// SPDX-License-Identifier: MIT
#pragma once

#include "PopupMode.h"

#include <QPointer>
#include <QUrl>
#include <QWidget>
#include <functional>
#include <optional>

class PopupModel;
class ProgressSpinner;
class QuickInputField;
class QVBoxLayout;
class SymbolButton;
class TargetLanguageButton;
class WrappingText;
class MiniActionButton;
class QLabel;
struct DictionaryEntry;

// The content of the popup window. Draws the model in one of two layouts,
// the selection layout (translate and refine) and the quick-translate layout,
// and hands every user action to the callbacks. Its width is fixed by mode;
// its height follows its content (fittingSize()).
//
// The only model field the view writes is sourceText, from the quick-translate
// input field. onInput is called after every change of sourceText while the
// quick-translate layout is shown, whoever made it, but not when the layout
// first appears. It comes on the next turn of the event loop, once for the
// changes made in one turn, with the value then current.
class PopupView : public QWidget {
    Q_OBJECT
public:
    using Callback = std::function<void()>;
    using TextCallback = std::function<void(const QString&)>;

    static constexpr int padding = 14;
    static constexpr int cornerRadius = 12;

    PopupView(PopupModel* model, Callback onPlayAudio, TextCallback onCopy, TextCallback onReplace,
        TextCallback onInput, Callback onToggleTarget, QWidget* parent = nullptr);
    ~PopupView() override;

    const Callback onPlayAudio;
    const TextCallback onCopy;
    const TextCallback onReplace;
    const TextCallback onInput;
    const Callback onToggleTarget;

    // The fixed width of the popup in `mode`.
    static int widthFor(PopupMode mode);
    // The display name of a quick-translate target: the language list's name
    // for `code`, "English" for any code the list lacks.
    static QString quickTargetName(const QString& code);
    // The entry's dictionary page, when it is an address a browser can open.
    static std::optional<QUrl> dictionaryPage(const DictionaryEntry& entry);

    // The size the popup wants for the model as it is now: the mode's width
    // and the height of the content at that width.
    QSize fittingSize() const;
    QSize sizeHint() const override { return fittingSize(); }
    QSize minimumSizeHint() const override { return fittingSize(); }
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;

    // Makes this view the whole content of `window`, a frameless top-level
    // window without a layout of its own, before the window is first shown.
    // `translucent`: whether the window system blends windows (a compositor
    // runs). With it the window gets an alpha channel and the popup a
    // translucent background; without it the popup is opaque and the window
    // is cut to the popup's rounded shape.
    void hostIn(QWidget* window, bool translucent);

    void setTranslucent(bool translucent);
    bool isTranslucent() const { return m_translucent; }
    // The popup's rounded outline in this view's coordinates.
    QRegion cardRegion() const;

    // Whether the quick-translate input field has the keyboard focus.
    bool inputFocused() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void buildSelectionLayout();
    void buildQuickLayout();
    void applyColors();
    void refresh();
    void refreshSelection();
    void refreshQuick();
    void rebuildVariants(const std::optional<QString>& refined);
    void focusInput();
    void inputEdited();
    void reportInput();
    void updateHostMask();
    void invalidateStaleSizes() const;

    QPointer<PopupModel> m_model;
    QPointer<QWidget> m_host;
    bool m_translucent = false;

    // What the view last saw, to tell real changes from repeated assignments.
    bool m_quickShown = false;
    QString m_seenSourceText;
    qintptr m_seenFocusToken = 0;
    std::optional<QString> m_shownRefined;
    bool m_syncingInput = false;
    bool m_inputReportPending = false;
    mutable bool m_sizesStale = true;
    QUrl m_pageUrl;

    // Selection layout.
    QWidget* m_selection = nullptr;
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

    // Quick-translate layout.
    QWidget* m_quick = nullptr;
    QuickInputField* m_input = nullptr;
    TargetLanguageButton* m_targetButton = nullptr;
    ProgressSpinner* m_quickSpinner = nullptr;
    QWidget* m_quickTranslationBox = nullptr;
    WrappingText* m_quickTranslated = nullptr;
    WrappingText* m_quickTranscription = nullptr;
    SymbolButton* m_quickSpeaker = nullptr;
    MiniActionButton* m_quickCopy = nullptr;
    WrappingText* m_quickDefinition = nullptr;
    WrappingText* m_quickError = nullptr;
    QLabel* m_quickPlaceholder = nullptr;
};
