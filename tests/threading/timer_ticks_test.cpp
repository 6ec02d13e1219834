// Control timers: when ticks come, what they carry, stopping and restarting.
#include "timer_support.h"

#include <algorithm>
#include <vector>

#include "kova/gui/globals.h"
#include "kova/threading/shutdown.h"
#include "kova/threading/thread.h"
#include "kova/threading/timer.h"

using namespace timer_test;
using kova::threading::STimer;

TEST(TimerTicks, TheFirstTickComesAtOnceNotAfterAPeriod)
{
    Ticker c;
    STimer* t = c.AddTimer(5000, true);
    auto start = Clock::now();
    ASSERT_TRUE(WaitFor([&] { return c.ticks >= 1; }, 1000));
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(1000));
    EXPECT_EQ(c.ticks.load(), 1);
    delete t;
}

TEST(TimerTicks, TicksRepeatAndCarryTheTimerIdOnChannelNine)
{
    Ticker c;
    c.CreateTimer(10, false);
    // Without a listener on channel 9 the own timer is silent; listen to it.
    c.AddEventListener(&c, 9);
    c.StartTimer(10);
    ASSERT_TRUE(WaitFor([&] { return c.ticks >= 5; }, 2000));
    EXPECT_EQ(c.lastType.load(), 9);
    EXPECT_EQ(c.lastSender.load(), &c);
    EXPECT_EQ(c.lastValue.load(), c.GetTimerId());
    EXPECT_NE(c.GetFlags() & kova::gui::SControl::HasTimer, 0);
    c.StopTimer(true);
    EXPECT_EQ(c.GetTimer(), nullptr);
    EXPECT_EQ(c.GetTimerId(), 0);
}

TEST(TimerTicks, AStoppedTimerIsSilentAndARestartTicksAtOnceOnANewThread)
{
    Ticker c;
    STimer* t = c.AddTimer(10, true);
    ASSERT_TRUE(WaitFor([&] { return c.ticks >= 2; }, 2000));
    t->Stop();
    EXPECT_FALSE(t->Running());
    const int after = c.ticks;
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    EXPECT_EQ(c.ticks.load(), after);

    t->Start(5000);
    ASSERT_TRUE(WaitFor([&] { return c.ticks == after + 1; }, 1000));
    EXPECT_TRUE(t->Running());
    delete t;
    const int final = c.ticks;
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_EQ(c.ticks.load(), final);
}

TEST(TimerTicks, AControlBeingDestroyedHearsNoMoreTicks)
{
    Ticker c;
    STimer* t = c.AddTimer(5, false);
    c.CleanUp();  // marks the control as going away
    EXPECT_TRUE(c.IsDestroying());
    t->Start(5);
    std::this_thread::sleep_for(std::chrono::milliseconds(40));
    EXPECT_EQ(c.ticks.load(), 0);
    delete t;
}

TEST(TimerTicks, TimerIdsTakenFromManyThreadsAreAllDifferent)
{
    SGlobals globals;
    std::vector<int> ids[4];
    std::vector<std::thread> threads;
    for (auto& list : ids)
        threads.emplace_back([&globals, &list] {
            for (int i = 0; i < 1000; ++i)
                list.push_back(globals.NextId());
        });
    for (auto& t : threads)
        t.join();
    std::vector<int> all;
    for (auto& list : ids)
        all.insert(all.end(), list.begin(), list.end());
    std::sort(all.begin(), all.end());
    EXPECT_EQ(std::unique(all.begin(), all.end()), all.end());
    EXPECT_EQ(all.front(), 1);
    EXPECT_EQ(all.back(), 4000);
    EXPECT_EQ(globals.TakeId(), 4000);
    EXPECT_EQ(globals.NextId(), 1);
}
