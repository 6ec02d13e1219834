// The shared idle thread and its list of idle functions.
#include "timer_support.h"

#include "kova/threading/thread.h"
#include "kova/threading/timer.h"

using namespace timer_test;
namespace idle = kova::threading::idle;

namespace {

struct Counter {
    std::atomic<int> calls{0};
    std::function<void()> during;
};

void CountCall(void* arg)
{
    auto* c = static_cast<Counter*>(arg);
    if (c->during)
        c->during();
    ++c->calls;
}

}  // namespace

TEST(TimerIdle, AnIdleFunctionIsCalledAgainAndAgain)
{
    kova::gui::SControl panel;
    Counter counter;
    void (*fn)(void*) = &CountCall;
    panel.CreateIdleTimer(2, false);
    EXPECT_TRUE(idle::ThreadRunning());
    panel.CreateIdleFunction(&fn, &counter);
    ASSERT_TRUE(WaitFor([&] { return counter.calls >= 3; }, 2000));
    panel.DestroyIdleTimer();
    EXPECT_FALSE(idle::ThreadRunning());
    const int calls = counter.calls;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(counter.calls.load(), calls);
}

TEST(TimerIdle, RegisteringTheSameFunctionAndArgumentTwiceKeepsOneEntry)
{
    kova::gui::SControl panel;
    Counter counter;
    void (*fn)(void*) = &CountCall;
    panel.CreateIdleTimer(50, false);
    panel.CreateIdleFunction(&fn, &counter);
    panel.CreateIdleFunction(&fn, &counter);
    EXPECT_EQ(idle::FunctionCount(), 1);
    panel.DestroyIdleFunction();
    EXPECT_EQ(idle::FunctionCount(), 0);
    panel.DestroyIdleTimer();
}

TEST(TimerIdle, WithoutAnIdleTimerNoFunctionIsRegistered)
{
    kova::gui::SControl panel;
    Counter counter;
    void (*fn)(void*) = &CountCall;
    panel.CreateIdleFunction(&fn, &counter);
    EXPECT_EQ(idle::FunctionCount(), 0);
}

TEST(TimerIdle, RemovingAFunctionWaitsForItsCallAndItIsNeverCalledAgain)
{
    kova::gui::SControl panel;
    Counter counter;
    Gate gate;
    counter.during = [&] { gate.Arrive(); };
    void (*fn)(void*) = &CountCall;
    panel.CreateIdleTimer(1, false);
    panel.CreateIdleFunction(&fn, &counter);
    ASSERT_TRUE(gate.WaitArrived(2000));

    std::atomic<bool> removed{false};
    std::thread remover([&] {
        panel.DestroyIdleFunction();
        removed = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(40));
    EXPECT_FALSE(removed.load()) << "the removal returned during the call";
    gate.Open();
    remover.join();
    EXPECT_EQ(counter.calls.load(), 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(counter.calls.load(), 1);
    panel.DestroyIdleTimer();
}

TEST(TimerIdle, DestroyingTheOnlyIdleTimerStopsTheThreadAndANewOneBringsItsPeriod)
{
    {
        kova::gui::SControl first;
        first.CreateIdleTimer(22, false);
        EXPECT_TRUE(idle::ThreadRunning());
        EXPECT_EQ(idle::ThreadPeriod(), 22);
        kova::gui::SControl second;
        second.CreateIdleTimer(40, false);
        EXPECT_EQ(idle::ThreadPeriod(), 22);  // the first one's period stays
        first.DestroyIdleTimer();
        EXPECT_TRUE(idle::ThreadRunning());  // an idle timer is still alive
    }
    EXPECT_FALSE(idle::ThreadRunning());
    kova::gui::SControl third;
    third.CreateIdleTimer(7, false);
    EXPECT_TRUE(idle::ThreadRunning());
    EXPECT_EQ(idle::ThreadPeriod(), 7);
    third.DestroyIdleTimer();
}

TEST(TimerIdle, AnIdleFunctionMayRemoveItselfDuringItsCall)
{
    kova::gui::SControl panel;
    Counter counter;
    counter.during = [&] { panel.DestroyIdleFunction(); };
    void (*fn)(void*) = &CountCall;
    panel.CreateIdleTimer(1, false);
    panel.CreateIdleFunction(&fn, &counter);
    ASSERT_TRUE(WaitFor([&] { return counter.calls == 1; }, 2000));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(counter.calls.load(), 1);
    panel.DestroyIdleTimer();
}

TEST(TimerIdle, FunctionsCanComeAndGoWhileTheThreadWalksTheList)
{
    kova::gui::SControl host;
    host.CreateIdleTimer(0, false);
    Counter counters[6];
    void (*fn)(void*) = &CountCall;
    std::vector<kova::gui::SControl*> panels;
    for (int round = 0; round < 100; ++round) {
        Counter& mine = counters[round % 6];
        const int before = mine.calls;
        auto* p = new kova::gui::SControl();
        p->CreateIdleTimer(0, false);
        p->CreateIdleFunction(&fn, &mine);
        panels.push_back(p);
        ASSERT_TRUE(WaitFor([&] { return mine.calls > before; }, 2000)) << "round " << round;
        if (panels.size() > 4) {
            delete panels.front();
            panels.erase(panels.begin());
        }
    }
    for (auto* p : panels)
        delete p;
    EXPECT_EQ(idle::FunctionCount(), 0);
    int totals[6];
    for (int i = 0; i < 6; ++i)
        totals[i] = counters[i].calls;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(counters[i].calls.load(), totals[i]) << "a removed function was called";
    host.DestroyIdleTimer();
    EXPECT_FALSE(idle::ThreadRunning());
}
