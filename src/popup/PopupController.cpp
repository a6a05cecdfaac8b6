// SPDX-License-Identifier: MIT
#include "PopupController.h"

#include "Clipboard.h"
#include "EscapeGrab.h"
#include "GlobalPointerWatch.h"
#include "KeystrokeSender.h"
#include "NotificationCenter.h"
#include "PointerLocator.h"
#include "PopupGeometry.h"
#include "PopupText.h"
#include "PopupView.h"
#include "TranslucencySupport.h"
#include "X11Display.h"

#include <QCoroTimer>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <utility>

namespace {

constexpr qsizetype kMaxDictionaryWordLength = 32;

} // namespace

PopupController::PopupController(Services services)
    : m_settings(services.settings)
    , m_client(std::move(services.client))
    , m_clipboard(services.clipboard)
    , m_keystrokes(services.keystrokes)
    , m_translucency(services.translucency)
    , m_notifications(services.notifications)
    , m_pointer(services.pointer)
    , m_model(new PopupModel(this))
    , m_makePlayer(std::move(services.pronunciationPlayer))
    , m_dismissMonitors(&m_panel, services.pointerWatch, services.escapeGrab)
{
    // Every callback reaches the controller through a weak reference.
    QPointer<PopupController> self(this);
    m_view = new PopupView(
        m_model,
        [self] {
            if (self)
                self->playAudio();
        },
        [self](const QString& text) {
            if (self)
                self->copy(text);
        },
        [self](const QString& text) {
            if (self)
                self->replaceSelection(text);
        },
        [self](const QString& text) {
            if (self)
                self->quickTranslateInput(text);
        },
        [self] {
            if (self)
                self->toggleQuickTarget();
        });
    m_view->hostIn(&m_panel, m_translucency.isAvailable());
    m_panel.setContent(m_view);
    connect(
        &m_panel, &PopupPanel::resized, this, &PopupController::clampToVisibleFrame, Qt::QueuedConnection);
}

PopupController::~PopupController()
{
    cancelLoad();
    removeDismissMonitors();
}

std::optional<QString> PopupController::dictionaryWord(const QString& text)
{
    const QString word = text.trimmed();
    if (word.isEmpty() || PopupText::graphemeCount(word) > kMaxDictionaryWordLength)
        return std::nullopt;
    for (const char32_t c : word.toUcs4()) {
        if (QChar::isSpace(c))
            return std::nullopt; // more than one word
        const bool letterOrMark = QChar::isLetter(c) || QChar::isMark(c);
        if (!letterOrMark && c != U'-' && c != U'\'' && c != U'\u2019')
            return std::nullopt;
    }
    return word.toLower();
}

// ---- Flows ------------------------------------------------------------------

void PopupController::show(const QString& text, PopupMode mode)
{
    std::optional<QString> word;
    if (mode == PopupMode::translate) {
        word = dictionaryWord(text);
        m_model->reset(text, PopupMode::translate, word.has_value());
        m_notifications.post(didTranslateSelection);
    } else {
        m_model->reset(text, mode, false);
    }

    // After the current event, so the view already shows the reset model.
    // The requests leave after the map request: setting them up, and the
    // backend working on them, would otherwise hold the popup up.
    const std::shared_ptr<Cancellation> token = startLoad();
    QTimer::singleShot(0, this, [this, text, word, mode, token] {
        present(false);
        if (token->isCancelled())
            return;
        if (mode == PopupMode::translate)
            load(text, word, token);
        else
            loadRefinement(text, token);
    });
}

void PopupController::showQuickTranslate()
{
    cancelLoad();
    m_model->reset(QString(), PopupMode::quickTranslate, false);
    m_model->setIsLoading(false);
    m_model->setQuickTarget(QStringLiteral("en"));
    m_model->setFocusToken(m_model->focusToken() + 1);
    m_notifications.post(didOpenQuickTranslate);

    QTimer::singleShot(0, this, [this] { present(true); });
}

void PopupController::present(bool takeFocus)
{
    m_view->setTranslucent(m_translucency.isAvailable());
    fit();
    placeNewPopup();
    m_panel.present(takeFocus);
    // The map request leaves now: installing the monitors waits on the X
    // server twice, and until the event loop runs Qt would hold it back.
    X11Display::flushQt();
    installDismissMonitors();
}

