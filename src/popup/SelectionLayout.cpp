// SPDX-License-Identifier: MIT
#include "SelectionLayout.h"

#include "Appearance.h"
#include "PopupModel.h"
#include "PopupWidgets.h"
#include "ProgressSpinner.h"
#include "RefinedVariantRow.h"
#include "SymbolButton.h"
#include "WrappingText.h"

#include <QDesktopServices>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

using Appearance::Emphasis;
using Appearance::TextStyle;
using namespace PopupWidgets;

namespace {

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

} // namespace

SelectionLayout::SelectionLayout(
    Callback onPlayAudio, TextCallback onCopy, TextCallback onReplace, QWidget* parent)
    : QWidget(parent)
    , m_onPlayAudio(std::move(onPlayAudio))
    , m_onCopy(std::move(onCopy))
    , m_onReplace(std::move(onReplace))
{
    setObjectName(QStringLiteral("selectionLayout"));
    QVBoxLayout* column = makeColumn(this, 8);

    // 1. Word header.
    QHBoxLayout* header = nullptr;
    m_wordHeader = makeRow(QStringLiteral("wordHeader"), 8, this, &header);
    m_headword
        = makeText(QStringLiteral("headword"), Appearance::font(TextStyle::headline), false, m_wordHeader);
    m_transcription = makeText(QStringLiteral("transcription"),
        Appearance::monospacedFont(TextStyle::subheadline), false, m_wordHeader);
    m_speakerButton = new SymbolButton(QStringLiteral("speaker.wave.2.fill"), bodySize, m_wordHeader);
    m_speakerButton->setObjectName(QStringLiteral("speakerButton"));
    m_speakerButton->setToolTip(QStringLiteral("Play pronunciation"));
    connect(m_speakerButton, &QAbstractButton::clicked, this, [this] {
        if (m_onPlayAudio)
            m_onPlayAudio();
    });
    m_dictionaryLink = new SymbolButton(
        QStringLiteral("arrow.up.right.square"), bodySize, Emphasis::secondary, m_wordHeader);
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
    m_progressRow = makeRow(QStringLiteral("progressRow"), 6, this, &progress);
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
    m_translation = makeText(QStringLiteral("translation"), Appearance::font(TextStyle::body), true, this);
    column->addWidget(m_translation);

    // 4. Refined variants, separated by inset dividers.
    m_refinedSection = new QWidget(this);
    m_refinedSection->setObjectName(QStringLiteral("refinedSection"));
    m_refinedLayout = makeColumn(m_refinedSection, 4);
    column->addWidget(m_refinedSection);

    // 5. Definition.
    m_definition = makeText(QStringLiteral("definition"), Appearance::font(TextStyle::callout), true, this);
    column->addWidget(m_definition);

    // 6. Error.
    m_error = makeText(QStringLiteral("errorMessage"), Appearance::font(TextStyle::callout), false, this);
    column->addWidget(m_error);
}

std::optional<QUrl> SelectionLayout::dictionaryPage(const DictionaryEntry& entry)
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

void SelectionLayout::applyColors()
{
    const QPalette& p = palette();
    const QColor primary = Appearance::foreground(Emphasis::primary, p);
    const QColor secondary = Appearance::foreground(Emphasis::secondary, p);
    m_headword->setTextColor(primary);
    m_transcription->setTextColor(secondary);
    setLabelColor(m_progressLabel, secondary);
    m_translation->setTextColor(primary);
    m_definition->setTextColor(secondary);
    m_error->setTextColor(Appearance::red(p));
}

void SelectionLayout::refresh(const PopupModel& model)
{
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

void SelectionLayout::rebuildVariants(const std::optional<QString>& refined)
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
                if (m_onCopy)
                    m_onCopy(text);
            },
            [this](const QString& text) {
                if (m_onReplace)
                    m_onReplace(text);
            },
            m_refinedSection);
        m_refinedLayout->addWidget(row);
        m_variantWidgets.append(row);
    }
}
