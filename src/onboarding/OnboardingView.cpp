// SPDX-License-Identifier: MIT
#include "OnboardingView.h"

#include "AccessibilityPermission.h"
#include "AppSettings.h"
#include "Appearance.h"
#include "CardFrame.h"
#include "FeatureCard.h"
#include "GeminiKeyManager.h"
#include "Language.h"
#include "NotificationCenter.h"
#include "OnboardingStyle.h"
#include "PageHeader.h"
#include "PopupController.h"
#include "ProgressDots.h"
#include "Relauncher.h"
#include "ShortcutGuideView.h"
#include "Symbols.h"
#include "TutorialRow.h"
#include "TutorialSample.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QStackedWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace {

using OnboardingStyle::ButtonStyle;
using OnboardingStyle::ControlSize;
using Step = OnboardingView::Step;

constexpr int kPadding = 28;
constexpr std::chrono::milliseconds kTrustPollInterval { 1000 };

QLabel* label(const QString& text, Appearance::TextStyle style, QWidget* parent,
    Appearance::Emphasis emphasis = Appearance::Emphasis::primary)
{
    auto* result = new QLabel(text, parent);
    result->setFont(Appearance::font(style));
    result->setWordWrap(true);
    if (emphasis != Appearance::Emphasis::primary) {
        QPalette colors = result->palette();
        colors.setColor(QPalette::WindowText, Appearance::foreground(emphasis, parent->palette()));
        result->setPalette(colors);
    }
    return result;
}

QPushButton* button(
    const QString& text, const char* name, ButtonStyle style, ControlSize size, QWidget* parent)
{
    auto* result = new QPushButton(text, parent);
    result->setObjectName(QLatin1String(name));
    OnboardingStyle::styleButton(result, style, size);
    return result;
}

QPixmap symbol(const QString& name, qreal size, const QColor& color, const QWidget* widget)
{
    return Symbols::pixmap(name, Appearance::symbolPixels(size), color, widget->devicePixelRatioF());
}

// The permission symbol in its two colours: white on a blue disc.
QPixmap permissionBadge(const QWidget* widget)
{
    const int size = Appearance::symbolPixels(28);
    const qreal ratio = widget->devicePixelRatioF();
    QPixmap badge(QSize(size, size) * ratio);
    badge.setDevicePixelRatio(ratio);
    badge.fill(Qt::transparent);
    QPainter painter(&badge);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x1f, 0x7a, 0xf2));
    painter.drawEllipse(QRectF(0, 0, size, size));
    painter.drawPixmap(0, 0, Symbols::pixmap(QStringLiteral("accessibility"), size, Qt::white, ratio));
    return badge;
}

QVBoxLayout* pageColumn(QWidget* page, int spacing)
{
    auto* column = new QVBoxLayout(page);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(spacing);
    return column;
}

bool savedAndReadBack(const QString& key)
{
    // The store reports nothing itself; what reads back is what was stored.
    GeminiKeyManager::save(key);
    return GeminiKeyManager::read() == key;
}

} // namespace

OnboardingView::OnboardingView(Services services, std::function<void()> finish, QWidget* parent)
    : QWidget(parent)
    , onFinish(std::move(finish))
    , m_services(std::move(services))
    , m_settings(m_services.settings)
    , m_languageCode(Language::systemDefault())
    , m_trustPoll(new QTimer(this))
{
    Q_ASSERT(m_services.settings && m_services.notifications && m_services.clipboard && m_services.permission
        && m_services.requestAccessibility);
    if (!m_services.keyStore.hasKey)
        m_services.keyStore.hasKey = &GeminiKeyManager::hasKey;
    if (!m_services.keyStore.save)
        m_services.keyStore.save = &savedAndReadBack;
    if (!m_services.relauncher)
        m_services.relauncher = Relauncher::createForProcess();
    if (!m_services.quit)
        m_services.quit = &QCoreApplication::quit;

    m_isTrusted = m_services.permission->isTrusted();
    m_hasGeminiKey = m_services.keyStore.hasKey();

    setObjectName(QStringLiteral("onboardingView"));
    setFixedSize(fixedSize);

    m_pages = new QStackedWidget(this);
    m_pages->addWidget(buildWelcomePage());
    m_pages->addWidget(buildAccessibilityPage());
    m_pages->addWidget(buildLanguagePage());
    m_pages->addWidget(buildTutorialPage());

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(kPadding, kPadding, kPadding, kPadding);
    column->setSpacing(0);
    column->addWidget(m_pages, 1);
    column->addSpacing(16);
    column->addWidget(buildBottomBar());

    // The popup's notifications tick the tutorial, but only while it shows.
    const std::pair<const QString*, std::pair<bool*, TutorialRow*>> ticks[] = {
        { &PopupController::didTranslateSelection, { &m_didTranslate, m_translateRow } },
        { &PopupController::didReplaceRefined, { &m_didRefine, m_refineRow } },
        { &PopupController::didOpenQuickTranslate, { &m_didQuickTranslate, m_quickTranslateRow } },
    };
    for (const auto& [name, target] : ticks) {
        m_services.notifications->observe(
            *name, this, [this, flag = target.first, row = target.second] { markDone(*flag, row); });
    }

    m_trustPoll->setInterval(kTrustPollInterval);
    connect(m_trustPoll, &QTimer::timeout, this, &OnboardingView::recheckTrust);

    setStep(Step::welcome);
}

