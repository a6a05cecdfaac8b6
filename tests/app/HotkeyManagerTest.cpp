// SPDX-License-Identifier: MIT
// The manager's bookkeeping over a registrar that records what it is asked;
// the real grabs are X11HotkeyTest's.
#include "HotkeyManager.h"

#include <QCoreApplication>
#include <gtest/gtest.h>
#include <vector>

namespace {

class FakeRegistrar final : public HotkeyRegistrar {
public:
    struct Log {
        int handlersInstalled = 0;
        std::vector<uint32_t> registeredKeys;
        std::vector<Reference> unregistered;
        int32_t nextStatus = 0;
        PressHandler handler;
    };

    explicit FakeRegistrar(Log& log)
        : m_log(log)
    {
    }
    void installHandler(PressHandler handler) override
    {
        ++m_log.handlersInstalled;
        m_log.handler = std::move(handler);
    }
    Result registerHotkey(uint32_t keyCode, uint32_t, uint32_t) override
    {
        m_log.registeredKeys.push_back(keyCode);
        if (m_log.nextStatus)
            return { std::exchange(m_log.nextStatus, 0), 0 };
        return { 0, Reference(m_log.registeredKeys.size()) };
    }
    void unregisterHotkey(Reference reference) override { m_log.unregistered.push_back(reference); }
    std::optional<uint32_t> keyCodeForNativeKey(unsigned int) const override { return std::nullopt; }

private:
    Log& m_log;
};

class HotkeyManagerTest : public ::testing::Test {
protected:
    FakeRegistrar::Log log;
    HotkeyManager manager { std::make_unique<FakeRegistrar>(log) };
    std::vector<HotkeyAction> triggered;

    void SetUp() override
    {
        manager.onTrigger = [this](HotkeyAction action) { triggered.push_back(action); };
    }
};

TEST_F(HotkeyManagerTest, EachActionHoldsAtMostOneRegistration)
{
    manager.unregister(HotkeyAction::refine);
    manager.unregisterAll();
    EXPECT_TRUE(log.unregistered.empty());
    EXPECT_EQ(log.handlersInstalled, 0) << "installed by the first registration";

    manager.registerHotkey(HotkeyAction::translate, 17, 2048);
    manager.registerHotkey(HotkeyAction::translate, 2, 2048);
    EXPECT_EQ(log.unregistered, std::vector<HotkeyRegistrar::Reference> { 1 }) << "the old one goes first";

    // A refusal leaves the action without a shortcut and says why.
    manager.registerHotkey(HotkeyAction::refine, 15, 2048);
    log.nextStatus = HotkeyRegistrar::statusTaken;
    EXPECT_EQ(manager.registerHotkey(HotkeyAction::refine, 15, 4096), HotkeyRegistrar::statusTaken);
    EXPECT_EQ(manager.lastStatus(HotkeyAction::refine), HotkeyRegistrar::statusTaken);
    EXPECT_EQ(manager.lastStatus(HotkeyAction::translate), 0);
    EXPECT_FALSE(manager.isRegistered(HotkeyAction::refine));
    EXPECT_EQ(log.unregistered, (std::vector<HotkeyRegistrar::Reference> { 1, 3 }));

    manager.unregisterAll();
    EXPECT_EQ(log.unregistered, (std::vector<HotkeyRegistrar::Reference> { 1, 3, 2 }));
    manager.registerHotkey(HotkeyAction::refine, 15, 2048);
    EXPECT_TRUE(manager.isRegistered(HotkeyAction::refine));
    EXPECT_EQ(log.handlersInstalled, 1);
}

TEST_F(HotkeyManagerTest, PressesArriveLaterInOrderAndOnlyForKnownActions)
{
    manager.registerHotkey(HotkeyAction::translate, 17, 2048);
    for (const uint32_t id : { 1, 3, 0, 2 })
        log.handler(id);
    EXPECT_TRUE(triggered.empty()) << "never called inline";
    QCoreApplication::processEvents();
    EXPECT_EQ(triggered, (std::vector<HotkeyAction> { HotkeyAction::translate, HotkeyAction::refine }));
}

TEST(HotkeyManagerLifetime, APressQueuedBeforeTheManagerDiesIsDropped)
{
    FakeRegistrar::Log log;
    int calls = 0;
    {
        HotkeyManager manager(std::make_unique<FakeRegistrar>(log));
        manager.onTrigger = [&](HotkeyAction) { ++calls; };
        manager.registerHotkey(HotkeyAction::translate, 17, 2048);
        log.handler(1);
    }
    log.handler(1); // the registrar is gone too; the stored handler must not reach the dead manager
    QCoreApplication::processEvents();
    EXPECT_EQ(calls, 0);
}

} // namespace
