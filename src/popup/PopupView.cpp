// SPDX-License-Identifier: MIT
#include "PopupView.h"

#include "Appearance.h"
#include "Language.h"
#include "MiniActionButton.h"
#include "PaneLabel.h"
#include "PopupModel.h"
#include "ProgressSpinner.h"
#include "QuickInputField.h"
#include "RefinedVariantRow.h"
#include "SymbolButton.h"
#include "Symbols.h"
#include "TargetLanguageButton.h"
#include "WrappingText.h"

#include <QDesktopServices>
#include <QEvent>
#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QTimer>
#include <QVBoxLayout>
#include <cmath>

using Appearance::Emphasis;
using Appearance::TextStyle;

namespace {

constexpr qreal kBodySize = 13;

// A horizontal separator line, inset from both sides.
class InsetDivider : public QWidget {
public:
    InsetDivider(int inset, QWidget* parent)
        : QWidget(parent)
        , m_inset(inset)
    {
        setFixedHeight(1);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(QRect(m_inset, 0, width() - 2 * m_inset, 1), Appearance::separator(palette()));
    }

private:
    int m_inset;
};

// Between the input and the result: two hairlines with a small down arrow on
// a faint disc between them.
class DirectionDivider : public QWidget {
public:
    explicit DirectionDivider(QWidget* parent)
        : QWidget(parent)
    {
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    }

    QSize sizeHint() const override { return { 3 * discSide(), discSide() + 2 * kPadding }; }
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const int side = discSide();
        const QRectF disc((width() - side) / 2.0, kPadding, side, side);
        const qreal middle = disc.center().y();

        QPen hairline(Appearance::separator(palette()));
        hairline.setWidthF(0.5);
        painter.setPen(hairline);
        painter.drawLine(QPointF(0, middle), QPointF(disc.left() - kSpacing, middle));
        painter.drawLine(QPointF(disc.right() + kSpacing, middle), QPointF(width(), middle));

        painter.setPen(Qt::NoPen);
        painter.setBrush(Appearance::foreground(Emphasis::quaternary, palette()));
        painter.drawEllipse(disc);
        const int pixels = Appearance::symbolPixels(kSymbolSize);
        painter.drawPixmap(QPointF(disc.center().x() - pixels / 2.0, middle - pixels / 2.0),
            Symbols::pixmap(QStringLiteral("arrow.down"), pixels,
                Appearance::foreground(Emphasis::secondary, palette()), devicePixelRatioF()));
    }

private:
    static constexpr qreal kSymbolSize = 9;
    static constexpr int kPadding = 2;
    static constexpr int kSpacing = 8;
    static int discSide() { return Appearance::symbolPixels(kSymbolSize) + 2 * 4; }
};

void setLabelColor(QLabel* label, const QColor& color)
{
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, color);
    label->setPalette(p);
}

WrappingText* makeText(const QString& name, const QFont& font, bool selectable, QWidget* parent)
{
    auto* text = new WrappingText(parent);
    text->setObjectName(name);
    text->setFont(font);
    text->setSelectable(selectable);
    return text;
}

QWidget* makeRow(const QString& name, int spacing, QWidget* parent, QHBoxLayout** layout)
{
    auto* row = new QWidget(parent);
    row->setObjectName(name);
    *layout = new QHBoxLayout(row);
    (*layout)->setContentsMargins(0, 0, 0, 0);
    (*layout)->setSpacing(spacing);
    return row;
}

QVBoxLayout* makeColumn(QWidget* widget, int spacing)
{
    auto* layout = new QVBoxLayout(widget);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(spacing);
    return layout;
}

// How far below the top of a line of `first` the first line of `second`
// must start for both to share a baseline.
int baselineOffset(const QFont& first, const QFont& second)
{
    return std::max(0, int(std::lround(QFontMetricsF(first).ascent() - QFontMetricsF(second).ascent())));
}