OnboardingView::~OnboardingView() = default;

QString OnboardingView::refineSample(const QString& languageCode)
{
    static const std::pair<const char*, const char16_t*> samples[] = {
        { "ru", u"мне нужно fix этот text, он написан very плохо" },
        { "uk", u"мені треба fix цей text, він написаний very погано" },
        { "es", u"necesito fix este texto, está escrito very mal" },
        { "de", u"ich muss diesen text fixen, er ist very schlecht geschrieben" },
        { "fr", u"je dois fix ce texte, il est écrit very mal" },
    };
    for (const auto& [code, sample] : samples) {
        if (languageCode == QLatin1String(code))
            return QString::fromUtf16(sample);
    }
    return QStringLiteral("i has wrote this sentense very fast, plz make it more better");
}

QWidget* OnboardingView::buildWelcomePage()
{
    auto* page = new QWidget(this);
    auto* column = pageColumn(page, 0);
    auto* header = new PageHeader(QString(), QStringLiteral("Welcome to Sorvantel"),
        QStringLiteral("Instant translation and rewriting for any text you select — in any app, right where "
                       "you're working."),
        page);
    // The cards reserve room above themselves for their flying chips.
    header->setBottomPadding(24 + 12 - FeatureCard::overflow.top());
    column->addWidget(header);

    const QString translateKey = m_settings->hotkey().displayLabel();
    const QString refineKey = m_settings->refineHotkey().displayLabel();
    auto* cards = new QHBoxLayout;
    cards->setContentsMargins(-FeatureCard::overflow.left(), 0, -FeatureCard::overflow.right(), 0);
    cards->setSpacing(10 - FeatureCard::overflow.left() - FeatureCard::overflow.right());
    cards->addWidget(new FeatureCard(FeatureCard::Scene::translate, translateKey, QStringLiteral("Translate"),
                         QStringLiteral("Any selection, in a popup at your cursor"), page),
        1, Qt::AlignTop);
    cards->addWidget(new FeatureCard(FeatureCard::Scene::refine, refineKey, QStringLiteral("Refine"),
                         QStringLiteral("Rewrite drafts into natural English"), page),
        1, Qt::AlignTop);
    cards->addWidget(
        new FeatureCard(FeatureCard::Scene::quickType, translateKey, QStringLiteral("Type to translate"),
            QStringLiteral("Nothing selected? Just start typing"), page),
        1, Qt::AlignTop);
    column->addLayout(cards);
    column->addStretch();
    return page;
}

