// SPDX-License-Identifier: MIT
// Wayland sessions on compositors nested in the run's display
// (tests/support/nested-compositor): a Wayland-native Qt line edit holds the
// highlight and takes the paste; xdotool types into the compositor's window.
#include "PasteHintSender.h"
#include "X11TestTools.h"
#include "wayland/DataControlDevice.h"
#include "wayland/VirtualKeyboardSender.h"
#include "wayland/WaylandClipboard.h"
#include "wayland/WaylandConnection.h"
#include "wayland/WaylandSelectionReader.h"

#include <QDBusConnection>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

using X11TestTools::run;

// One compositor for one test; skips the test when it cannot start here.
class NestedCompositor {
public:
    explicit NestedCompositor(const QString& name)
    {
        m_process.start(SORVANTEL_NESTED_COMPOSITOR, { name });
        QByteArray said;
        (void)QTest::qWaitFor(
            [&] {
                said += m_process.readAllStandardOutput();
                return said.contains("\nDISPLAY=") && said.endsWith('\n');
            },
            30000);
        for (const QByteArray& line : said.split('\n')) {
            if (line.startsWith("WAYLAND_DISPLAY="))
                wayland = QString::fromUtf8(line.mid(16));
            if (line.startsWith("DISPLAY="))
                xwayland = QString::fromUtf8(line.mid(8)).section(' ', 0, 0);
        }
        whyNot = QString::fromUtf8(m_process.readAllStandardError());
    }
    ~NestedCompositor()
    {
        m_process.terminate();
        m_process.waitForFinished(10000);
    }
    bool started() const { return !wayland.isEmpty(); }

    QString wayland, xwayland, whyNot;

private:
    QProcess m_process;
};

// Keys and text typed into the compositor's window on the outer display (the
// only window there, at its origin), which hands them to the focused
// Wayland surface.
void type(const QStringList& arguments)
{
    run("xdotool", { "mousemove", "600", "400" });
    const QByteArray where = run("xdotool", { "getmouselocation", "--shell" }).output;
    run("xdotool",
        { "windowfocus", "--sync", QString::fromUtf8(where.mid(where.indexOf("WINDOW=") + 7).trimmed()) });
    run("xdotool", arguments);
}

// The line edit of the clipboard helper, native on the nested compositor.
std::unique_ptr<X11TestTools::Client> waylandLineEdit(const QString& wayland)
{
    qputenv("WAYLAND_DISPLAY", wayland.toUtf8());
    qputenv("QT_QPA_PLATFORM", "wayland");
    auto helper = X11TestTools::helper({ "paste" });
    qunsetenv("QT_QPA_PLATFORM");
    helper->waitReady();
    return helper;
}

// Types a word into the line edit and highlights it from the keyboard,
// which makes it the primary selection. False when the compositor never
// gave the line edit the keys: the test's own set-up failed, before any of
// our code ran (nested weston now and then keeps the focus elsewhere).
bool highlightWord(X11TestTools::Client& lineEdit)
{
    // The compositor may map and focus the window a moment after Qt is
    // ready: typed again (over what arrived) until the line edit has it all.
    for (int attempt = 0; attempt < 4 && !lineEdit.printed("text serendipity"); ++attempt) {
        type({ "key", "ctrl+a", "BackSpace" });
        type({ "type", "--delay", "20", "serendipity" });
        (void)lineEdit.waitPrinted("text serendipity", 3000);
    }
    if (!lineEdit.printed("text serendipity"))
        return false;
    type({ "key", "shift+Home" });
    return true;
}

constexpr const char* kNoKeys = "the nested compositor gave the line edit no keys; nothing was highlighted";

TEST(WaylandPlatform, swayReadsTheHighlightAndPastesIntoAWaylandProgram)
{
    NestedCompositor sway("sway");
    if (!sway.started())
        GTEST_SKIP() << sway.whyNot.toStdString();
    auto lineEdit = waylandLineEdit(sway.wayland);
    const auto connection = WaylandConnection::open();
    ASSERT_TRUE(connection);
    const auto dataControl = DataControlDevice::open(*connection);
    ASSERT_TRUE(dataControl);
    WaylandSelectionReader reader(dataControl.get(), nullptr);
    EXPECT_EQ(reader.holder(SelectionReader::Selection::primary), SelectionReader::Holder::nobody);

    if (!highlightWord(*lineEdit))
        GTEST_SKIP() << kNoKeys;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return reader.holder(SelectionReader::Selection::primary)
                == SelectionReader::Holder::activeProgram;
        },
        3000));
    EXPECT_EQ(reader.readTextNow(SelectionReader::Selection::primary), u"serendipity"_qs);

    // The clipboard set through data-control reaches the Wayland program,
    // and reading it back does not wait on this process's own offer.
    WaylandClipboard clipboard(*dataControl, nullptr);
    clipboard.setText(u"fortunate accident"_qs);
    std::optional<QString> own;
    bool read = false;
    clipboard.readText([&](std::optional<QString> text) { own = text, read = true; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return read; }, 2000));
    EXPECT_EQ(own, u"fortunate accident"_qs);
    const auto keyboard = VirtualKeyboardSender::open(*connection);
    ASSERT_TRUE(keyboard);
    bool sent = false;
    keyboard->sendPaste([&](bool ok) { sent = ok; });
    EXPECT_TRUE(QTest::qWaitFor([&] { return sent; }, 2000));
    EXPECT_TRUE(lineEdit->waitPrinted("text fortunate accident", 3000));
    qunsetenv("WAYLAND_DISPLAY");
}

