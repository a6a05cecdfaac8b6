// SPDX-License-Identifier: MIT
#include "GlobalPointerWatch.h"

#include "X11Connection.h"
#include "X11GlobalPointerWatch.h"
#include "XWaylandPointerWatch.h"

namespace {

class UnavailableGlobalPointerWatch final : public GlobalPointerWatch {
public:
    bool start(Handler) override { return false; }
    void stop() override { }
};

} // namespace

std::unique_ptr<GlobalPointerWatch> GlobalPointerWatch::createForSession(X11Connection* x11, bool wayland)
{
    if (x11 && wayland)
        return std::make_unique<XWaylandPointerWatch>(*x11);
    if (x11)
        return std::make_unique<X11GlobalPointerWatch>(*x11);
    return std::make_unique<UnavailableGlobalPointerWatch>();
}