QWidget* OnboardingView::buildAccessibilityPage()
{
    auto* page = new QWidget(this);
    auto* column = pageColumn(page, 12);
    // A Wayland session has no permission to grant: the step says what the
    // desktop offers instead, and never holds the user back.
    const DesktopShortcutGuide* guide = m_services.shortcutGuide;
    column->addWidget(new PageHeader(QStringLiteral("accessibility"), QStringLiteral("Enable Sorvantel"),
        guide
            ? QStringLiteral(
                "On a Wayland desktop there is nothing to grant: Sorvantel reads the selected text "
                "where the desktop allows it.")
            : QStringLiteral("Sorvantel needs this permission to read the text you select. On Linux, an X11 "
                             "desktop session grants it."),
        page));

    auto* card = new CardFrame(page);
    auto* row = new QHBoxLayout(card);
    row->setContentsMargins(16, 16, 16, 16);
    row->setSpacing(14);
    auto* badge = new QLabel(card);
    badge->setPixmap(permissionBadge(this));
    row->addWidget(badge, 0, Qt::AlignVCenter);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(2);
    texts->addWidget(label(QStringLiteral("Selection access"), Appearance::TextStyle::headline, card));
    texts->addWidget(label(QStringLiteral("Allows Sorvantel to read the selected text"),
        Appearance::TextStyle::callout, card, Appearance::Emphasis::secondary));
    row->addLayout(texts, 1);
    m_trustedMark = new QLabel(card);
    m_trustedMark->setObjectName(QStringLiteral("trustedMark"));
    m_trustedMark->setPixmap(
        symbol(QStringLiteral("checkmark.circle.fill"), 22, OnboardingStyle::green(palette()), this));
    row->addWidget(m_trustedMark, 0, Qt::AlignVCenter);
    m_allow
        = button(QStringLiteral("Allow"), "allowButton", ButtonStyle::prominent, ControlSize::regular, card);
    connect(m_allow, &QPushButton::clicked, this, &OnboardingView::allow);
    row->addWidget(m_allow, 0, Qt::AlignVCenter);
    column->addWidget(card);
    if (guide)
        column->addWidget(new ShortcutGuideView(*guide, page));

    m_settingsError
        = label(QStringLiteral("Log in to an X11 session (pick one on the login screen), then start "
                               "Sorvantel again."),
            Appearance::TextStyle::caption, page);
    m_settingsError->setObjectName(QStringLiteral("settingsError"));
    m_settingsError->setAlignment(Qt::AlignCenter);
    m_settingsError->setStyleSheet(QStringLiteral("color: %1;").arg(Appearance::red(palette()).name()));
    m_settingsError->setContentsMargins(0, 12, 0, 0);
    column->addWidget(m_settingsError);

    m_relaunchHint = new QWidget(page);
    m_relaunchHint->setObjectName(QStringLiteral("relaunchHint"));
    auto* hint = pageColumn(m_relaunchHint, 6);
    hint->setContentsMargins(0, 12, 0, 0);
    auto* question = label(QStringLiteral("Switched to an X11 session but the checkmark doesn't appear?"),
        Appearance::TextStyle::caption, m_relaunchHint, Appearance::Emphasis::secondary);
    question->setAlignment(Qt::AlignCenter);
    hint->addWidget(question);
    auto* relaunchButton = button(QStringLiteral("Relaunch Sorvantel"), "relaunchButton",
        ButtonStyle::bordered, ControlSize::small, m_relaunchHint);
    connect(relaunchButton, &QPushButton::clicked, this, &OnboardingView::relaunch);
    hint->addWidget(relaunchButton, 0, Qt::AlignHCenter);
    m_relaunchError = label(QStringLiteral("Sorvantel could not be started again, so this one keeps running. "
                                           "Quit it from its tray menu and start it yourself."),
        Appearance::TextStyle::caption, m_relaunchHint);
    m_relaunchError->setObjectName(QStringLiteral("relaunchError"));
    m_relaunchError->setAlignment(Qt::AlignCenter);
    m_relaunchError->setStyleSheet(QStringLiteral("color: %1;").arg(Appearance::red(palette()).name()));
    hint->addWidget(m_relaunchError);
    column->addWidget(m_relaunchHint);
    column->addStretch();
    return page;
}

QWidget* OnboardingView::buildLanguagePage()
{
    auto* page = new QWidget(this);
    auto* column = pageColumn(page, 12);
    column->addWidget(new PageHeader(QStringLiteral("globe"), QStringLiteral("Pick your language"),
        QStringLiteral("Translations will be shown in this language. You can change it anytime in Settings."),
        page));
    auto* card = new CardFrame(page);
    auto* row = new QHBoxLayout(card);
    row->setContentsMargins(16, 16, 16, 16);
    row->addWidget(label(QStringLiteral("Translate to"), Appearance::TextStyle::headline, card));
    row->addStretch();
    m_languagePicker = new QComboBox(card);
    m_languagePicker->setObjectName(QStringLiteral("languagePicker"));
    m_languagePicker->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    m_languagePicker->setAccessibleName(QStringLiteral("Translate to"));
    for (const Language& language : Language::all())
        m_languagePicker->addItem(language.name, language.code);
    m_languagePicker->setCurrentIndex(std::max(0, m_languagePicker->findData(m_languageCode)));
    connect(m_languagePicker, &QComboBox::currentIndexChanged, this,
        [this](int index) { m_languageCode = m_languagePicker->itemData(index).toString(); });
    row->addWidget(m_languagePicker);
    column->addWidget(card);
    column->addStretch();
    return page;
}