// How far below the top of a line of `font` a control `height` tall must
// start to sit centred on that line.
int lineCentreOffset(const QFont& font, int height)
{
    return std::max(0, int(std::lround((QFontMetricsF(font).height() - height) / 2.0)));
}

} // namespace

PopupView::PopupView(PopupModel* model, Callback onPlayAudio, TextCallback onCopy, TextCallback onReplace,
    TextCallback onInput, Callback onToggleTarget, QWidget* parent)
    : QWidget(parent)
    , onPlayAudio(std::move(onPlayAudio))
    , onCopy(std::move(onCopy))
    , onReplace(std::move(onReplace))
    , onInput(std::move(onInput))
    , onToggleTarget(std::move(onToggleTarget))
    , m_model(model)
{
    setObjectName(QStringLiteral("popupView"));
    QSizePolicy policy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);

    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(padding, padding, padding, padding);
    root->setSpacing(0);
    buildSelectionLayout();
    buildQuickLayout();
    root->addWidget(m_selection);
    root->addWidget(m_quick);
    applyColors();

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

QString PopupView::quickTargetName(const QString& code)
{
    if (const Language* language = Language::find(code))
        return language->name;
    return QStringLiteral("English");
}

std::optional<QUrl> PopupView::dictionaryPage(const DictionaryEntry& entry)
{
    if (!entry.pageUrl)
        return std::nullopt;
    // Only web pages: the address comes from the network, and handing any
    // other scheme (file:, a custom handler) to the desktop would let a
    // backend answer open local files or start programs.
    const QUrl url(*entry.pageUrl, QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty())
        return std::nullopt;
    if (url.scheme() != QLatin1String("https") && url.scheme() != QLatin1String("http"))
        return std::nullopt;
    return url;
}

void PopupView::buildSelectionLayout()
{
    m_selection = new QWidget(this);
    m_selection->setObjectName(QStringLiteral("selectionLayout"));
    QVBoxLayout* column = makeColumn(m_selection, 8);

    // 1. Word header.
    QHBoxLayout* header = nullptr;
    m_wordHeader = makeRow(QStringLiteral("wordHeader"), 8, m_selection, &header);
    m_headword
        = makeText(QStringLiteral("headword"), Appearance::font(TextStyle::headline), false, m_wordHeader);
    m_transcription = makeText(QStringLiteral("transcription"),
        Appearance::monospacedFont(TextStyle::subheadline), false, m_wordHeader);
    m_speakerButton = new SymbolButton(QStringLiteral("speaker.wave.2.fill"), kBodySize, m_wordHeader);
    m_speakerButton->setObjectName(QStringLiteral("speakerButton"));
    m_speakerButton->setToolTip(QStringLiteral("Play pronunciation"));
    connect(m_speakerButton, &QAbstractButton::clicked, this, [this] {
        if (onPlayAudio)
            onPlayAudio();
    });
    m_dictionaryLink = new SymbolButton(
        QStringLiteral("arrow.up.right.square"), kBodySize, Emphasis::secondary, m_wordHeader);
    m_dictionaryLink->setObjectName(QStringLiteral("dictionaryLink"));
    m_dictionaryLink->setToolTip(QStringLiteral("Open in Cambridge Dictionary"));
    connect(m_dictionaryLink, &QAbstractButton::clicked, this, [this] {
        if (m_pageUrl.isValid())
            QDesktopServices::openUrl(m_pageUrl);
    });
    header->addWidget(m_headword, 0, Qt::AlignVCenter);
    header->addWidget(m_transcription, 0, Qt::AlignVCenter);
    header->addWidget(m_speakerButton, 0, Qt::AlignVCenter);
    header->addStretch(1);
    header->addWidget(m_dictionaryLink, 0, Qt::AlignVCenter);
    column->addWidget(m_wordHeader);

    // 2. Progress line.
    QHBoxLayout* progress = nullptr;
    m_progressRow = makeRow(QStringLiteral("progressRow"), 6, m_selection, &progress);
    auto* spinner = new ProgressSpinner(ProgressSpinner::ControlSize::small, m_progressRow);
    spinner->setObjectName(QStringLiteral("progressIndicator"));
    m_progressLabel = new QLabel(m_progressRow);
    m_progressLabel->setObjectName(QStringLiteral("progressLabel"));
    m_progressLabel->setTextFormat(Qt::PlainText);
    m_progressLabel->setFont(Appearance::font(TextStyle::body));
    progress->addWidget(spinner, 0, Qt::AlignVCenter);
    progress->addWidget(m_progressLabel, 0, Qt::AlignVCenter);
    progress->addStretch(1);
    column->addWidget(m_progressRow);

    // 3. Translation.
    m_translation
        = makeText(QStringLiteral("translation"), Appearance::font(TextStyle::body), true, m_selection);
    column->addWidget(m_translation);

    // 4. Refined variants, separated by inset dividers.
    m_refinedSection = new QWidget(m_selection);
    m_refinedSection->setObjectName(QStringLiteral("refinedSection"));
    m_refinedLayout = makeColumn(m_refinedSection, 4);
    column->addWidget(m_refinedSection);

    // 5. Definition.
    m_definition
        = makeText(QStringLiteral("definition"), Appearance::font(TextStyle::callout), true, m_selection);
    column->addWidget(m_definition);

    // 6. Error.
    m_error
        = makeText(QStringLiteral("errorMessage"), Appearance::font(TextStyle::callout), false, m_selection);
    column->addWidget(m_error);
}

