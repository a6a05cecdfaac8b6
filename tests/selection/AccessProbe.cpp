// SPDX-License-Identifier: MIT
// Runs requestAccessibility() in a process of its own, on whatever display
// and with whatever programs the test gives it, and prints the result.
#include "PlatformSession.h"
#include "SelectionCapture.h"

#include <QGuiApplication>
#include <cstdio>

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    PlatformSession platform;
    SelectionCapture capture(
        { platform.selectionReader(), platform.clipboard(), platform.keystrokes(), platform.permission() });
    switch (capture.requestAccessibility()) {
    case AccessibilityRequestResult::alreadyTrusted:
        std::puts("alreadyTrusted");
        break;
    case AccessibilityRequestResult::openedSettings:
        std::puts("openedSettings");
        break;
    case AccessibilityRequestResult::couldNotOpenSettings:
        std::puts("couldNotOpenSettings");
        break;
    }
    return 0;
}
