// Stopping is cooperative: a tick under way is never cut off, the stop waits
// for it, and no tick starts once the stop has returned.
#include "timer_support.h"

#include "kova/threading/shutdown.h"
#include "kova/threading/thread.h"
#include "kova/threading/timer.h"

using namespace timer_test;
using kova::threading::STimer;

TEST(TimerStop, StoppingWaitsForTheTickUnderWayToFinish)
{
    Ticker c;
    Gate gate;
    std::atomic<bool> tickFinished{false};
    c.onTick = [&] {
        gate.Arrive();
        tickFinished = true;
    };
    STimer* t = c.AddTimer(1, true);
    ASSERT_TRUE(gate.WaitArrived(2000));

    std::atomic<bool> stopped{false};
    std::thread stopper([&] {
        t->Stop();
        stopped = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(stopped.load()) << "Stop returned while a tick was still running";
    gate.Open();
    stopper.join();
    EXPECT_TRUE(tickFinished.load());
    const int ticks = c.ticks;
    EXPECT_EQ(ticks, 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_EQ(c.ticks.load(), ticks) << "a tick started after Stop returned";
    delete t;
}

TEST(TimerStop, DestroyingATimerWaitsForItsTickToo)
{
    Ticker c;
    Gate gate;
    c.onTick = [&] { gate.Arrive(); };
    STimer* t = c.AddTimer(1, true);
    ASSERT_TRUE(gate.WaitArrived(2000));
    std::atomic<bool> deleted{false};
    std::thread killer([&] {
        delete t;
        deleted = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_FALSE(deleted.load());
    gate.Open();
    killer.join();
    EXPECT_EQ(c.ticks.load(), 1);
}

TEST(TimerStop, ATickMayStopItsOwnTimerWithoutWaitingForItself)
{
    Ticker c;
    STimer* t = nullptr;
    std::atomic<int> stops{0};
    c.onTick = [&] {
        if (c.ticks == 2) {
            t->Stop();
            ++stops;
        }
    };
    t = c.AddTimer(2, false);
    t->Start(2);
    ASSERT_TRUE(WaitFor([&] { return stops == 1; }, 2000));
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_EQ(c.ticks.load(), 3);
    EXPECT_FALSE(t->Running());
    delete t;
}

TEST(TimerStop, ATickMayDeleteItsOwnTimer)
{
    Ticker c;
    STimer* t = c.AddTimer(1, false);
    std::atomic<bool> gone{false};
    c.onTick = [&] {
        if (!gone) {
            delete t;
            gone = true;
        }
    };
    t->Start(1);
    ASSERT_TRUE(WaitFor([&] { return gone.load(); }, 2000));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(c.ticks.load(), 1);
    // The thread ends by itself after that tick; join it before the control goes.
    kova::threading::StopAllThreads();
}

TEST(TimerStop, ShuttingDownEndsEveryToolkitThread)
{
    Ticker a, b;
    STimer* ta = a.AddTimer(3, true);
    STimer* tb = b.AddTimer(3, true);
    a.CreateIdleTimer(5, false);
    ASSERT_TRUE(WaitFor([&] { return a.ticks > 0 && b.ticks > 0; }, 2000));
    EXPECT_GE(kova::threading::LiveThreadCount(), 3);

    kova::threading::ShutdownThreads();
    EXPECT_EQ(kova::threading::LiveThreadCount(), 0);
    EXPECT_FALSE(kova::threading::idle::ThreadRunning());
    const int ia = a.ticks, ib = b.ticks;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(a.ticks.load(), ia);
    EXPECT_EQ(b.ticks.load(), ib);
    // The objects can still be stopped and deleted afterwards.
    delete ta;
    delete tb;
    a.DestroyIdleTimer();
}

TEST(TimerStop, ThreadsOfTimersThatStoppedThemselvesAreJoinedLater)
{
    Ticker c;
    STimer* t = c.AddTimer(1, false);
    c.onTick = [&] { t->Stop(); };
    t->Start(1);
    ASSERT_TRUE(WaitFor([&] { return c.ticks == 1; }, 2000));
    // The self-stopped thread is still known until someone joins it.
    kova::threading::StopAllThreads();
    EXPECT_EQ(kova::threading::LiveThreadCount(), 0);
    delete t;
}
