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

std::unique_ptr<TranslucencySupport> TranslucencySupport::createForSession(X11Connection* x11)
{
    if (x11)
        return std::make_unique<X11TranslucencySupport>(*x11);
    return std::make_unique<UnavailableTranslucencySupport>();
}
