// SPDX-License-Identifier: MIT
#include "KeystrokeSender.h"

#include "X11Connection.h"
#include "X11KeystrokeSender.h"

#include <QTimer>

namespace {

class UnavailableKeystrokeSender final : public KeystrokeSender {
public:
    void sendCopy(SentHandler handler) override { refuse(std::move(handler)); }
    void sendPaste(SentHandler handler) override { refuse(std::move(handler)); }

private:
    static void refuse(SentHandler handler)
    {
        QTimer::singleShot(0, [handler = std::move(handler)] { handler(false); });
    }
};

} // namespace

KeystrokeSender& KeystrokeSender::shared()
{
    static std::unique_ptr<KeystrokeSender> sender = createForSession();
    return *sender;
}

std::unique_ptr<KeystrokeSender> KeystrokeSender::createForSession()
{
    X11Connection* connection = X11Connection::shared();
    if (connection && X11KeystrokeSender::isAvailable(*connection))
        return std::make_unique<X11KeystrokeSender>(*connection);
    return std::make_unique<UnavailableKeystrokeSender>();
}
