// SPDX-License-Identifier: MIT
// sorvantel: the tray program. main is where every long-lived part is made
// and handed to the one that uses it.
#include "AppDelegate.h"
#include "AppSettings.h"
#include "BackendProcess.h"
#include "Clipboard.h"
#include "CommandLine.h"
#include "GeminiKeyStore.h"
#include "HotkeyManager.h"
#include "HotkeyRegistrar.h"
#include "InstanceBus.h"
#include "PlatformSession.h"
#include "PreviousInstance.h"
#include "SelectionCapture.h"
#include "ShortcutRouter.h"
#include "TrayScene.h"
#include "X11Display.h"

#include <QApplication>
#include <QTimer>
#include <cstdio>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace {

// For tests and for running against another backend or feed without a
// rebuild; read here and nowhere else.
QUrl overridable(const char* variable, const QUrl& builtIn)
{
    const QByteArray value = qgetenv(variable);
    return value.isEmpty() ? builtIn : QUrl(QString::fromUtf8(value));
}

// Everything of the program but its tray icon, in the order it is built;
// torn down in reverse before the application object goes.
struct Program {
    Program(const QUrl& serverUrl, const QUrl& feedUrl)
        : hotkeys(platform.createHotkeyRegistrar())
        , capture({ platform.selectionReader(), platform.clipboard(), platform.keystrokes(),
              platform.permission() })
        , delegate({
              settings,
              hotkeys,
              *keys,
              platform,
              capture,
              std::make_unique<PopupController>(PopupController::Services {
                  settings,
                  LookupClient(serverUrl),
                  platform.clipboard(),
                  platform.keystrokes(),
                  platform.pointerWatch(),
                  platform.escapeGrab(),
                  platform.translucency(),
                  platform.notifications(),
                  platform.pointer(),
              }),
              std::make_unique<Updater>(
                  feedUrl, QVersionNumber::fromString(QStringLiteral(SORVANTEL_VERSION))),
          })
    {
    }

    // Every service of the desktop, once: one clipboard for the capture's
    // restore and the popup's copy and replace, so that whatever we own at
    // quit is handed to the clipboard manager.
    PlatformSession platform;
    AppSettings settings { AppSettings::defaultFilePath() };
    HotkeyManager hotkeys;
    const std::unique_ptr<GeminiKeyStore> keys = GeminiKeyStore::createKeychainStore();
    SelectionCapture capture;
    AppDelegate delegate;
};

} // namespace

int main(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const CommandLine commandLine = CommandLine::parse(arguments);
    switch (commandLine.outcome) {
    case CommandLine::Outcome::help: {
        // The help text names the program as it was called, which takes an application object.
        QCoreApplication helpOnly(argc, argv);
        std::printf("%s", qPrintable(CommandLine::parse(arguments).message));
        return 0;
    }
    case CommandLine::Outcome::version:
        std::printf("sorvantel %s\n", SORVANTEL_VERSION);
        return 0;
    case CommandLine::Outcome::error:
        std::fprintf(stderr, "sorvantel: %s (see --help)\n", qPrintable(commandLine.message));
        return 2;
    case CommandLine::Outcome::run:
        break;
    }

    // Shortcuts, selections and keystrokes all go through an X server; Qt's
    // own X11 platform would abort without one.
    if (!X11Display::canConnect()) {
        std::fprintf(stderr,
            "sorvantel: no X11 display could be opened (DISPLAY=%s); Sorvantel needs an X11 session or "
            "XWayland\n",
            qgetenv("DISPLAY").isEmpty() ? "<unset>" : qgetenv("DISPLAY").constData());
        return 1;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Sorvantel"));
    QApplication::setApplicationVersion(QStringLiteral(SORVANTEL_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("org.sorvantel.Sorvantel"));
    // A tray program: closing a window never ends it.
    QApplication::setQuitOnLastWindowClosed(false);

    // A relaunch: the program being replaced still holds the bus name until it ends.
    if (const auto previous = PreviousInstance::pidToWaitFor(arguments))
        PreviousInstance::waitForExit(*previous);

    InstanceBus bus;
    switch (bus.claim()) {
    case InstanceBus::Claim::taken: {
        const QString error = InstanceBus::forward(commandLine.verb);
        if (error.isEmpty())
            return 0;
        std::fprintf(stderr, "sorvantel: the running Sorvantel did not answer: %s\n", qPrintable(error));
        return 1;
    }
    case InstanceBus::Claim::noBus:
        qWarning("Sorvantel: no session bus; running without the one-instance check and the command-line "
                 "verbs");
        break;
    case InstanceBus::Claim::owned:
        break;
    }
    if (commandLine.verb == CommandLine::Verb::quit)
        return 0; // nothing was running

    const QUrl serverUrl = overridable("SORVANTEL_SERVER_URL", AppSettings::defaultServerURL());
    const QUrl feedUrl
        = overridable("SORVANTEL_UPDATE_FEED_URL", QUrl(QStringLiteral(SORVANTEL_UPDATE_FEED_URL)));

    BackendProcess backend(serverUrl);

    // The tray icon first: it is what the user waits for. The rest is built
    // once the icon is on screen; what the user or another launch asks for
    // before then is carried out as soon as the delegate has launched.
    QPointer<AppDelegate> delegateRef;
    std::vector<std::function<void(AppDelegate&)>> waiting;
    auto whenLaunched = [&delegateRef, &waiting](std::function<void(AppDelegate&)> request) {
        if (delegateRef)
            request(*delegateRef);
        else
            waiting.push_back(std::move(request));
    };
    TrayScene tray({
        [&whenLaunched] { whenLaunched([](AppDelegate& delegate) { delegate.checkForUpdates(); }); },
        [&whenLaunched] { whenLaunched([](AppDelegate& delegate) { delegate.showSettings(); }); },
        [] { QCoreApplication::exit(0); },
    });
    ShortcutRouter shortcuts(tray.shortcutActions());

    if (commandLine.verb != CommandLine::Verb::none)
        whenLaunched([verb = commandLine.verb](AppDelegate& delegate) { delegate.perform(verb); });
    QObject::connect(&bus, &InstanceBus::verbReceived, &tray, [&whenLaunched](CommandLine::Verb verb) {
        if (verb == CommandLine::Verb::quit)
            QCoreApplication::exit(0); // whatever is still being built
        else
            whenLaunched([verb](AppDelegate& delegate) { delegate.perform(verb); });
    });

    std::unique_ptr<Program> program;
    QObject::connect(&tray, &TrayScene::iconShown, &tray, [&] {
        backend.startIfNeeded();
        program = std::make_unique<Program>(serverUrl, feedUrl);
        delegateRef = &program->delegate;
        program->delegate.applicationDidFinishLaunching();
        for (const auto& request : std::exchange(waiting, {}))
            request(program->delegate);
    });

    const int status = app.exec();
    // A launch right after this one must find the name free, not hand its
    // request to a program on its way out.
    bus.release();
    if (program)
        program->platform.clipboard().handOverToManager();
    program.reset();
    backend.stop();
    return status;
}