void PopupView::buildQuickLayout()
{
    m_quick = new QWidget(this);
    m_quick->setObjectName(QStringLiteral("quickTranslateLayout"));
    QVBoxLayout* column = makeColumn(m_quick, 8);

    auto* sourceLabel = new PaneLabel(QStringLiteral("Any language"), m_quick);
    sourceLabel->setObjectName(QStringLiteral("sourcePaneLabel"));
    column->addWidget(sourceLabel);

    m_input = new QuickInputField(m_quick);
    m_input->setObjectName(QStringLiteral("inputField"));
    m_input->setFont(Appearance::font(TextStyle::title3));
    connect(m_input, &QPlainTextEdit::textChanged, this, &PopupView::inputEdited);
    column->addWidget(m_input);

    auto* divider = new DirectionDivider(m_quick);
    divider->setObjectName(QStringLiteral("directionDivider"));
    column->addWidget(divider);

    QHBoxLayout* target = nullptr;
    QWidget* targetRow = makeRow(QStringLiteral("targetRow"), 6, m_quick, &target);
    m_targetButton = new TargetLanguageButton(targetRow);
    m_targetButton->setObjectName(QStringLiteral("targetButton"));
    connect(m_targetButton, &QAbstractButton::clicked, this, [this] {
        if (onToggleTarget)
            onToggleTarget();
    });
    m_quickSpinner = new ProgressSpinner(ProgressSpinner::ControlSize::mini, targetRow);
    m_quickSpinner->setObjectName(QStringLiteral("quickProgressIndicator"));
    target->addWidget(m_targetButton, 0, Qt::AlignVCenter);
    target->addWidget(m_quickSpinner, 0, Qt::AlignVCenter);
    target->addStretch(1);
    column->addWidget(targetRow);

    auto* result = new QWidget(m_quick);
    result->setObjectName(QStringLiteral("quickResult"));
    QVBoxLayout* resultColumn = makeColumn(result, 0);

    // Case 1: a translation.
    m_quickTranslationBox = new QWidget(result);
    m_quickTranslationBox->setObjectName(QStringLiteral("quickTranslationBox"));
    QVBoxLayout* box = makeColumn(m_quickTranslationBox, 6);
    QHBoxLayout* line = nullptr;
    QWidget* lineRow = makeRow(QStringLiteral("quickTranslationRow"), 8, m_quickTranslationBox, &line);
    const QFont translatedFont = Appearance::font(TextStyle::title3, QFont::Medium);
    m_quickTranslated = makeText(QStringLiteral("quickTranslation"), translatedFont, true, lineRow);
    m_quickTranscription = makeText(QStringLiteral("quickTranscription"),
        Appearance::monospacedFont(TextStyle::subheadline), false, lineRow);
    // The row stands on the first line's baseline: the smaller text is
    // lowered to it and the buttons are centred on that line.
    auto* transcriptionSlot = new QVBoxLayout;
    transcriptionSlot->setContentsMargins(
        0, baselineOffset(translatedFont, m_quickTranscription->font()), 0, 0);
    transcriptionSlot->addWidget(m_quickTranscription);
    transcriptionSlot->addStretch(1);
    m_quickSpeaker = new SymbolButton(QStringLiteral("speaker.wave.2.fill"), kBodySize, lineRow);
    m_quickSpeaker->setObjectName(QStringLiteral("quickSpeakerButton"));
    m_quickSpeaker->setToolTip(QStringLiteral("Play pronunciation"));
    connect(m_quickSpeaker, &QAbstractButton::clicked, this, [this] {
        if (onPlayAudio)
            onPlayAudio();
    });
    m_quickCopy = new MiniActionButton(QStringLiteral("doc.on.doc"), QStringLiteral("Copy"), [this] {
        if (m_model && m_model->translation() && onCopy)
            onCopy(m_model->translation()->translated);
    });
    m_quickCopy->setParent(lineRow);
    m_quickCopy->setObjectName(QStringLiteral("quickCopyButton"));
    auto* speakerSlot = new QVBoxLayout;
    speakerSlot->setContentsMargins(
        0, lineCentreOffset(translatedFont, m_quickSpeaker->sizeHint().height()), 0, 0);
    speakerSlot->addWidget(m_quickSpeaker);
    speakerSlot->addStretch(1);
    auto* copySlot = new QVBoxLayout;
    copySlot->setContentsMargins(0, lineCentreOffset(translatedFont, m_quickCopy->sizeHint().height()), 0, 0);
    copySlot->addWidget(m_quickCopy);
    copySlot->addStretch(1);
    line->addWidget(m_quickTranslated, 0, Qt::AlignTop);
    line->addLayout(transcriptionSlot);
    line->addLayout(speakerSlot);
    line->addStretch(1);
    line->addLayout(copySlot);
    box->addWidget(lineRow);
    m_quickDefinition = makeText(
        QStringLiteral("quickDefinition"), Appearance::font(TextStyle::callout), true, m_quickTranslationBox);
    box->addWidget(m_quickDefinition);
    resultColumn->addWidget(m_quickTranslationBox);

    // Case 2: an error.
    m_quickError
        = makeText(QStringLiteral("quickError"), Appearance::font(TextStyle::callout), false, result);
    resultColumn->addWidget(m_quickError);

    // Case 3: nothing yet.
    m_quickPlaceholder = new QLabel(QStringLiteral("Translation appears here"), result);
    m_quickPlaceholder->setObjectName(QStringLiteral("quickPlaceholder"));
    m_quickPlaceholder->setTextFormat(Qt::PlainText);
    m_quickPlaceholder->setFont(Appearance::font(TextStyle::title3));
    resultColumn->addWidget(m_quickPlaceholder);

    column->addWidget(result);
}