std::shared_ptr<Cancellation> PopupController::startLoad()
{
    cancelLoad();
    m_loadTask = Cancellation::create();
    return m_loadTask;
}

void PopupController::cancelLoad()
{
    if (m_loadTask)
        m_loadTask->cancel();
}

QCoro::Task<> PopupController::load(
    QString text, std::optional<QString> word, std::shared_ptr<Cancellation> token)
{
    QPointer<PopupController> self(this);
    const QString target = m_settings.targetLanguage();
    const QString accent = m_settings.accent();

    // Both requests leave before either is awaited.
    QCoro::Task<LookupResult<TranslationResult>> translation = m_client.translate(text, target, token);
    std::optional<QCoro::Task<LookupResult<DictionaryEntry>>> lookup;
    if (word)
        lookup.emplace(m_client.lookup(*word, accent, token));

    const LookupResult<TranslationResult> translated = co_await std::move(translation);
    if (!self || token->isCancelled())
        co_return;
    if (translated)
        m_model->setTranslation(*translated);
    else
        m_model->setErrorMessage(translated.error().message());

    if (!lookup) {
        m_model->setIsLoading(false);
        resizeToFitContent();
        co_return;
    }

    const LookupResult<DictionaryEntry> entry = co_await std::move(*lookup);
    if (!self || token->isCancelled())
        co_return;
    m_model->setEntry(entry ? std::optional(*entry) : std::nullopt);
    m_model->setIsLoading(false);
    if (m_model->entry() && m_model->entry()->audioUrl && m_settings.autoPlayPronunciation())
        resizeToFitContent([this] { playAudio(); });
    else
        resizeToFitContent();
}

QCoro::Task<> PopupController::loadRefinement(QString text, std::shared_ptr<Cancellation> token)
{
    QPointer<PopupController> self(this);
    const QString prompt = m_settings.refinePrompt();
    const LookupResult<RefineResult> result = co_await m_client.refine(text, prompt, token);
    if (!self || token->isCancelled())
        co_return;
    if (result)
        m_model->setRefined(result->refined);
    else
        m_model->setErrorMessage(result.error().message());
    m_model->setIsLoading(false);
    resizeToFitContent();
}

void PopupController::quickTranslateInput(const QString& text)
{
    if (m_model->mode() != PopupMode::quickTranslate)
        return;
    cancelLoad();
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty()) {
        m_model->setTranslation(std::nullopt);
        m_model->setEntry(std::nullopt);
        m_model->setErrorMessage(std::nullopt);
        m_model->setIsLoading(false);
        resizeToFitContent();
        return;
    }
    // The previous result stays on screen until the new one replaces it.
    m_model->setIsLoading(true);
    resizeToFitContent();
    waitThenTranslate(trimmed, startLoad());
}

QCoro::Task<> PopupController::waitThenTranslate(QString text, std::shared_ptr<Cancellation> token)
{
    QPointer<PopupController> self(this);
    // Only an input left alone for the pause reaches the service.
    co_await QCoro::sleepFor(quickTranslatePause);
    if (!self || token->isCancelled())
        co_return;
    co_await loadQuickTranslation(text, token);
}

QCoro::Task<> PopupController::loadQuickTranslation(QString text, std::shared_ptr<Cancellation> token)
{
    QPointer<PopupController> self(this);
    const QString target = m_model->quickTarget();
    const LookupResult<TranslationResult> result = co_await m_client.translate(text, target, token);
    if (!self || token->isCancelled())
        co_return;
    if (!result) {
        m_model->setTranslation(std::nullopt);
        m_model->setEntry(std::nullopt);
        m_model->setErrorMessage(result.error().message());
        m_model->setIsLoading(false);
        resizeToFitContent();
        co_return;
    }
    m_model->setTranslation(*result);
    m_model->setErrorMessage(std::nullopt);

    std::optional<DictionaryEntry> entry;
    if (target == QLatin1String("en")) {
        if (const std::optional<QString> word = dictionaryWord(result->translated)) {
            const LookupResult<DictionaryEntry> found
                = co_await m_client.lookup(*word, m_settings.accent(), token);
            if (!self || token->isCancelled())
                co_return;
            if (found)
                entry = *found;
        }
    }
    // A quick-translate entry is never played on its own.
    m_model->setEntry(entry);
    m_model->setIsLoading(false);
    resizeToFitContent();
}

