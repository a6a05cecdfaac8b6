// SPDX-License-Identifier: MIT
#include "TranslucencySupport.h"

#include "X11Connection.h"
#include "X11TranslucencySupport.h"

namespace {

class UnavailableTranslucencySupport final : public TranslucencySupport {
public:
    bool isAvailable() const override { return false; }
};

} // namespace

std::unique_ptr<TranslucencySupport> TranslucencySupport::createForSession()
{
    if (X11Connection* connection = X11Connection::shared())
        return std::make_unique<X11TranslucencySupport>(*connection);
    return std::make_unique<UnavailableTranslucencySupport>();
}
