// SPDX-License-Identifier: MIT
// Renders the onboarding window's steps and states to PNG files, for a
// person to look at. Run through scripts/screenshots, which provides a
// display.
//
//   onboarding_screenshots OUTPUT_FOLDER
#include "AccessibilityPermission.h"
#include "AnimatedValue.h"
#include "AppSettings.h"
#include "Clipboard.h"
#include "DesktopShortcutGuide.h"
#include "FeatureCard.h"
#include "NotificationCenter.h"
#include "OnboardingView.h"
#include "PopupController.h"
#include "ProcessRelauncher.h"
#include "ScreenshotFolder.h"
#include "TutorialRow.h"

#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <functional>

namespace {

struct FixedPermission : AccessibilityPermission {
    bool trusted;
    explicit FixedPermission(bool trusted)
        : trusted(trusted)
    {
    }
    bool isTrusted() const override { return trusted; }
};

struct Setup {
    bool trusted = true;
    bool hasKey = false;
    bool gnomeWayland = false; // the shortcut guide of a GNOME Wayland session
};

struct State {
    const char* file;
    Setup setup;
    // Brings the shown view into the state; false when it cannot.
    std::function<bool(OnboardingView&, NotificationCenter&)> prepare;
};

void next(OnboardingView& view, int times)
{
    for (int i = 0; i < times; ++i)
        view.findChild<QPushButton*>("primaryButton")->click();
}

bool hoverCard(OnboardingView& view, int index, int pausedAtMs)
{
    QList<FeatureCard*> cards = view.findChildren<FeatureCard*>();
    if (index >= cards.size())
        return false;
    FeatureCard* card = cards[index];
    QCursor::setPos(card->mapToGlobal(card->rect().center()));
    if (!QTest::qWaitFor([card] { return card->isHovering(); }, 2000))
        return false;
    if (pausedAtMs >= 0) {
        card->hoverAnimation()->pause();
        card->hoverAnimation()->setCurrentTime(pausedAtMs);
    } else {
        QTest::qWait(card->hoverAnimation()->duration() + 100);
    }
    return true;
}

bool hoverRow(OnboardingView& view, const char* name)
{
    auto* row = view.findChild<TutorialRow*>(QLatin1String(name));
    QCursor::setPos(row->mapToGlobal(QPoint(row->width() / 2, 8)));
    return QTest::qWaitFor([row] { return row->isHovering(); }, 2000);
}

const std::vector<State>& states()
{
    static const std::vector<State> list = {
        { "01-welcome", {}, [](OnboardingView&, NotificationCenter&) { return true; } },
        { "02-welcome-card-hovered", {},
            [](OnboardingView& view, NotificationCenter&) { return hoverCard(view, 0, -1); } },
        { "03-welcome-card-mid-animation", {},
            [](OnboardingView& view, NotificationCenter&) { return hoverCard(view, 1, 110); } },
        { "04-welcome-quick-type-hovered", {},
            [](OnboardingView& view, NotificationCenter&) { return hoverCard(view, 2, -1); } },
        { "05-permission-granted", {},
            [](OnboardingView& view, NotificationCenter&) {
                next(view, 1);
                return true;
            } },
        { "05b-permission-gnome-wayland", { true, false, true },
            [](OnboardingView& view, NotificationCenter&) {
                next(view, 1);
                return true;
            } },
        { "06-permission-missing-relaunch-failed", { false },
            [](OnboardingView& view, NotificationCenter&) {
                next(view, 1);
                view.findChild<QPushButton*>("allowButton")->click();
                view.findChild<QPushButton*>("relaunchButton")->click();
                return true;
            } },
        { "07-language", {},
            [](OnboardingView& view, NotificationCenter&) {
                next(view, 2);
                return true;
            } },
        { "08-tutorial-locked", {},
            [](OnboardingView& view, NotificationCenter&) {
                next(view, 3);
                return true;
            } },
        { "09-tutorial-locked-hovered", {},
            [](OnboardingView& view, NotificationCenter&) {
                next(view, 3);
                return hoverRow(view, "refineRow");
            } },
        { "10-tutorial-key-entry", {},
            [](OnboardingView& view, NotificationCenter&) {
                next(view, 3);
                if (!hoverRow(view, "refineRow"))
                    return false;
                view.findChild<TutorialRow*>("refineRow")->findChild<QPushButton*>("addKeyButton")->click();
                return true;
            } },
        { "11-tutorial-unlocked-two-done", { true, true },
            [](OnboardingView& view, NotificationCenter& notifications) {
                next(view, 3);
                notifications.post(PopupController::didTranslateSelection);
                notifications.post(PopupController::didOpenQuickTranslate);
                return true;
            } },
        { "12-tutorial-all-done", { true, true },
            [](OnboardingView& view, NotificationCenter& notifications) {
                next(view, 3);
                for (const QString& name : { PopupController::didTranslateSelection,
                         PopupController::didOpenQuickTranslate, PopupController::didReplaceRefined })
                    notifications.post(name);
                return true;
            } },
    };
    return list;
}

bool render(const State& state, const QDir& folder)
{
    QTemporaryDir settingsFolder;
    AppSettings settings(settingsFolder.filePath("settings.json"));
    NotificationCenter notifications;
    OnboardingView::Services services;
    services.settings = &settings;
    services.notifications = &notifications;
    FixedPermission permission(state.setup.trusted);
    services.permission = &permission;
    const std::unique_ptr<Clipboard> clipboard = Clipboard::createForSession();
    services.clipboard = clipboard.get();
    services.requestAccessibility = [] { return AccessibilityRequestResult::couldNotOpenSettings; };
    const bool hasKey = state.setup.hasKey;
    services.keyStore = { [hasKey] { return hasKey; }, [](const QString&) { return true; } };
    services.relauncher = std::make_unique<ProcessRelauncher>(QStringLiteral("/nonexistent/sorvantel"));
    services.quit = [] {};
    const DesktopShortcutGuide guide = DesktopShortcutGuide::forCompositor(DisplaySession::Compositor::gnome);
    if (state.setup.gnomeWayland)
        services.shortcutGuide = &guide;
    OnboardingView view(std::move(services), [] {});
    view.setWindowTitle(QStringLiteral("Welcome to Sorvantel"));
    view.move(100, 100);
    QCursor::setPos(0, 0);
    view.show();
    if (!QTest::qWaitForWindowExposed(&view)) {
        std::fprintf(stderr, "onboarding_screenshots: the window of %s was never shown\n", state.file);
        return false;
    }
    if (!state.prepare(view, notifications)) {
        std::fprintf(stderr, "onboarding_screenshots: could not prepare %s\n", state.file);
        return false;
    }
    QTest::qWait(state.setup.hasKey ? 700 : 250);

    const QString path = folder.filePath(QString::fromLatin1(state.file) + QStringLiteral(".png"));
    if (!view.grab().save(path)) {
        std::fprintf(stderr, "onboarding_screenshots: cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const std::optional<QDir> output = screenshotFolder(argc, argv, "onboarding_screenshots");
    if (!output)
        return 1;
    const QDir& folder = *output;
    bool ok = true;
    for (const State& state : states())
        ok = render(state, folder) && ok;
    return ok ? 0 : 1;
}
