// SPDX-License-Identifier: MIT
#include "PointerLocator.h"

#include "X11ClientIdentity.h"
#include "X11Connection.h"

#include <QCursor>
#include <QGuiApplication>
#include <X11/Xlib.h>

namespace {

class SessionPointerLocator final : public PointerLocator {
public:
    explicit SessionPointerLocator(X11Connection* xwayland)
        : m_xwayland(xwayland)
    {
    }

    Reading read() const override
    {
        Reading reading { QCursor::pos(), true, std::nullopt };
        if (m_xwayland) {
            reading.focusedWindow = focusedX11Window();
            reading.pointerIsLive = reading.focusedWindow.has_value();
        }
        return reading;
    }

private:
    std::optional<QRect> focusedX11Window() const
    {
        const unsigned long window = X11ClientIdentity::managedActiveWindow(*m_xwayland);
        if (!window)
            return std::nullopt;
        Display* display = m_xwayland->display();
        std::optional<QRect> frame;
        m_xwayland->trapErrors([&] {
            XWindowAttributes attributes {};
            Window child = None;
            int x = 0;
            int y = 0;
            if (XGetWindowAttributes(display, window, &attributes)
                && XTranslateCoordinates(display, window, m_xwayland->rootWindow(), 0, 0, &x, &y, &child)) {
                // X speaks in device pixels, Qt's screens in device-independent ones.
                const qreal ratio = qApp ? qApp->devicePixelRatio() : 1.0;
                frame = QRect(QPoint(x, y) / ratio, QSize(attributes.width, attributes.height) / ratio);
            }
        });
        return frame;
    }

    X11Connection* m_xwayland;
};

} // namespace

std::unique_ptr<PointerLocator> PointerLocator::createForSession(X11Connection* x11, bool wayland)
{
    return std::make_unique<SessionPointerLocator>(wayland ? x11 : nullptr);
}
