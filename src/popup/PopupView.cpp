// SPDX-License-Identifier: MIT
#include "PopupView.h"

#include "InputReporter.h"
#include "PopupModel.h"
#include "QuickTranslateLayout.h"
#include "SelectionLayout.h"

#include <QEvent>
#include <QTimer>
#include <QVBoxLayout>

PopupView::PopupView(PopupModel* model, Callback onPlayAudio, TextCallback onCopy, TextCallback onReplace,
    TextCallback onInput, Callback onToggleTarget, QWidget* parent)
    : PopupCard(parent)
    , onPlayAudio(std::move(onPlayAudio))
    , onCopy(std::move(onCopy))
    , onReplace(std::move(onReplace))
    , onInput(std::move(onInput))
    , onToggleTarget(std::move(onToggleTarget))
    , m_model(model)
    , m_selection(new SelectionLayout(this->onPlayAudio, this->onCopy, this->onReplace, this))
    , m_quick(new QuickTranslateLayout(model, this->onPlayAudio, this->onCopy, this->onToggleTarget, this))
    , m_inputReporter(new InputReporter(model, this->onInput, this))
{
    setObjectName(QStringLiteral("popupView"));
    QSizePolicy policy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);

    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(padding, padding, padding, padding);
    root->setSpacing(0);
    root->addWidget(m_selection);
    root->addWidget(m_quick);
    m_selection->applyColors();
    m_quick->applyColors();

    if (m_model) {
        m_seenFocusToken = m_model->focusToken();
        connect(m_model, &PopupModel::changed, this, &PopupView::refresh);
    }
    refresh();
}

PopupView::~PopupView() = default;

int PopupView::widthFor(PopupMode mode)
{
    switch (mode) {
    case PopupMode::translate:
        return 340;
    case PopupMode::refine:
        return 440;
    case PopupMode::quickTranslate:
        return 380;
    }
    return 340;
}

void PopupView::refresh()
{
    if (!m_model)
        return;
    const PopupModel& model = *m_model;
    const bool quick = model.mode() == PopupMode::quickTranslate;

    setFixedWidth(widthFor(model.mode()));
    m_selection->setVisible(!quick);
    m_quick->setVisible(quick);
    if (quick)
        m_quick->refresh();
    else
        m_selection->refresh(model);
    m_sizesStale = true;
    updateGeometry();

    const bool appeared = quick && !m_quickShown;
    m_quickShown = quick;
    const bool tokenChanged = model.focusToken() != m_seenFocusToken;
    m_seenFocusToken = model.focusToken();
    if (appeared)
        focusInput();
    // A hop through the event loop: the controller changes the token while
    // it is still preparing the window that the field lives in.
    if (tokenChanged)
        QTimer::singleShot(0, this, &PopupView::focusInput);

    m_inputReporter->modelChanged(quick);
}

void PopupView::focusInput()
{
    if (m_quickShown)
        m_quick->focusInput();
}

bool PopupView::inputFocused() const
{
    return m_quick->inputFocused();
}

QSize PopupView::fittingSize() const
{
    const int width = m_model ? widthFor(m_model->mode()) : this->width();
    return { width, heightForWidth(width) };
}

int PopupView::heightForWidth(int width) const
{
    invalidateStaleSizes();
    QLayout* content = layout();
    // Without a wrapping text on show (only the progress line, say) the
    // layout has no height for width; its plain size hint is the answer.
    return content->hasHeightForWidth() ? content->totalHeightForWidth(width)
                                        : content->totalSizeHint().height();
}

void PopupView::invalidateStaleSizes() const
{
    if (!m_sizesStale)
        return;
    m_sizesStale = false;
    // Layouts cache the sizes of their items, and a container learns that
    // its content changed only when the event loop gets to it. Asking every
    // widget to drop its cached size makes the next measurement exact now.
    for (QWidget* widget : findChildren<QWidget*>())
        widget->updateGeometry();
}

void PopupView::changeEvent(QEvent* event)
{
    PopupCard::changeEvent(event);
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::ApplicationPaletteChange) {
        m_selection->applyColors();
        m_quick->applyColors();
    }
}