// The desktop's notification service, on the run's session bus.
class NotificationsStandIn : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public slots:
    uint Notify(const QString&, uint, const QString&, const QString& summary, const QString& body,
        const QStringList&, const QVariantMap&, int)
    {
        shown << summary + body;
        return 1;
    }

public:
    QStringList shown;
};

TEST(WaylandPlatform, WithoutAVirtualKeyboardThePasteBecomesANotification)
{
    NotificationsStandIn notifications;
    QDBusConnection bus = QDBusConnection::sessionBus();
    ASSERT_TRUE(bus.registerService("org.freedesktop.Notifications"));
    bus.registerObject("/org/freedesktop/Notifications", &notifications, QDBusConnection::ExportAllSlots);
    PasteHintSender sender;
    std::optional<bool> sent;
    sender.sendPaste([&](bool ok) { sent = ok; });
    EXPECT_TRUE(QTest::qWaitFor([&] { return !notifications.shown.isEmpty() && sent; }, 3000));
    EXPECT_EQ(notifications.shown, QStringList { "Copied — press Ctrl+V to replace" });
    EXPECT_EQ(sent, false) << "nothing was typed";
    bus.unregisterService("org.freedesktop.Notifications");
}

quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

// The real program as an X11 client of the compositor's XWayland, with the
// real server: what a shortcut bound to `sorvantel --translate` does, or on
// KWin the translate shortcut itself.
struct ProgramCase {
    const char* compositor;
    bool readsHighlight; // otherwise the highlight is not reachable and quick translate opens
    bool pressesShortcut = false; // Alt+T through KDE's shortcut service instead of the verb
};

void PrintTo(const ProgramCase& c, std::ostream* out)
{
    *out << c.compositor;
}

class WaylandProgram : public ::testing::TestWithParam<ProgramCase> { };

TEST_P(WaylandProgram, translateReadsTheHighlightOrOpensQuickTranslate)
{
    NestedCompositor compositor(GetParam().compositor);
    if (!compositor.started())
        GTEST_SKIP() << compositor.whyNot.toStdString();
    QTemporaryDir home;
    QDir(home.path()).mkpath("config/sorvantel");
    QFile settings(home.filePath("config/sorvantel/settings.json"));
    ASSERT_TRUE(settings.open(QIODevice::WriteOnly));
    settings.write(R"({"hasCompletedOnboarding": {"type": "bool", "value": true}})");
    settings.close();
    const quint16 port = freePort();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_CONFIG_HOME", home.filePath("config"));
    env.insert("XDG_DATA_HOME", home.filePath("data"));
    env.insert("XDG_CACHE_HOME", home.filePath("cache"));
    env.insert("SORVANTEL_SERVER_URL", QString("http://127.0.0.1:%1/").arg(port));
    env.insert("WAYLAND_DISPLAY", compositor.wayland);
    env.insert("DISPLAY", compositor.xwayland);
    QProcess server, program;
    server.start(SORVANTEL_SERVER_BINARY, { "--port", QString::number(port), "--verbose" });
    program.setProcessEnvironment(env);
    program.setProcessChannelMode(QProcess::ForwardedChannels);
    program.start(SORVANTEL_BINARY, {});
    ASSERT_TRUE(QTest::qWaitFor(
        [] {
            return run("dbus-send",
                { "--session", "--print-reply", "--dest=org.freedesktop.DBus", "/org/freedesktop/DBus",
                    "org.freedesktop.DBus.NameHasOwner", "string:org.sorvantel.Sorvantel" })
                .output.contains("true");
        },
        15000));
    auto translate = [&] {
        QProcess verb;
        verb.setProcessEnvironment(env);
        verb.start(SORVANTEL_BINARY, { "--translate" });
        return verb.waitForFinished(10000) && verb.exitCode() == 0;
    };
    auto popupShown = [&] {
        const QString found = QString::fromUtf8(run("env",
            { "DISPLAY=" + compositor.xwayland, "xdotool", "search", "--onlyvisible", "--pid",
                QString::number(program.processId()) })
                                                    .output);
        return !found.trimmed().isEmpty();
    };

    auto lineEdit = waylandLineEdit(compositor.wayland);
    if (!highlightWord(*lineEdit))
        GTEST_SKIP() << kNoKeys;
    if (GetParam().pressesShortcut)
        type({ "key", "alt+t" });
    else
        ASSERT_TRUE(translate());
    ASSERT_TRUE(QTest::qWaitFor(popupShown, 5000));
    QByteArray log;
    const bool lookedUp = QTest::qWaitFor(
        [&] {
            log += server.readAllStandardError();
            // Only a word read from the selection is looked up; quick translate waits for typing.
            return log.contains("GET /lookup");
        },
        GetParam().readsHighlight ? 10000 : 1500);
    EXPECT_EQ(lookedUp, GetParam().readsHighlight) << log.toStdString();
    qunsetenv("WAYLAND_DISPLAY");
    for (QProcess* process : { &program, &server }) {
        process->terminate();
        process->waitForFinished(5000);
    }
}

INSTANTIATE_TEST_SUITE_P(Compositors, WaylandProgram,
    ::testing::Values(ProgramCase { "sway", true }, ProgramCase { "weston", false },
        ProgramCase { "mutter", true }, ProgramCase { "kwin", true, true }),
    [](const auto& info) { return std::string(info.param.compositor); });

} // namespace

#include "WaylandSessionTest.moc"
