// SPDX-License-Identifier: MIT
#include "QuickTranslateLayout.h"

#include "Appearance.h"
#include "Language.h"
#include "MiniActionButton.h"
#include "PaneLabel.h"
#include "PopupModel.h"
#include "PopupWidgets.h"
#include "ProgressSpinner.h"
#include "QuickInputField.h"
#include "SymbolButton.h"
#include "Symbols.h"
#include "TargetLanguageButton.h"
#include "WrappingText.h"

#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>
#include <cmath>

using Appearance::Emphasis;
using Appearance::TextStyle;
using namespace PopupWidgets;

namespace {

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

QuickTranslateLayout::QuickTranslateLayout(
    PopupModel* model, Callback onPlayAudio, TextCallback onCopy, Callback onToggleTarget, QWidget* parent)
    : QWidget(parent)
    , m_model(model)
    , m_onPlayAudio(std::move(onPlayAudio))
    , m_onCopy(std::move(onCopy))
    , m_onToggleTarget(std::move(onToggleTarget))
{
    setObjectName(QStringLiteral("quickTranslateLayout"));
    QVBoxLayout* column = makeColumn(this, 8);

    auto* sourceLabel = new PaneLabel(QStringLiteral("Any language"), this);
    sourceLabel->setObjectName(QStringLiteral("sourcePaneLabel"));
    column->addWidget(sourceLabel);

    m_input = new QuickInputField(this);
    m_input->setObjectName(QStringLiteral("inputField"));
    m_input->setFont(Appearance::font(TextStyle::title3));
    connect(m_input, &QPlainTextEdit::textChanged, this, &QuickTranslateLayout::inputEdited);
    column->addWidget(m_input);

    auto* divider = new DirectionDivider(this);
    divider->setObjectName(QStringLiteral("directionDivider"));
    column->addWidget(divider);

    QHBoxLayout* target = nullptr;
    QWidget* targetRow = makeRow(QStringLiteral("targetRow"), 6, this, &target);
    m_targetButton = new TargetLanguageButton(targetRow);
    m_targetButton->setObjectName(QStringLiteral("targetButton"));
    connect(m_targetButton, &QAbstractButton::clicked, this, [this] {
        if (m_onToggleTarget)
            m_onToggleTarget();
    });
    m_spinner = new ProgressSpinner(ProgressSpinner::ControlSize::mini, targetRow);
    m_spinner->setObjectName(QStringLiteral("quickProgressIndicator"));
    target->addWidget(m_targetButton, 0, Qt::AlignVCenter);
    target->addWidget(m_spinner, 0, Qt::AlignVCenter);
    target->addStretch(1);
    column->addWidget(targetRow);

    auto* result = new QWidget(this);
    result->setObjectName(QStringLiteral("quickResult"));
    QVBoxLayout* resultColumn = makeColumn(result, 0);

    // Case 1: a translation.
    m_translationBox = new QWidget(result);
    m_translationBox->setObjectName(QStringLiteral("quickTranslationBox"));
    QVBoxLayout* box = makeColumn(m_translationBox, 6);
    QHBoxLayout* line = nullptr;
    QWidget* lineRow = makeRow(QStringLiteral("quickTranslationRow"), 8, m_translationBox, &line);
    const QFont translatedFont = Appearance::font(TextStyle::title3, QFont::Medium);
    m_translated = makeText(QStringLiteral("quickTranslation"), translatedFont, true, lineRow);
    m_transcription = makeText(QStringLiteral("quickTranscription"),
        Appearance::monospacedFont(TextStyle::subheadline), false, lineRow);
    // The row stands on the first line's baseline: the smaller text is
    // lowered to it and the buttons are centred on that line.
    auto* transcriptionSlot = new QVBoxLayout;
    transcriptionSlot->setContentsMargins(0, baselineOffset(translatedFont, m_transcription->font()), 0, 0);
    transcriptionSlot->addWidget(m_transcription);
    transcriptionSlot->addStretch(1);
    m_speaker = new SymbolButton(QStringLiteral("speaker.wave.2.fill"), bodySize, lineRow);
    m_speaker->setObjectName(QStringLiteral("quickSpeakerButton"));
    m_speaker->setToolTip(QStringLiteral("Play pronunciation"));
    connect(m_speaker, &QAbstractButton::clicked, this, [this] {
        if (m_onPlayAudio)
            m_onPlayAudio();
    });
    m_copy = new MiniActionButton(QStringLiteral("doc.on.doc"), QStringLiteral("Copy"), [this] {
        if (m_model && m_model->translation() && m_onCopy)
            m_onCopy(m_model->translation()->translated);
    });
    m_copy->setParent(lineRow);
    m_copy->setObjectName(QStringLiteral("quickCopyButton"));
    auto* speakerSlot = new QVBoxLayout;
    speakerSlot->setContentsMargins(
        0, lineCentreOffset(translatedFont, m_speaker->sizeHint().height()), 0, 0);
    speakerSlot->addWidget(m_speaker);
    speakerSlot->addStretch(1);
    auto* copySlot = new QVBoxLayout;
    copySlot->setContentsMargins(0, lineCentreOffset(translatedFont, m_copy->sizeHint().height()), 0, 0);
    copySlot->addWidget(m_copy);
    copySlot->addStretch(1);
    line->addWidget(m_translated, 0, Qt::AlignTop);
    line->addLayout(transcriptionSlot);
    line->addLayout(speakerSlot);
    line->addStretch(1);
    line->addLayout(copySlot);
    box->addWidget(lineRow);
    m_definition = makeText(
        QStringLiteral("quickDefinition"), Appearance::font(TextStyle::callout), true, m_translationBox);
    box->addWidget(m_definition);
    resultColumn->addWidget(m_translationBox);

    // Case 2: an error.
    m_error = makeText(QStringLiteral("quickError"), Appearance::font(TextStyle::callout), false, result);
    resultColumn->addWidget(m_error);

    // Case 3: nothing yet.
    m_placeholder = new QLabel(QStringLiteral("Translation appears here"), result);
    m_placeholder->setObjectName(QStringLiteral("quickPlaceholder"));
    m_placeholder->setTextFormat(Qt::PlainText);
    m_placeholder->setFont(Appearance::font(TextStyle::title3));
    resultColumn->addWidget(m_placeholder);

    column->addWidget(result);
}

QString QuickTranslateLayout::targetName(const QString& code)
{
    if (const Language* language = Language::find(code))
        return language->name;
    return QStringLiteral("English");
}

void QuickTranslateLayout::refresh()
{
    if (!m_model)
        return;
    const PopupModel& model = *m_model;
    const std::optional<DictionaryEntry>& entry = model.entry();

    if (m_input->toPlainText() != model.sourceText()) {
        m_syncingInput = true;
        m_input->setPlainText(model.sourceText());
        m_input->moveCursor(QTextCursor::End);
        m_syncingInput = false;
    }

    m_targetButton->setLanguageName(targetName(model.quickTarget()));
    m_spinner->setVisible(model.isLoading());

    const std::optional<TranslationResult>& translation = model.translation();
    const bool showError = !translation && model.errorMessage();
    m_translationBox->setVisible(translation.has_value());
    m_error->setVisible(showError);
    m_placeholder->setVisible(!translation && !showError);

    if (translation) {
        m_translated->setText(translation->translated);
        const bool hasTranscription = entry && entry->ipa;
        m_transcription->setVisible(hasTranscription);
        if (hasTranscription)
            m_transcription->setText(*entry->ipa);
        m_speaker->setVisible(entry && entry->audioUrl);
        const bool hasDefinition = entry && entry->definition;
        m_definition->setVisible(hasDefinition);
        if (hasDefinition)
            m_definition->setText(*entry->definition);
    } else if (showError) {
        m_error->setText(*model.errorMessage());
    }
}

void QuickTranslateLayout::applyColors()
{
    const QPalette& p = palette();
    const QColor primary = Appearance::foreground(Emphasis::primary, p);
    const QColor secondary = Appearance::foreground(Emphasis::secondary, p);
    const QColor tertiary = Appearance::foreground(Emphasis::tertiary, p);
    QPalette input = m_input->palette();
    input.setColor(QPalette::Text, primary);
    input.setColor(QPalette::PlaceholderText, tertiary);
    m_input->setPalette(input);
    m_translated->setTextColor(primary);
    m_transcription->setTextColor(secondary);
    m_definition->setTextColor(secondary);
    m_error->setTextColor(Appearance::red(p));
    setLabelColor(m_placeholder, tertiary);
}

void QuickTranslateLayout::focusInput()
{
    m_input->setFocus(Qt::OtherFocusReason);
}

void QuickTranslateLayout::inputEdited()
{
    if (m_syncingInput || !m_model)
        return;
    m_model->setSourceText(m_input->toPlainText());
}

bool QuickTranslateLayout::inputFocused() const
{
    return m_input->hasFocus();
}
