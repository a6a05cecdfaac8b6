// SPDX-License-Identifier: MIT
#include "SettingsView.h"

#include "AppSettings.h"
#include "Appearance.h"
#include "GeminiKeySection.h"
#include "HotkeyManager.h"
#include "HotkeyRecorder.h"
#include "HotkeyRecorderRow.h"
#include "Language.h"
#include "NotificationCenter.h"
#include "SettingsTabButton.h"
#include "ShortcutGuideView.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QTimer>
#include <QVBoxLayout>
#include <cmath>

namespace {

constexpr int kMargin = 20;
constexpr int kVolumeSteps = 1000;

QLabel* secondaryLabel(const QString& text, Appearance::TextStyle style, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setFont(Appearance::font(style));
    label->setWordWrap(true);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, Appearance::foreground(Appearance::Emphasis::secondary, palette));
    label->setPalette(palette);
    return label;
}

QFrame* divider(QWidget* parent)
{
    auto* line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Plain);
    QPalette palette = line->palette();
    palette.setColor(QPalette::WindowText, Appearance::separator(palette));
    line->setPalette(palette);
    return line;
}

// A row of a label and a control, as a picker with a label reads.
QHBoxLayout* labelledRow(const QString& label, QWidget* control, QWidget* parent)
{
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(label, parent));
    row->addWidget(control);
    row->addStretch();
    return row;
}

QWidget* tabPage(QWidget* parent, QVBoxLayout*& column)
{
    auto* page = new QWidget(parent);
    column = new QVBoxLayout(page);
    column->setContentsMargins(0, 8, 0, 8);
    column->setSpacing(12);
    column->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    return page;
}

} // namespace

SettingsView::SettingsView(Services services, std::function<void()> onHotkeyChange, QWidget* parent)
    : QWidget(parent)
    , m_services(services)
    , m_recorder(new HotkeyRecorder(
          { services.settings, services.hotkeys, services.beeper }, std::move(onHotkeyChange), this))
    , m_languageCode(services.settings.targetLanguage())
    , m_accent(services.settings.accent())
    , m_autoPlayPronunciation(services.settings.autoPlayPronunciation())
    , m_pronunciationVolume(services.settings.pronunciationVolume())
    , m_refinePrompt(services.settings.refinePrompt())
{
    setWindowTitle(QStringLiteral("Sorvantel Settings"));
    // The view is exactly its content: 460 wide, as high as the selected tab.
    auto* outer = new QVBoxLayout(this);
    outer->setSizeConstraint(QLayout::SetFixedSize);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* content = new QWidget(this);
    content->setFixedWidth(fixedWidth);
    outer->addWidget(content);
    auto* stack = new QVBoxLayout(content);
    stack->setContentsMargins(0, kMargin, 0, kMargin);
    stack->setSpacing(16);

    auto* title = new QLabel(QStringLiteral("Sorvantel Settings"), this);
    title->setFont(Appearance::font(Appearance::TextStyle::headline));
    title->setAlignment(Qt::AlignCenter);
    stack->addWidget(title);

    auto* tabBar = new QHBoxLayout;
    tabBar->setSpacing(10);
    tabBar->addStretch();
    const std::pair<QString, QString> tabs[] = {
        { QStringLiteral("Translating"), QStringLiteral("globe") },
        { QStringLiteral("Refining"), QStringLiteral("wand.and.stars") },
    };
    for (size_t i = 0; i < 2; ++i) {
        m_tabButtons[i] = new SettingsTabButton(tabs[i].first, tabs[i].second, this);
        connect(m_tabButtons[i], &QAbstractButton::clicked, this, [this, i] { selectTab(SettingsTab(i)); });
        tabBar->addWidget(m_tabButtons[i]);
    }
    tabBar->addStretch();
    stack->addLayout(tabBar);
    stack->addWidget(divider(this)); // edge to edge, through the margin

    // Everything below the tab bar keeps the margin.
    auto* body = new QVBoxLayout;
    body->setContentsMargins(kMargin, 0, kMargin, 0);
    body->setSpacing(16);
    m_tabs[0] = buildTranslatingTab();
    m_tabs[1] = buildRefiningTab();
    body->addWidget(m_tabs[0]);
    body->addWidget(m_tabs[1]);
    body->addWidget(divider(this));
    if (const DesktopShortcutGuide* guide = services.hotkeys.desktopGuide())
        body->addWidget(new ShortcutGuideView(*guide, this));
    else
        body->addWidget(secondaryLabel(
            QStringLiteral("Requires an X11 session to read the selected text and to receive the shortcuts."),
            Appearance::TextStyle::caption, this));
    stack->addLayout(body);

    selectTab(SettingsTab::translating);

    services.notifications.observe(shortcutsChanged, this, [this] { m_recorder->reload(); });
    services.notifications.observe(focusGeminiApiKey, this, [this] {
        selectTab(SettingsTab::refining);
        // One turn later: the window that was just shown takes the focus first.
        QTimer::singleShot(0, this, [this] { m_keySection->focusKeyField(); });
    });
}

