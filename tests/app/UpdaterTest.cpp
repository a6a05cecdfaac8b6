// SPDX-License-Identifier: MIT
// The update check against a feed on loopback, and the command line.
#include "Updater.h"
#include "CommandLine.h"
#include "TestHttpServer.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {

QWidget* updateDialog()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == QLatin1String("updateDialog"))
            return widget;
    }
    return nullptr;
}

QString shownHeadline()
{
    QWidget* dialog = updateDialog();
    return dialog && dialog->isVisible() ? dialog->findChild<QLabel*>("headline")->text() : QString();
}

TEST(Updater, showsEachOutcomeOfTheUserCheck)
{
    const QByteArray newer
        = R"({"version":"0.9.1","notes":"Faster.","downloadPage":"https://example.org/get"})";
    struct Case {
        const char* name;
        int status;
        QByteArray body;
        const char* headline;
        bool offersDownload;
    } cases[] = {
        { "newer", 200, newer, "A new version of Sorvantel is available!", true },
        { "same", 200, R"({"version":"0.9","downloadPage":"https://example.org/"})", "You’re up to date!",
            false },
        { "older", 200, R"({"version":"0.8.7","downloadPage":"https://example.org/"})", "You’re up to date!",
            false },
        { "not a feed", 200, "<html>", "Sorvantel could not check for updates.", false },
        { "page not https", 200, R"({"version":"1.0","downloadPage":"file:///etc/passwd"})",
            "Sorvantel could not check for updates.", false },
        { "server error", 500, "{}", "Sorvantel could not check for updates.", false },
        { "too large", 200, QByteArray(UpdateFeed::maxBytes + 1, ' ') + newer,
            "Sorvantel could not check for updates.", false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestHttpServer feed;
        feed.answer(TestHttpServer::Response { c.status, c.body });
        Updater updater(feed.url(), QVersionNumber(0, 9));
        updater.checkForUpdates();
        EXPECT_EQ(shownHeadline(), QStringLiteral("Checking for updates…"));
        EXPECT_TRUE(
            QTest::qWaitFor([&] { return shownHeadline() != QStringLiteral("Checking for updates…"); }));
        EXPECT_EQ(shownHeadline(), QString::fromUtf8(c.headline));
        EXPECT_EQ(updateDialog()->findChild<QPushButton*>("downloadButton")->isVisible(), c.offersDownload);
    }
}

TEST(Updater, backgroundCheckSpeaksOnlyOfANewerVersionAndNoFeedChecksNothing)
{
    TestHttpServer feed;
    feed.answer(
        TestHttpServer::Response { 200, R"({"version":"0.9","downloadPage":"https://example.org/"})" });
    {
        Updater updater(feed.url(), QVersionNumber(0, 9));
        updater.checkForUpdatesInBackground();
        ASSERT_TRUE(feed.waitForRequests(1));
        QTest::qWait(50);
        EXPECT_EQ(updateDialog(), nullptr);
    }
    Updater updater(QUrl(), QVersionNumber(0, 9));
    updater.checkForUpdatesInBackground();
    updater.checkForUpdates();
    EXPECT_EQ(shownHeadline(), QStringLiteral("Updates come from your package manager."));
    QTest::qWait(50);
    EXPECT_EQ(feed.requests().size(), 1);
}

TEST(CommandLine, takesOneVerbAndRefusesTheRest)
{
    using V = CommandLine::Verb;
    using O = CommandLine::Outcome;
    struct Case {
        QStringList arguments;
        O outcome;
        V verb;
    } cases[] = {
        { {}, O::run, V::none },
        { { "--translate" }, O::run, V::translate },
        { { "--quick-translate" }, O::run, V::quickTranslate },
        { { "--settings" }, O::run, V::settings },
        { { "--translate", "--quit" }, O::error, V::translate },
        { { "--frobnicate" }, O::error, V::none },
        { { "word" }, O::error, V::none },
    };
    for (const Case& c : cases) {
        const CommandLine parsed = CommandLine::parse(QStringList { "sorvantel" } + c.arguments);
        EXPECT_EQ(parsed.outcome, c.outcome) << c.arguments.join(' ').toStdString();
        if (c.outcome == O::run) {
            EXPECT_EQ(parsed.verb, c.verb) << c.arguments.join(' ').toStdString();
        }
    }
    for (const V verb : { V::translate, V::refine, V::quickTranslate, V::settings, V::quit })
        EXPECT_EQ(CommandLine::verbFromName(CommandLine::verbName(verb)), verb);
}

} // namespace
