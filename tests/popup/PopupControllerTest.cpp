// SPDX-License-Identifier: MIT
// Every popup flow with the real lookup client against a loopback HTTP
// server, on the run's X display: real clicks, keys and X clients.
#include "PopupController.h"
#include "NotificationCenter.h"
#include "PlatformSession.h"
#include "PopupView.h"
#include "TestHttpServer.h"
#include "TranslucencySupport.h"
#include "X11TestTools.h"

#include <QApplication>
#include <QJsonDocument>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QUrlQuery>
#include <QWindow>
#include <gtest/gtest.h>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

using Request = TestHttpServer::Request;
using Response = TestHttpServer::Response;

QByteArray envelope(const QJsonObject& data, const QString& error = {})
{
    const QJsonObject answer = error.isEmpty() ? QJsonObject { { "success", true }, { "data", data } }
                                               : QJsonObject { { "success", false }, { "error", error } };
    return QJsonDocument(answer).toJson(QJsonDocument::Compact);
}

// The backend as the tests want it: translations name their text and
// target, every word has an entry with a recording, rewrites have three
// variants.
Response backend(const Request& request)
{
    if (request.path == "/translate") {
        const QJsonObject body = request.json();
        const QString text = body.value("text").toString();
        const QString target = body.value("target").toString();
        QString translated = QStringLiteral("%1 in %2").arg(text, target);
        if (text == QStringLiteral(u"\u043a\u043e\u0442") && target == QLatin1String("en"))
            translated = QStringLiteral("cat");
        if (text == QLatin1String("cat") && target == QLatin1String("ru"))
            translated = QStringLiteral(u"\u043a\u043e\u0442");
        if (text.startsWith(QLatin1String("long")))
            translated = QStringLiteral("a long answer that wraps over many lines ").repeated(24);
        if (text == QLatin1String("fail"))
            return { 500, envelope({}, "Translation failed") };
        return { 200,
            envelope({ { "text", text }, { "translated", translated }, { "sourceLanguage", "auto" },
                { "targetLanguage", target } }) };
    }
    if (request.path.startsWith("/lookup/")) {
        const QString word = QUrl::fromPercentEncoding(request.path.mid(8));
        return { 200,
            envelope({ { "word", word }, { "accent", request.queryItems().queryItemValue("accent") },
                { "ipa", "/" + word + "/" }, { "definition", "meaning of " + word },
                { "audioUrl", "https://audio.example/" + word + ".mp3?v=1&k=2" },
                { "pageUrl", "https://dictionary.example/" + word } }) };
    }
    if (request.path == "/refine") {
        return { 200,
            envelope({ { "text", request.json().value("text").toString() },
                { "refined", "first variant\n---\nsecond variant\n---\nthird variant" },
                { "model", "m" } }) };
    }
    return { 404, "not here", "text/plain" };
}

// The real player from the built module, with the volume it was asked for.
struct RecordingPlayer : PronunciationPlayer {
    std::unique_ptr<PronunciationPlayer> real = PronunciationPlayer::loadFrom(SORVANTEL_AUDIO_MODULE_DIR);
    std::vector<float>& volumes;
    explicit RecordingPlayer(std::vector<float>& volumes)
        : volumes(volumes)
    {
    }
    void play(const QUrl& source, float volume) override
    {
        volumes.push_back(volume);
        if (real)
            real->play(source, volume);
    }
    void pause() override
    {
        if (real)
            real->pause();
    }
};

struct FakeTranslucency : TranslucencySupport {
    bool available = false;
    bool isAvailable() const override { return available; }
};

class PopupControllerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        settings.setTargetLanguage("ru");
        settings.setAccent("us");
        settings.setAutoPlayPronunciation(false);
        server.answer(backend);
        controller = std::make_unique<PopupController>(PopupController::Services {
            .settings = settings,
            .client = LookupClient(server.url(), std::chrono::seconds(10)),
            .clipboard = platform.clipboard(),
            .keystrokes = platform.keystrokes(),
            .pointerWatch = platform.pointerWatch(),
            .escapeGrab = platform.escapeGrab(),
            .translucency = translucency,
            .notifications = platform.notifications(),
            .pointer = platform.pointer(),
            .pronunciationPlayer = [this] { return std::make_unique<RecordingPlayer>(volumes); },
        });
        QObject::connect(controller.get(), &PopupController::dismissed, [this] { ++dismissals; });
        for (const QString& name : { PopupController::didTranslateSelection,
                 PopupController::didReplaceRefined, PopupController::didOpenQuickTranslate })
            platform.notifications().observe(name, &observer, [this, name] { posted << name; });
    }

    void TearDown() override
    {
        controller.reset();
        QTest::qWait(20);
    }

    PopupModel& model() { return controller->model(); }
    PopupPanel& panel() { return controller->panel(); }

    bool waitLoaded()
    {
        return QTest::qWaitFor([&] { return !model().isLoading(); }, 5000);
    }
    bool waitShown()
    {
        return QTest::qWaitFor([&] { return panel().isVisible(); }, 3000);
    }
    bool waitHidden()
    {
        return QTest::qWaitFor([&] { return !panel().isVisible(); }, 3000);
    }

    QList<QByteArray> paths() const
    {
        QList<QByteArray> result;
        std::ranges::transform(server.requests(), std::back_inserter(result), &Request::path);
        return result;
    }

    template <typename T> T* child(const char* name)
    {
        return controller->view().findChild<T*>(QLatin1String(name));
    }

    void xdotool(const QStringList& arguments)
    {
        ASSERT_EQ(X11TestTools::run("xdotool", arguments).exitCode, 0) << arguments.join(' ').toStdString();
    }

    void clickAt(QPoint at, const char* button = "1")
    {
        xdotool({ "mousemove", QString::number(at.x()), QString::number(at.y()), "click", button });
    }

    PlatformSession platform;
    QTemporaryDir dir;
    AppSettings settings { dir.filePath("settings.json") };
    TestHttpServer server;
    std::unique_ptr<PopupController> controller;
    QObject observer;
    QStringList posted;
    FakeTranslucency translucency;
    int dismissals = 0;
    std::vector<float> volumes; // of every pronunciation played
};

TEST(PopupControllerRules, DictionaryWordTakesOneWordOfLettersOfAnyScript)
{
    // Letters and marks of any script, hyphens and apostrophes; at most 32.
    const std::pair<QString, std::optional<QString>> cases[]
        = { { "  Hello \n", "hello" }, { "don't", "don't" },
              { u"Rock\u2019n\u2019roll"_s, u"rock\u2019n\u2019roll"_s }, { "E-Mail", "e-mail" },
              { u"nai\u0308ve"_s, u"nai\u0308ve"_s }, { u"\u041a\u043e\u0442"_s, u"\u043a\u043e\u0442"_s },
              { u"\u3053\u3093\u306b"_s, u"\u3053\u3093\u306b"_s }, { "ice cream", {} },
              { u"ice\u00a0cream"_s, {} }, { "covid19", {} }, { "hello!", {} }, { "U.S.", {} },
              { u"hi\U0001F600"_s, {} }, { " \t\n", {} }, { QString(32, 'a'), QString(32, 'a') },
              { QString(33, 'a'), {} } };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(PopupController::dictionaryWord(text), expected) << text.toStdString();

    // 32 user-perceived characters of several code units each still qualify.
    QString decorated;
    for (int i = 0; i < 32; ++i)
        decorated += QStringLiteral(u"e\u0301");
    EXPECT_EQ(PopupController::dictionaryWord(decorated), decorated);
    EXPECT_EQ(PopupController::dictionaryWord(decorated + "e"), std::nullopt);
}

