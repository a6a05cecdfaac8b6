// SPDX-License-Identifier: MIT
#include "HotkeyManager.h"

#include <QCoreApplication>
#include <QTest>
#include <gtest/gtest.h>
#include <vector>

namespace {

// Records what the manager asks of the system and lets a test press keys.
class FakeRegistrar final : public HotkeyRegistrar {
public:
    struct Registration {
        uint32_t keyCode;
        uint32_t modifiers;
        uint32_t id;
    };
    struct Log {
        int handlersInstalled = 0;
        std::vector<Registration> registered;
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
    Result registerHotkey(uint32_t keyCode, uint32_t modifiers, uint32_t id) override
    {
        m_log.registered.push_back({ keyCode, modifiers, id });
        if (m_log.nextStatus)
            return { std::exchange(m_log.nextStatus, 0), 0 };
        return { 0, Reference(m_log.registered.size()) };
    }
    void unregisterHotkey(Reference reference) override { m_log.unregistered.push_back(reference); }
    std::optional<uint32_t> keyCodeForNativeKey(unsigned int) const override { return std::nullopt; }

private:
    Log& m_log;
};

struct CapturedWarnings {
    static inline QStringList lines;
    static void handler(QtMsgType, const QMessageLogContext&, const QString& message) { lines << message; }
    CapturedWarnings()
    {
        lines.clear();
        m_previous = qInstallMessageHandler(handler);
    }
    ~CapturedWarnings() { qInstallMessageHandler(m_previous); }
    QtMessageHandler m_previous;
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

TEST_F(HotkeyManagerTest, ReRegisteringReplacesTheEarlierCombination)
{
    manager.registerHotkey(HotkeyAction::translate, 17, 2048);
    manager.registerHotkey(HotkeyAction::translate, 2, 2048);
    ASSERT_EQ(log.registered.size(), 2u);
    EXPECT_EQ(log.registered[1].keyCode, 2u);
    EXPECT_EQ(log.registered[1].id, 1u);
    ASSERT_EQ(log.unregistered.size(), 1u) << "the old registration goes first";
    EXPECT_EQ(log.unregistered[0], 1u);
    EXPECT_TRUE(manager.isRegistered(HotkeyAction::translate));
    EXPECT_EQ(log.handlersInstalled, 1);
}

TEST_F(HotkeyManagerTest, ARefusedRegistrationLeavesNoEntryAndLogsOneLine)
{
    manager.registerHotkey(HotkeyAction::refine, 15, 2048);
    CapturedWarnings warnings;
    log.nextStatus = -9878;
    EXPECT_EQ(manager.registerHotkey(HotkeyAction::refine, 15, 4096), -9878);
    EXPECT_EQ(manager.lastStatus(HotkeyAction::refine), -9878) << "for a caller that did not register";
    EXPECT_EQ(manager.lastStatus(HotkeyAction::translate), 0);
    EXPECT_FALSE(manager.isRegistered(HotkeyAction::refine));
    EXPECT_EQ(log.unregistered.size(), 1u) << "the earlier combination was removed";
    EXPECT_EQ(warnings.lines,
        QStringList { "HotkeyManager: RegisterEventHotKey(refine) failed with status -9878" });
}

TEST_F(HotkeyManagerTest, UnregisterOfAnUnknownActionDoesNothing)
{
    manager.unregister(HotkeyAction::refine);
    manager.unregisterAll();
    EXPECT_TRUE(log.unregistered.empty());
    EXPECT_EQ(log.handlersInstalled, 0) << "the handler is installed by the first registration";
}

TEST_F(HotkeyManagerTest, HandlerIsInstalledOnceAndSurvivesUnregisterAll)
{
    manager.registerHotkey(HotkeyAction::translate, 17, 2048);
    manager.registerHotkey(HotkeyAction::refine, 15, 2048);
    manager.unregisterAll();
    EXPECT_EQ(log.unregistered, (std::vector<HotkeyRegistrar::Reference> { 1, 2 }))
        << "translate, then refine";
    manager.registerHotkey(HotkeyAction::refine, 15, 2048);
    EXPECT_EQ(log.handlersInstalled, 1);
    EXPECT_FALSE(manager.isRegistered(HotkeyAction::translate));
    EXPECT_TRUE(manager.isRegistered(HotkeyAction::refine));

    log.handler(2);
    QTest::qWait(0);
    QCoreApplication::processEvents();
    EXPECT_EQ(triggered, std::vector<HotkeyAction> { HotkeyAction::refine });
}

TEST_F(HotkeyManagerTest, PressesAreQueuedInOrderAndUnknownIdsIgnored)
{
    manager.registerHotkey(HotkeyAction::translate, 17, 2048);
    log.handler(1);
    log.handler(3);
    log.handler(0);
    log.handler(2);
    EXPECT_TRUE(triggered.empty()) << "never called inline";
    QCoreApplication::processEvents();
    EXPECT_EQ(triggered, (std::vector<HotkeyAction> { HotkeyAction::translate, HotkeyAction::refine }));
}

TEST_F(HotkeyManagerTest, APressWithoutOnTriggerIsDropped)
{
    manager.registerHotkey(HotkeyAction::translate, 17, 2048);
    manager.onTrigger = nullptr;
    log.handler(1);
    QCoreApplication::processEvents();
    manager.onTrigger = [this](HotkeyAction action) { triggered.push_back(action); };
    QCoreApplication::processEvents();
    EXPECT_TRUE(triggered.empty());
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