void PopupController::toggleQuickTarget()
{
    if (m_model->mode() != PopupMode::quickTranslate)
        return;
    m_model->setQuickTarget(
        m_model->quickTarget() == QLatin1String("en") ? QStringLiteral("ru") : QStringLiteral("en"));
    quickTranslateInput(m_model->sourceText());
}

void PopupController::playAudio()
{
    const std::optional<DictionaryEntry>& entry = m_model->entry();
    if (!entry || !entry->audioUrl)
        return;
    const std::optional<QUrl> url = m_client.audioProxyURL(*entry->audioUrl);
    if (!url)
        return;
    // Made on first use, so that a program that never plays never loads the
    // media framework; a module that failed to load is not tried again.
    if (m_makePlayer)
        m_player = std::exchange(m_makePlayer, nullptr)();
    if (m_player)
        m_player->play(*url, float(m_settings.pronunciationVolume()));
}

void PopupController::copy(const QString& text)
{
    m_clipboard.setText(text);
    dismiss();
}

void PopupController::replaceSelection(const QString& text)
{
    // The clipboard keeps the variant afterwards; the earlier contents are
    // not restored.
    m_clipboard.setText(text);
    m_notifications.post(didReplaceRefined);
    dismiss();
    // Sent to whichever window has the focus: the popup never took it, so
    // that is the application the selection came from. The sender itself
    // waits until no key is held.
    QTimer::singleShot(pasteDelay, this, [this] { m_keystrokes.sendPaste([](bool) {}); });
}

void PopupController::dismiss()
{
    cancelLoad();
    if (m_player)
        m_player->pause();
    removeDismissMonitors();
    const bool wasOpen = m_panel.isVisible();
    m_panel.hide();
    if (wasOpen)
        emit dismissed();
}

// ---- Window -----------------------------------------------------------------

void PopupController::fit()
{
    m_panel.fitToContent();
}

void PopupController::placeNewPopup()
{
    std::vector<PopupGeometry::Screen> screens;
    for (QScreen* screen : QGuiApplication::screens()) // the primary one first
        screens.push_back({ screen->geometry(), screen->availableGeometry() });
    const PointerLocator::Reading reading = m_pointer.read();
    const bool fresh
        = PopupGeometry::pointerIsFresh(reading.pointer, reading.pointerIsLive, m_previousPointer);
    m_previousPointer = reading.pointer;
    m_panel.move(PopupGeometry::initialPosition(
        reading.pointer, fresh, reading.focusedWindow, m_panel.size(), screens));
}

std::optional<QRect> PopupController::availableArea() const
{
    QScreen* screen = m_panel.screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return std::nullopt;
    return screen->availableGeometry();
}

void PopupController::clampToVisibleFrame()
{
    if (!m_panel.isVisible())
        return;
    const std::optional<QRect> available = availableArea();
    if (!available)
        return;
    const QPoint origin = PopupGeometry::clampedToAvailable(m_panel.frameGeometry(), *available);
    if (origin != m_panel.pos())
        m_panel.move(origin);
}

void PopupController::resizeToFitContent(std::function<void()> then)
{
    // On the next turn, once the model change has reached the view.
    QTimer::singleShot(0, this, [this, then = std::move(then)] {
        if (!m_panel.isVisible())
            return;
        // The top-left corner stays: the popup grows or shrinks downward,
        // then is pushed back inside the screen.
        m_panel.setGeometry(PopupGeometry::refitted(m_panel.geometry(), m_view->sizeHint(), availableArea()));
        if (then) {
            // Setting up a media player holds this thread for tens of
            // milliseconds: the result goes on screen before it.
            m_panel.repaint();
            then();
        }
    });
}

void PopupController::installDismissMonitors()
{
    QPointer<PopupController> self(this);
    m_dismissMonitors.install({
                                  [self] {
                                      if (self)
                                          self->dismiss();
                                  },
                                  [self] {
                                      if (!self || self->m_model->mode() != PopupMode::quickTranslate)
                                          return false;
                                      self->toggleQuickTarget();
                                      return true;
                                  },
                              },
        m_model->mode() == PopupMode::quickTranslate);
}

void PopupController::removeDismissMonitors()
{
    m_dismissMonitors.remove();
}