TEST_F(PopupControllerTest, OneWordSendsTranslationAndLookupBeforeEitherIsAnswered)
{
    server.hold();
    controller->show("Hello ", PopupMode::translate);
    EXPECT_EQ(posted, QStringList { PopupController::didTranslateSelection });
    EXPECT_TRUE(model().isWordMode());
    ASSERT_TRUE(server.waitForRequests(2));
    // Two connections: either may arrive first.
    const auto& requests = server.requests();
    const int t = requests[0].path == "/translate" ? 0 : 1;
    EXPECT_EQ(requests[t].json(), (QJsonObject { { "text", "Hello " }, { "target", "ru" } }))
        << "as captured";
    EXPECT_EQ(requests[1 - t].path + "?" + requests[1 - t].query, "/lookup/hello?accent=us");

    server.release();
    ASSERT_TRUE(waitLoaded());
    EXPECT_EQ(model().translation().value().translated, "Hello  in ru");
    EXPECT_EQ(model().entry().value().ipa, "/hello/");
}

TEST_F(PopupControllerTest, TheAnswerGrowsThePopupDownward)
{
    xdotool({ "mousemove", "600", "300" });
    controller->show("long answer", PopupMode::translate);
    ASSERT_TRUE(waitShown());
    const QPoint corner(600 - 20, 300 + 24);
    ASSERT_TRUE(QTest::qWaitFor([&] { return panel().pos() == corner; }, 2000));
    const int loadingHeight = panel().height();
    ASSERT_TRUE(waitLoaded());
    ASSERT_TRUE(QTest::qWaitFor([&] { return panel().height() > loadingHeight; }, 2000));
    EXPECT_EQ(panel().pos(), corner) << "the top-left corner stays";
}

TEST_F(PopupControllerTest, ASecondSelectionSupersedesTheFirstWhateverArrivesLater)
{
    server.hold();
    controller->show("first selection", PopupMode::translate);
    ASSERT_TRUE(server.waitForRequests(1));
    controller->show("second selection", PopupMode::translate);
    ASSERT_TRUE(server.waitForRequests(2));
    // The first exchange is abandoned; its late answer must change nothing.
    EXPECT_TRUE(server.waitForAbandonedConnections(1));
    server.release();
    ASSERT_TRUE(waitLoaded());
    QTest::qWait(200);
    EXPECT_EQ(model().translation().value().translated, "second selection in ru");
    EXPECT_FALSE(model().errorMessage()) << "the cancelled load wrote its failure";

    // A failed translation shows its message beside the dictionary entry.
    controller->show("fail", PopupMode::translate);
    EXPECT_TRUE(QTest::qWaitFor([&] { return model().errorMessage() && model().entry(); }));
}

TEST_F(PopupControllerTest, QuickTranslateWaitsForThePauseAndFollowsTheField)
{
    controller->showQuickTranslate();
    EXPECT_EQ(posted, QStringList { PopupController::didOpenQuickTranslate });
    ASSERT_TRUE(waitShown());
    auto* field = child<QPlainTextEdit>("inputField");
    ASSERT_TRUE(QTest::qWaitFor([&] { return field->hasFocus(); }, 2000));

    // Real keystrokes into the focused popup, quicker than the pause.
    xdotool({ "type", "--delay", "60", "abc" });
    ASSERT_TRUE(server.waitForRequests(1));
    QTest::qWait(500);
    ASSERT_EQ(server.requests().size(), 1) << "one request for the whole burst";
    EXPECT_EQ(server.requests()[0].json(), (QJsonObject { { "text", "abc" }, { "target", "en" } }));
    ASSERT_TRUE(waitLoaded());

    xdotool({ "key", "Tab" });
    ASSERT_TRUE(server.waitForRequests(2));
    EXPECT_EQ(server.requests()[1].json().value("target").toString(), "ru");
    EXPECT_EQ(field->toPlainText(), "abc") << "Tab is not typed into the field";
    ASSERT_TRUE(waitLoaded());

    // Clearing the field clears everything, and nothing is asked.
    field->selectAll();
    xdotool({ "key", "BackSpace" });
    ASSERT_TRUE(QTest::qWaitFor([&] { return !model().translation() && !model().isLoading(); }, 2000));
    QTest::qWait(500);
    EXPECT_EQ(server.requests().size(), 2);

    // Reopening starts again at English.
    controller->showQuickTranslate();
    EXPECT_EQ(model().quickTarget(), "en");
}

