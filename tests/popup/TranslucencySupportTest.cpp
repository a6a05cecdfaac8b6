// SPDX-License-Identifier: MIT
#include "TranslucencySupport.h"

#include <gtest/gtest.h>
#include <string>
// Last: Xlib defines macros (None, Bool, Status) that other headers trip on.
#include <X11/Xlib.h>

namespace {

// Plays the part of a compositing manager on a connection of its own.
class FakeCompositor {
public:
    FakeCompositor()
        : m_display(XOpenDisplay(nullptr))
    {
        if (!m_display)
            return;
        const std::string name = "_NET_WM_CM_S" + std::to_string(DefaultScreen(m_display));
        m_selection = XInternAtom(m_display, name.c_str(), False);
        m_window = XCreateSimpleWindow(m_display, DefaultRootWindow(m_display), 0, 0, 1, 1, 0, 0, 0);
    }
    ~FakeCompositor()
    {
        if (m_display)
            XCloseDisplay(m_display);
    }

    bool connected() const { return m_display; }
    void start() { own(m_window); }
    void stop() { own(None); }

private:
    void own(Window owner)
    {
        XSetSelectionOwner(m_display, m_selection, owner, CurrentTime);
        XSync(m_display, False);
    }

    Display* m_display;
    Atom m_selection = None;
    Window m_window = None;
};

TEST(TranslucencySupportTest, FollowsTheCompositingManagerOfTheScreen)
{
    const std::unique_ptr<TranslucencySupport> support = TranslucencySupport::createForSession();
    EXPECT_FALSE(support->isAvailable()) << "a bare Xvfb composites nothing";

    FakeCompositor compositor;
    ASSERT_TRUE(compositor.connected());
    compositor.start();
    EXPECT_TRUE(support->isAvailable());
    compositor.stop();
    EXPECT_FALSE(support->isAvailable()) << "asked afresh every time";
}

} // namespace