QWidget* OnboardingView::buildTutorialPage()
{
    auto* page = new QWidget(this);
    auto* column = pageColumn(page, 0);
    auto* intro = new QVBoxLayout;
    intro->setSpacing(6);
    intro->setContentsMargins(0, 0, 0, 16);
    auto* title = new QLabel(QStringLiteral("Try it now"), page);
    title->setFont(Appearance::systemFont(24, QFont::Bold));
    title->setAlignment(Qt::AlignCenter);
    intro->addWidget(title);
    auto* subtitle = label(QStringLiteral("Three quick moves and you know the whole app."),
        Appearance::TextStyle::body, page, Appearance::Emphasis::secondary);
    subtitle->setAlignment(Qt::AlignCenter);
    intro->addWidget(subtitle);
    column->addLayout(intro);

    const QString translateKey = m_settings->hotkey().displayLabel();
    const QString refineKey = m_settings->refineHotkey().displayLabel();
    auto* rows = new QVBoxLayout;
    rows->setSpacing(8);
    auto* translateSample = new TutorialSample(QStringLiteral("serendipity"), true, *m_services.clipboard);
    translateSample->setObjectName(QStringLiteral("translateSample"));
    m_translateRow = new TutorialRow(QStringLiteral("Translate a word"), translateKey,
        QStringLiteral("Select the word below, press the shortcut."), translateSample, page);
    m_translateRow->setObjectName(QStringLiteral("translateRow"));
    m_quickTranslateRow = new TutorialRow(QStringLiteral("Type to translate"), translateKey,
        QStringLiteral("Click your desktop — nothing selected — press the shortcut, type any word."), nullptr,
        page);
    m_quickTranslateRow->setObjectName(QStringLiteral("quickTranslateRow"));
    m_refineSampleView = new TutorialSample(QString(), false, *m_services.clipboard);
    m_refineSampleView->setObjectName(QStringLiteral("refineSample"));
    connect(m_refineSampleView, &TutorialSample::textEdited, this,
        [this](const QString& text) { m_refineSample = text; });
    m_refineRow = new TutorialRow(QStringLiteral("Fix a rough draft"), refineKey,
        QStringLiteral("Select the draft below, press the shortcut, click a variant to replace it."),
        m_refineSampleView, page);
    m_refineRow->setObjectName(QStringLiteral("refineRow"));
    m_refineRow->setLocked(!m_hasGeminiKey);
    m_refineRow->onUnlock = [this](const QString& key) { unlockRefine(key); };
    rows->addWidget(m_translateRow);
    rows->addWidget(m_quickTranslateRow);
    rows->addWidget(m_refineRow);
    column->addLayout(rows);
    column->addStretch();
    return page;
}

QWidget* OnboardingView::buildBottomBar()
{
    auto* bar = new QWidget(this);
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(4, 0, 4, 0);
    row->setSpacing(0);
    m_back = button(QStringLiteral("Back"), "backButton", ButtonStyle::plain, ControlSize::large, bar);
    connect(m_back, &QPushButton::clicked, this, &OnboardingView::goBack);
    row->addWidget(m_back);
    row->addStretch();
    m_dots = new ProgressDots(4, bar);
    row->addWidget(m_dots);
    row->addStretch();
    m_primary = button(QString(), "primaryButton", ButtonStyle::prominent, ControlSize::large, bar);
    connect(m_primary, &QPushButton::clicked, this, &OnboardingView::goForward);
    row->addWidget(m_primary);
    m_skip = button(QStringLiteral("Skip"), "skipButton", ButtonStyle::plain, ControlSize::large, bar);
    connect(m_skip, &QPushButton::clicked, this, &OnboardingView::finish);
    row->addWidget(m_skip);
    row->addSpacing(12);
    m_finish
        = button(QStringLiteral("Finish"), "finishButton", ButtonStyle::prominent, ControlSize::large, bar);
    connect(m_finish, &QPushButton::clicked, this, &OnboardingView::finish);
    row->addWidget(m_finish);
    // The back button's room stays when it is hidden, so the dots stay put.
    QSizePolicy keep = m_back->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    m_back->setSizePolicy(keep);
    return bar;
}