TEST_F(PopupControllerTest, QuickTranslateLooksUpAOneWordEnglishResultOnly)
{
    settings.setAutoPlayPronunciation(true); // quick-translate entries still never play
    controller->showQuickTranslate();
    ASSERT_TRUE(waitShown());
    model().setSourceText(QStringLiteral(u"\u043a\u043e\u0442"));
    ASSERT_TRUE(server.waitForRequests(2));
    ASSERT_TRUE(waitLoaded());
    EXPECT_EQ(paths(), (QList<QByteArray> { "/translate", "/lookup/cat" }));
    ASSERT_TRUE(model().entry());
    QTest::qWait(300);
    EXPECT_TRUE(volumes.empty()) << "never played";

    // A one-word Russian result is no dictionary entry.
    controller->showQuickTranslate();
    model().setQuickTarget("ru");
    model().setSourceText("cat");
    ASSERT_TRUE(server.waitForRequests(3));
    ASSERT_TRUE(waitLoaded());
    QTest::qWait(300);
    EXPECT_EQ(paths().last(), "/translate");
    EXPECT_EQ(server.requests().size(), 3) << "no lookup for a Russian result";
    EXPECT_FALSE(model().entry());
}

TEST_F(PopupControllerTest, AutoPlayFetchesTheRecordingOnceThroughTheRelay)
{
    settings.setAutoPlayPronunciation(true);
    settings.setPronunciationVolume(0.25);
    controller->show("hello", PopupMode::translate);
    ASSERT_TRUE(QTest::qWaitFor([&] { return paths().contains("/audio"); }, 10000));
    QTest::qWait(500);
    EXPECT_EQ(paths().count("/audio"), 1);
    EXPECT_EQ(server.requests().last().queryItems().queryItemValue("src", QUrl::FullyDecoded),
        "https://audio.example/hello.mp3?v=1&k=2");
    EXPECT_EQ(volumes, std::vector<float> { 0.25f });
}

TEST_F(PopupControllerTest, CopyAndReplaceWriteTheClipboardCloseAndReplacePastes)
{
    controller->show("two words", PopupMode::refine);
    ASSERT_TRUE(waitShown());
    controller->view().onCopy("copied text");
    EXPECT_TRUE(waitHidden());
    EXPECT_EQ(X11TestTools::run("xclip", { "-o", "-selection", "clipboard" }).output, "copied text");
    EXPECT_TRUE(posted.isEmpty()) << "no notification for a rewrite or a copy";

    auto helper = X11TestTools::helper({ "paste" });
    X11TestTools::focus(helper->waitReady());
    controller->show("draft", PopupMode::refine);
    ASSERT_TRUE(waitLoaded());
    ASSERT_TRUE(waitShown());
    QTest::qWait(100);
    auto* row = child<QWidget>("variantRow");
    clickAt(row->mapToGlobal(row->rect().center())); // the popup must not take the focus
    ASSERT_TRUE(waitHidden());
    EXPECT_EQ(dismissals, 2);
    EXPECT_EQ(posted, QStringList { PopupController::didReplaceRefined });
    EXPECT_TRUE(helper->waitPrinted("text first variant", 3000));
}