SettingsView::~SettingsView() = default;

QWidget* SettingsView::buildTranslatingTab()
{
    QVBoxLayout* column = nullptr;
    QWidget* page = tabPage(this, column);
    page->setObjectName(QStringLiteral("translatingTab"));

    auto* language = new QComboBox(page);
    language->setObjectName(QStringLiteral("language"));
    language->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    for (const Language& entry : Language::all())
        language->addItem(entry.name, entry.code);
    language->setCurrentIndex(language->findData(m_languageCode)); // -1 for a code outside the list
    connect(language, &QComboBox::currentIndexChanged, this, [this, language](int index) {
        if (index < 0)
            return;
        m_languageCode = language->itemData(index).toString();
        save();
    });
    column->addLayout(labelledRow(QStringLiteral("Translate to"), language, page));

    auto* accent = new QComboBox(page);
    accent->setObjectName(QStringLiteral("accent"));
    accent->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    accent->addItem(QStringLiteral("British (UK)"), QStringLiteral("uk"));
    accent->addItem(QStringLiteral("American (US)"), QStringLiteral("us"));
    accent->setCurrentIndex(accent->findData(m_accent));
    connect(accent, &QComboBox::currentIndexChanged, this, [this, accent](int index) {
        if (index < 0)
            return;
        m_accent = accent->itemData(index).toString();
        save();
    });
    column->addLayout(labelledRow(QStringLiteral("Pronunciation"), accent, page));

    auto* autoPlay = new QCheckBox(QStringLiteral("Auto-play pronunciation"), page);
    autoPlay->setObjectName(QStringLiteral("autoPlay"));
    autoPlay->setToolTip(QStringLiteral("Play the word's audio automatically when the popup opens"));
    autoPlay->setChecked(m_autoPlayPronunciation);
    connect(autoPlay, &QCheckBox::toggled, this, [this](bool on) {
        m_autoPlayPronunciation = on;
        save();
    });
    column->addWidget(autoPlay);

    auto* volumeRow = new QWidget(page);
    volumeRow->setToolTip(QStringLiteral("Set pronunciation playback volume"));
    auto* volumeLayout = new QHBoxLayout(volumeRow);
    volumeLayout->setContentsMargins(0, 0, 0, 0);
    volumeLayout->addWidget(new QLabel(QStringLiteral("Pronunciation volume"), volumeRow));
    auto* slider = new QSlider(Qt::Horizontal, volumeRow);
    slider->setObjectName(QStringLiteral("volume"));
    slider->setRange(0, kVolumeSteps);
    slider->setValue(int(std::lround(m_pronunciationVolume * kVolumeSteps)));
    volumeLayout->addWidget(slider, 1);
    m_volumePercent = new QLabel(volumePercent(m_pronunciationVolume), volumeRow);
    m_volumePercent->setObjectName(QStringLiteral("volumePercent"));
    m_volumePercent->setFont(Appearance::monospacedFont(Appearance::TextStyle::body));
    m_volumePercent->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_volumePercent->setFixedWidth(qRound(Appearance::pixels(40)));
    volumeLayout->addWidget(m_volumePercent);
    // valueChanged, not sliderReleased: the volume is written while dragged.
    connect(slider, &QSlider::valueChanged, this, [this](int value) {
        m_pronunciationVolume = double(value) / kVolumeSteps;
        m_volumePercent->setText(volumePercent(m_pronunciationVolume));
        save();
    });
    column->addWidget(volumeRow);

    column->addWidget(m_recorder->createRow(HotkeyTarget::translate, page));
    return page;
}

