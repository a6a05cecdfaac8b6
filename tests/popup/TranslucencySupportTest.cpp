// SPDX-License-Identifier: MIT
#include "TranslucencySupport.h"
#include "X11Connection.h"

#include <gtest/gtest.h>
#include <string>
// Last: Xlib defines macros (None, Bool, Status) that other headers trip on.
#include <X11/Xlib.h>

namespace {

TEST(TranslucencySupportTest, FollowsTheCompositingManagerOfTheScreen)
{
    const auto x11 = X11Connection::open();
    const std::unique_ptr<TranslucencySupport> support = TranslucencySupport::createForSession(x11.get());
    EXPECT_FALSE(support->isAvailable()) << "a bare Xvfb composites nothing";

    // A compositing manager, played on a connection of its own.
    Display* display = XOpenDisplay(nullptr);
    ASSERT_TRUE(display);
    const std::string name = "_NET_WM_CM_S" + std::to_string(DefaultScreen(display));
    const Atom selection = XInternAtom(display, name.c_str(), False);
    const Window window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0);
    for (const Window owner : { window, Window(None) }) {
        XSetSelectionOwner(display, selection, owner, CurrentTime);
        XSync(display, False);
        EXPECT_EQ(support->isAvailable(), owner != None) << "asked afresh every time";
    }
    XCloseDisplay(display);
}

} // namespace
