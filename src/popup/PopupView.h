// SPDX-License-Identifier: MIT
#pragma once

#include "PopupCard.h"
#include "PopupMode.h"

#include <QPointer>
#include <functional>

class InputReporter;
class PopupModel;
class QuickTranslateLayout;
class SelectionLayout;

// The content of the popup window: a card that draws the model in one of two
// layouts, the selection layout (translate and refine) or the quick-translate
// layout, and hands every user action to the callbacks. Its width is fixed
// by mode; its height follows its content (fittingSize()).
//
// The only model field the view writes is sourceText, from the quick-translate
// input field; onInput reports its changes (InputReporter says when).
class PopupView : public PopupCard {
    Q_OBJECT
public:
    using Callback = std::function<void()>;
    using TextCallback = std::function<void(const QString&)>;

    static constexpr int padding = 14;

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

    // The size the popup wants for the model as it is now: the mode's width
    // and the height of the content at that width.
    QSize fittingSize() const;
    QSize sizeHint() const override { return fittingSize(); }
    QSize minimumSizeHint() const override { return fittingSize(); }
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;

    // Whether the quick-translate input field has the keyboard focus.
    bool inputFocused() const;

protected:
    void changeEvent(QEvent* event) override;

private:
    void refresh();
    void focusInput();
    void invalidateStaleSizes() const;

    QPointer<PopupModel> m_model;
    SelectionLayout* m_selection;
    QuickTranslateLayout* m_quick;
    InputReporter* m_inputReporter;
    bool m_quickShown = false;
    qintptr m_seenFocusToken = 0;
    mutable bool m_sizesStale = true;
};