void PopupView::applyColors()
{
    const QPalette& p = palette();
    const QColor primary = Appearance::foreground(Emphasis::primary, p);
    const QColor secondary = Appearance::foreground(Emphasis::secondary, p);
    const QColor red = Appearance::red(p);

    m_headword->setTextColor(primary);
    m_transcription->setTextColor(secondary);
    setLabelColor(m_progressLabel, secondary);
    m_translation->setTextColor(primary);
    m_definition->setTextColor(secondary);
    m_error->setTextColor(red);

    QPalette input = m_input->palette();
    input.setColor(QPalette::Text, primary);
    input.setColor(QPalette::PlaceholderText, Appearance::foreground(Emphasis::tertiary, p));
    m_input->setPalette(input);
    m_quickTranslated->setTextColor(primary);
    m_quickTranscription->setTextColor(secondary);
    m_quickDefinition->setTextColor(secondary);
    m_quickError->setTextColor(red);
    setLabelColor(m_quickPlaceholder, Appearance::foreground(Emphasis::tertiary, p));
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
        refreshQuick();
    else
        refreshSelection();
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

    if (appeared)
        m_seenSourceText = model.sourceText();
    else if (quick && model.sourceText() != m_seenSourceText && !m_inputReportPending) {
        // Reported once the current burst of assignments is over: a reset
        // that also leaves the quick layout (a selection popup replacing it)
        // is no input, and the callback may write the model again.
        m_inputReportPending = true;
        QTimer::singleShot(0, this, &PopupView::reportInput);
    }
}