QWidget* SettingsView::buildRefiningTab()
{
    QVBoxLayout* column = nullptr;
    QWidget* page = tabPage(this, column);
    page->setObjectName(QStringLiteral("refiningTab"));

    column->addWidget(
        secondaryLabel(QStringLiteral("Rewrites the selected text into clear, natural English."),
            Appearance::TextStyle::body, page));
    column->addWidget(m_recorder->createRow(HotkeyTarget::refine, page));
    m_keySection = new GeminiKeySection(m_services.keys, page);
    column->addWidget(m_keySection);

    auto* editor = new QVBoxLayout;
    editor->setSpacing(4);
    auto* header = new QHBoxLayout;
    header->addWidget(new QLabel(QStringLiteral("Prompt"), page));
    header->addStretch();
    m_resetPrompt = new QPushButton(QStringLiteral("Reset to default"), page);
    m_resetPrompt->setObjectName(QStringLiteral("resetPrompt"));
    m_resetPrompt->setFont(Appearance::font(Appearance::TextStyle::caption));
    header->addWidget(m_resetPrompt);
    editor->addLayout(header);

    m_prompt = new QPlainTextEdit(m_refinePrompt, page);
    m_prompt->setObjectName(QStringLiteral("prompt"));
    m_prompt->setFont(Appearance::font(Appearance::TextStyle::callout));
    m_prompt->setFixedHeight(qRound(Appearance::pixels(140)));
    m_prompt->setFrameShape(QFrame::NoFrame);
    m_prompt->setStyleSheet(QStringLiteral("QPlainTextEdit { border: 1px solid %1; border-radius: 4px; }")
                                .arg(Appearance::separator(palette()).name(QColor::HexArgb)));
    editor->addWidget(m_prompt);
    column->addLayout(editor);

    m_resetPrompt->setEnabled(m_refinePrompt != AppSettings::defaultRefinePrompt());
    connect(m_prompt, &QPlainTextEdit::textChanged, this, [this] {
        m_refinePrompt = m_prompt->toPlainText();
        m_resetPrompt->setEnabled(m_refinePrompt != AppSettings::defaultRefinePrompt());
        save();
    });
    connect(m_resetPrompt, &QPushButton::clicked, this,
        [this] { m_prompt->setPlainText(AppSettings::defaultRefinePrompt()); });
    return page;
}

void SettingsView::selectTab(SettingsTab tab)
{
    m_selectedTab = tab;
    for (size_t i = 0; i < 2; ++i) {
        m_tabButtons[i]->setChecked(SettingsTab(i) == tab);
        m_tabs[i]->setVisible(SettingsTab(i) == tab);
    }
    followSize();
}

void SettingsView::followSize()
{
    // A host without a fixed-size layout still follows the selected tab.
    if (QWidget* host = window(); host != this && host->isVisible())
        QTimer::singleShot(0, host, [host] { host->adjustSize(); });
}

QString SettingsView::volumePercent(double volume)
{
    return QString::number(std::lround(volume * 100)) + QLatin1Char('%');
}

void SettingsView::save()
{
    AppSettings& settings = m_services.settings;
    settings.setTargetLanguage(m_languageCode);
    settings.setAccent(m_accent);
    settings.setAutoPlayPronunciation(m_autoPlayPronunciation);
    settings.setPronunciationVolume(m_pronunciationVolume); // clamps
    settings.setRefinePrompt(m_refinePrompt);
}

void SettingsView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    save();
    m_recorder->refreshCaptions();
}

void SettingsView::hideEvent(QHideEvent* event)
{
    // A recording left running would keep both shortcuts off and swallow every
    // key press of the program, the popup's included, until the window
    // came back.
    m_recorder->cancel();
    QWidget::hideEvent(event);
}
