// SPDX-License-Identifier: MIT
#include "KeystrokeSender.h"

#include "X11Connection.h"
#include "X11KeystrokeSender.h"

#include <QTimer>

namespace {

class UnavailableKeystrokeSender final : public KeystrokeSender {
public:
    bool sendsCopy() const override { return false; }
    void sendCopy(SentHandler handler) override { refuse(std::move(handler)); }
    void sendPaste(SentHandler handler) override { refuse(std::move(handler)); }

private:
    static void refuse(SentHandler handler)
    {
        QTimer::singleShot(0, [handler = std::move(handler)] { handler(false); });
    }
};

} // namespace

std::unique_ptr<KeystrokeSender> KeystrokeSender::createForSession(X11Connection* x11)
{
    if (x11 && X11KeystrokeSender::isAvailable(*x11))
        return std::make_unique<X11KeystrokeSender>(*x11);
    return std::make_unique<UnavailableKeystrokeSender>();
}