void PopupView::reportInput()
{
    m_inputReportPending = false;
    if (!m_model || !m_quickShown || m_model->sourceText() == m_seenSourceText)
        return;
    m_seenSourceText = m_model->sourceText();
    if (onInput)
        onInput(m_seenSourceText);
}

void PopupView::refreshSelection()
{
    const PopupModel& model = *m_model;
    const std::optional<DictionaryEntry>& entry = model.entry();

    m_wordHeader->setVisible(model.isWordMode());
    if (model.isWordMode()) {
        // The captured text may carry the spaces or line break around the
        // word; the header shows the word.
        m_headword->setText(model.sourceText().trimmed());
        const bool hasTranscription = entry && entry->ipa;
        m_transcription->setVisible(hasTranscription);
        if (hasTranscription)
            m_transcription->setText(*entry->ipa);
        m_speakerButton->setVisible(entry && entry->audioUrl);
        const std::optional<QUrl> page = entry ? dictionaryPage(*entry) : std::nullopt;
        m_pageUrl = page.value_or(QUrl());
        m_dictionaryLink->setVisible(page.has_value());
    }

    m_progressRow->setVisible(model.isLoading());
    m_progressLabel->setText(
        model.mode() == PopupMode::refine ? QStringLiteral("Refining…") : QStringLiteral("Translating…"));

    const std::optional<TranslationResult>& translation = model.translation();
    m_translation->setVisible(translation.has_value());
    if (translation) {
        m_translation->setFont(model.isWordMode() ? Appearance::font(TextStyle::title3, QFont::Medium)
                                                  : Appearance::font(TextStyle::body));
        m_translation->setText(translation->translated);
    }

    m_refinedSection->setVisible(model.refined().has_value());
    if (model.refined() != m_shownRefined)
        rebuildVariants(model.refined());

    const bool hasDefinition = entry && entry->definition;
    m_definition->setVisible(hasDefinition);
    if (hasDefinition)
        m_definition->setText(*entry->definition);

    m_error->setVisible(model.errorMessage().has_value());
    if (model.errorMessage())
        m_error->setText(*model.errorMessage());
}

void PopupView::refreshQuick()
{
    const PopupModel& model = *m_model;
    const std::optional<DictionaryEntry>& entry = model.entry();

    if (m_input->toPlainText() != model.sourceText()) {
        m_syncingInput = true;
        m_input->setPlainText(model.sourceText());
        m_input->moveCursor(QTextCursor::End);
        m_syncingInput = false;
    }

    m_targetButton->setLanguageName(quickTargetName(model.quickTarget()));
    m_quickSpinner->setVisible(model.isLoading());

    const std::optional<TranslationResult>& translation = model.translation();
    const bool showError = !translation && model.errorMessage();
    m_quickTranslationBox->setVisible(translation.has_value());
    m_quickError->setVisible(showError);
    m_quickPlaceholder->setVisible(!translation && !showError);

    if (translation) {
        m_quickTranslated->setText(translation->translated);
        const bool hasTranscription = entry && entry->ipa;
        m_quickTranscription->setVisible(hasTranscription);
        if (hasTranscription)
            m_quickTranscription->setText(*entry->ipa);
        m_quickSpeaker->setVisible(entry && entry->audioUrl);
        const bool hasDefinition = entry && entry->definition;
        m_quickDefinition->setVisible(hasDefinition);
        if (hasDefinition)
            m_quickDefinition->setText(*entry->definition);
    } else if (showError) {
        m_quickError->setText(*model.errorMessage());
    }
}

