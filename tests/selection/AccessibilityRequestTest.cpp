// SPDX-License-Identifier: MIT
// requestAccessibility() in a process on an X server without XTEST, where the
// program cannot work and says so. The browser is a stand-in xdg-open that
// writes down what it was asked to open.
#include "SelectionCapture.h"
#include "X11TestTools.h"

#include <QFile>
#include <QProcessEnvironment>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <gtest/gtest.h>

using namespace X11TestTools;

namespace {

// A folder holding an xdg-open that appends its argument to `opened`.
struct StandInBrowser {
    QTemporaryDir folder;
    QString opened() const { return folder.filePath("opened"); }

    StandInBrowser()
    {
        QFile script(folder.filePath("xdg-open"));
        script.open(QIODevice::WriteOnly);
        // Absolute paths only: the test may leave nothing else on PATH.
        script.write("#!/bin/sh\nprintf '%s\\n' \"$1\" >> '" + opened().toUtf8() + "'\n");
        script.close();
        script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    QList<QByteArray> requests() const
    {
        QFile file(opened());
        if (!file.open(QIODevice::ReadOnly))
            return {};
        QList<QByteArray> lines = file.readAll().split('\n');
        lines.removeAll(QByteArray());
        return lines;
    }
};

TEST(AccessibilityRequestTest, WithoutXtestThePageIsOpenedOrTheFailureReported)
{
    QProcess server;
    const auto stopServer = qScopeGuard([&server] {
        server.terminate();
        server.waitForFinished(5000);
    });
    server.start("Xvfb", { "-displayfd", "1", "-nolisten", "tcp", "-extension", "XTEST" });
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.canReadLine(); }, 10000)) << "Xvfb started";
    const QString display = ':' + QString::fromLatin1(server.readLine().trimmed());

    StandInBrowser browser;
    QTemporaryDir nothing;
    auto probe = [&](const QString& path) {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("DISPLAY", display);
        environment.insert("QT_QPA_PLATFORM", "xcb");
        environment.insert("PATH", path);
        for (const char* name : { "BROWSER", "DEFAULT_BROWSER", "XDG_CURRENT_DESKTOP", "DESKTOP_SESSION" })
            environment.remove(name);
        process.setProcessEnvironment(environment);
        process.start(SORVANTEL_ACCESS_PROBE);
        process.waitForFinished(10000);
        return process.readAllStandardOutput().trimmed();
    };

    EXPECT_EQ(probe(browser.folder.path()), "openedSettings");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !browser.requests().isEmpty(); }, 5000));
    const QUrl page(QString::fromUtf8(browser.requests().first()));
    ASSERT_TRUE(page.isLocalFile()) << page.toString().toStdString();
    QFile file(page.toLocalFile());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().contains("<h1>What Sorvantel needs from your desktop</h1>"));

    EXPECT_EQ(probe(nothing.path()), "couldNotOpenSettings") << "no program to open the page with";
}

} // namespace
