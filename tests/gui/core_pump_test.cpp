// The toolkit's own event pump serves the plug-in's connection when no host
// delivers its events.
#include "core_fixture.h"

#include <chrono>
#include <thread>

#include "kova/gui/dispatchguard.h"
#include "kova/gui/eventpump.h"
#include "kova/threading/shutdown.h"
#include "kova/threading/thread.h"

using namespace core_test;

TEST_F(CoreTest, ThePumpDispatchesRepaintRequestsUntilItIsStopped)
{
    if (dp.load())
        GTEST_SKIP() << "a host connection is in use";
    auto* c = new Recorder(nullptr, nullptr, 1, "pumped", 0, 0, 0, 60, 40, 0, false);
    c->Show();
    XSync(d, True);
    ASSERT_TRUE(kova::gui::StartEventPump());
    EXPECT_TRUE(kova::gui::EventPumpRunning());
    c->RefreshArea(5);
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (c->areaCount.load() == 0 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    EXPECT_EQ(c->areaCount.load(), 1);

    kova::gui::StopEventPump();
    EXPECT_FALSE(kova::gui::EventPumpRunning());
    c->RefreshArea(6);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(c->areaCount.load(), 1);
    {
        kova::gui::SDispatchGuard guard;
        delete c;
    }
    XSync(d, True);
}

TEST_F(CoreTest, ShuttingDownStopsThePump)
{
    if (dp.load())
        GTEST_SKIP() << "a host connection is in use";
    ASSERT_TRUE(kova::gui::StartEventPump());
    kova::threading::ShutdownThreads();
    EXPECT_FALSE(kova::gui::EventPumpRunning());
    EXPECT_EQ(kova::threading::LiveThreadCount(), 0);
}