void OnboardingView::setStep(Step step)
{
    m_step = step;
    m_pages->setCurrentIndex(int(step));
    if (step == Step::tutorial && m_refineSample.isEmpty())
        setRefineSample(refineSample(m_languageCode));
    updateControls();
}

void OnboardingView::goBack()
{
    if (m_step != Step::welcome)
        setStep(Step(int(m_step) - 1));
}

void OnboardingView::goForward()
{
    switch (m_step) {
    case Step::welcome:
        setStep(Step::accessibility);
        return;
    case Step::accessibility:
        if (m_isTrusted)
            setStep(Step::language);
        return;
    case Step::language:
        m_settings->setTargetLanguage(m_languageCode);
        setRefineSample(refineSample(m_languageCode));
        setStep(Step::tutorial);
        return;
    case Step::tutorial:
        return;
    }
}

void OnboardingView::recheckTrust()
{
    const bool trusted = m_services.permission->isTrusted();
    if (trusted == m_isTrusted && !(trusted && m_accessibilitySettingsError))
        return;
    m_isTrusted = trusted;
    if (trusted)
        m_accessibilitySettingsError = false;
    updateControls();
}

void OnboardingView::allow()
{
    m_requestedAccessibility = true;
    switch (m_services.requestAccessibility()) {
    case AccessibilityRequestResult::alreadyTrusted:
        m_isTrusted = true;
        m_accessibilitySettingsError = false;
        break;
    case AccessibilityRequestResult::openedSettings:
        m_accessibilitySettingsError = false;
        break;
    case AccessibilityRequestResult::couldNotOpenSettings:
        m_accessibilitySettingsError = true;
        break;
    }
    updateControls();
}

void OnboardingView::relaunch()
{
    if (!m_services.relauncher->startNewInstance()) {
        // Quitting now would leave the user with no program at all.
        m_relaunchFailed = true;
        updateControls();
        return;
    }
    QTimer::singleShot(0, this, [this] { m_services.quit(); });
}

void OnboardingView::unlockRefine(const QString& key)
{
    if (!m_services.keyStore.save(key)) {
        m_refineRow->setKeyMessage(
            QStringLiteral("The key could not be stored. Unlock your keyring, then add it again."));
        return;
    }
    m_hasGeminiKey = true;
    m_refineRow->setLocked(false);
}

void OnboardingView::setRefineSample(const QString& text)
{
    m_refineSample = text;
    m_refineSampleView->setText(text);
}

void OnboardingView::markDone(bool& flag, TutorialRow* row)
{
    if (m_step != Step::tutorial || flag)
        return;
    flag = true;
    row->setDone(true);
    updateControls();
}

void OnboardingView::finish()
{
    if (m_finished)
        return;
    m_finished = true;
    m_settings->setTargetLanguage(m_languageCode);
    m_settings->setHasCompletedOnboarding(true);
    if (onFinish)
        onFinish();
}

void OnboardingView::updateControls()
{
    m_back->setVisible(m_step != Step::welcome);
    m_dots->setCurrent(int(m_step));
    const bool tutorial = m_step == Step::tutorial;
    m_primary->setVisible(!tutorial);
    m_primary->setText(m_step == Step::welcome ? QStringLiteral("Get Started") : QStringLiteral("Continue"));
    m_primary->setEnabled(m_step != Step::accessibility || m_isTrusted);
    m_skip->setVisible(tutorial && !allTutorialStepsDone());
    m_finish->setVisible(tutorial);
    m_finish->setEnabled(allTutorialStepsDone());

    m_trustedMark->setVisible(m_isTrusted);
    m_allow->setVisible(!m_isTrusted);
    m_settingsError->setVisible(m_accessibilitySettingsError && !m_isTrusted);
    m_relaunchHint->setVisible(m_requestedAccessibility && !m_isTrusted);
    m_relaunchError->setVisible(m_relaunchFailed);
}

void OnboardingView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!m_trustPoll->isActive())
        m_trustPoll->start();
}

void OnboardingView::keyPressEvent(QKeyEvent* event)
{
    if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter) {
        QWidget::keyPressEvent(event);
        return;
    }
    QPushButton* primary = m_step == Step::tutorial ? m_finish : m_primary;
    if (primary->isVisible() && primary->isEnabled())
        primary->click();
}
