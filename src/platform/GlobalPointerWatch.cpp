// SPDX-License-Identifier: MIT
#include "GlobalPointerWatch.h"

#include "X11Connection.h"
#include "X11GlobalPointerWatch.h"

namespace {

class UnavailableGlobalPointerWatch final : public GlobalPointerWatch {
public:
    bool start(Handler) override { return false; }
    void stop() override { }
};

} // namespace

std::unique_ptr<GlobalPointerWatch> GlobalPointerWatch::createForSession()
{
    if (X11Connection* connection = X11Connection::shared())
        return std::make_unique<X11GlobalPointerWatch>(*connection);
    return std::make_unique<UnavailableGlobalPointerWatch>();
}
