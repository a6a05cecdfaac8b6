// SPDX-License-Identifier: MIT
// Test entry: a QApplication on the run's own display (scripts/headless
// provides one), so tests can use the event loop, widgets and X11.
#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("sorvantel-tests"));
    return RUN_ALL_TESTS();
}