TEST_F(PopupControllerTest, EscapeClosesBothPopupsAndThenBelongsToTheOtherProgram)
{
    auto helper = X11TestTools::helper({ "paste" });
    X11TestTools::focus(helper->waitReady());
    controller->show("two words", PopupMode::translate);
    ASSERT_TRUE(waitShown());
    // Tab is not a selection popup's.
    xdotool({ "key", "Tab" });
    QTest::qWait(200);
    EXPECT_EQ(model().quickTarget(), "en");
    xdotool({ "key", "Escape" });
    EXPECT_TRUE(waitHidden()) << "a selection popup never has the focus, yet Escape closes it";
    EXPECT_EQ(dismissals, 1);
    EXPECT_FALSE(helper->printed("escape"));
    xdotool({ "key", "Escape" });
    EXPECT_TRUE(helper->waitPrinted("escape", 3000));

    controller->showQuickTranslate();
    ASSERT_TRUE(waitShown());
    ASSERT_TRUE(QTest::qWaitFor([&] { return child<QPlainTextEdit>("inputField")->hasFocus(); }, 2000));
    xdotool({ "key", "Escape" });
    EXPECT_TRUE(waitHidden()) << "quick translate closes on its own Escape";
    EXPECT_EQ(dismissals, 2);
}

TEST_F(PopupControllerTest, TheInputFieldsContextMenuKeepsThePopupOpen)
{
    controller->showQuickTranslate();
    ASSERT_TRUE(waitShown());
    auto* field = child<QPlainTextEdit>("inputField");
    ASSERT_TRUE(QTest::qWaitFor([&] { return field->hasFocus(); }, 2000));
    model().setSourceText("some words");
    clickAt(field->mapToGlobal(field->rect().center()), "3");
    QMenu* menu = nullptr;
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return (menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())); }));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(menu));
    QAction* selectAll = nullptr;
    for (QAction* action : menu->actions())
        if (action->text().contains("Select All"))
            selectAll = action;
    ASSERT_NE(selectAll, nullptr);
    clickAt(menu->mapToGlobal(menu->actionGeometry(selectAll).center()));
    ASSERT_TRUE(QTest::qWaitFor([&] { return field->textCursor().selectedText() == "some words"; }));

    // Escape in an open menu closes the menu only.
    clickAt(field->mapToGlobal(field->rect().center()), "3");
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activePopupWidget(); }));
    xdotool({ "key", "Escape" });
    ASSERT_TRUE(QTest::qWaitFor([&] { return !QApplication::activePopupWidget(); }));
    QTest::qWait(200);
    EXPECT_TRUE(panel().isVisible());
    EXPECT_EQ(dismissals, 0);
}

TEST_F(PopupControllerTest, TranslucencyIsAskedEachTimeAPopupIsShown)
{
    for (const bool composited : { false, true, false }) {
        translucency.available = composited;
        controller->show("two words", PopupMode::translate);
        ASSERT_TRUE(waitShown());
        QTest::qWait(50);
        EXPECT_EQ(controller->view().isTranslucent(), composited);
        EXPECT_EQ(panel().mask().isEmpty(), composited) << "the window is cut to the card only when opaque";
        EXPECT_FALSE(panel().mask().contains(QPoint(0, 0))) << "the rounded corner is cut off";
        EXPECT_EQ(panel().windowHandle()->format().alphaBufferSize(), 8);
    }
}

TEST_F(PopupControllerTest, ASelectionPopupLeavesTheActiveWindowActiveEvenWhenClicked)
{
    QProcess openbox;
    openbox.start("openbox", { "--sm-disable" });
    ASSERT_TRUE(openbox.waitForStarted());
    QTest::qWait(500);
    auto helper = X11TestTools::helper({ "paste" });
    const QString window = QString::number(helper->waitReady());
    xdotool({ "windowactivate", "--sync", window });
    controller->show("two words", PopupMode::translate);
    ASSERT_TRUE(waitShown());
    ASSERT_TRUE(waitLoaded());
    clickAt(panel().frameGeometry().center());
    QTest::qWait(300);
    for (const char* query : { "getactivewindow", "getwindowfocus" })
        EXPECT_EQ(X11TestTools::run("xdotool", { query }).output.trimmed(), window.toUtf8()) << query;
    openbox.terminate();
    openbox.waitForFinished(3000);
}

} // namespace