void PopupView::rebuildVariants(const std::optional<QString>& refined)
{
    m_shownRefined = refined;
    // Deleted later: a row may be rebuilt from inside its own click handler.
    for (QWidget* widget : std::as_const(m_variantWidgets)) {
        m_refinedLayout->removeWidget(widget);
        widget->hide();
        widget->deleteLater();
    }
    m_variantWidgets.clear();
    if (!refined)
        return;

    const QStringList variants = PopupModel::variants(*refined);
    for (qsizetype i = 0; i < variants.size(); ++i) {
        if (i >= 1) {
            auto* divider = new InsetDivider(8, m_refinedSection);
            divider->setObjectName(QStringLiteral("variantDivider"));
            m_refinedLayout->addWidget(divider);
            m_variantWidgets.append(divider);
        }
        auto* row = new RefinedVariantRow(
            variants[i],
            [this](const QString& text) {
                if (onCopy)
                    onCopy(text);
            },
            [this](const QString& text) {
                if (onReplace)
                    onReplace(text);
            },
            m_refinedSection);
        m_refinedLayout->addWidget(row);
        m_variantWidgets.append(row);
    }
}

void PopupView::focusInput()
{
    if (m_quickShown)
        m_input->setFocus(Qt::OtherFocusReason);
}

void PopupView::inputEdited()
{
    if (m_syncingInput || !m_model)
        return;
    m_model->setSourceText(m_input->toPlainText());
}

bool PopupView::inputFocused() const
{
    return m_input->hasFocus();
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

void PopupView::hostIn(QWidget* window, bool translucent)
{
    // The window always has an alpha channel: it is chosen once, when the
    // native window is made, while a compositor may come and go later.
    // Without one the card is painted opaque and the window is cut to its
    // shape instead.
    window->setAttribute(Qt::WA_TranslucentBackground);
    auto* layout = new QVBoxLayout(window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    // The window is sized from fittingSize() by its owner, at moments of its
    // choosing; a layout constraint would also clamp it to sizes measured
    // before the latest change.
    layout->setSizeConstraint(QLayout::SetNoConstraint);
    layout->addWidget(this);
    m_host = window;
    m_translucent = translucent;
    updateHostMask();
}

void PopupView::setTranslucent(bool translucent)
{
    if (translucent == m_translucent)
        return;
    m_translucent = translucent;
    updateHostMask();
    update();
}

QRegion PopupView::cardRegion() const
{
    QPainterPath outline;
    outline.addRoundedRect(QRectF(rect()), cornerRadius, cornerRadius);
    return QRegion(outline.toFillPolygon().toPolygon());
}

void PopupView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (m_translucent) {
        QPainterPath card;
        card.addRoundedRect(QRectF(rect()), cornerRadius, cornerRadius);
        painter.fillPath(card, Appearance::material(palette(), true));
    } else {
        // Every pixel opaque and exactly the mask's shape: a half-transparent
        // edge would show dark where nothing blends it.
        painter.setClipRegion(cardRegion());
        painter.fillRect(rect(), Appearance::material(palette(), false));
    }

    // The border lies inside the edge: a 1-pixel line centred half a pixel in.
    QPainterPath edge;
    edge.addRoundedRect(
        QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), cornerRadius - 0.5, cornerRadius - 0.5);
    QPen pen(Appearance::separator(palette()));
    pen.setWidthF(1);
    painter.setPen(pen);
    painter.drawPath(edge);
}

void PopupView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    updateHostMask();
}

void PopupView::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::ApplicationPaletteChange)
        applyColors();
}

void PopupView::updateHostMask()
{
    if (!m_host)
        return;
    if (m_translucent)
        m_host->clearMask();
    else
        m_host->setMask(cardRegion().translated(mapTo(m_host, QPoint(0, 0))));
}
