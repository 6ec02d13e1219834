// The thread wrapper: starting, priorities, waiting and stopping.
#include "timer_support.h"

#include "kova/threading/thread.h"

using namespace timer_test;
using kova::threading::SThread;

namespace {

std::atomic<int> runs{0};

void* CountOnce(void*)
{
    ++runs;
    return nullptr;
}

void* SleepUntilStopped(void* arg)
{
    auto* laps = static_cast<std::atomic<int>*>(arg);
    while (SThread::SleepFor(5))
        ++*laps;
    return nullptr;
}

}  // namespace

TEST(TimerThreads, StartingWithoutAnArgumentCreatesNoThread)
{
    SThread t(2);
    int before = kova::threading::LiveThreadCount();
    EXPECT_NE(t.Start(&CountOnce, nullptr), 0);
    EXPECT_NE(t.Start(nullptr, &t), 0);
    EXPECT_FALSE(t.Running());
    EXPECT_EQ(kova::threading::LiveThreadCount(), before);
}

TEST(TimerThreads, PrioritiesAreChosenFromThePolicyRange)
{
    EXPECT_EQ(SThread::PriorityFor(2, 0, 0), 0);
    EXPECT_EQ(SThread::PriorityFor(2, 1, 99), 50);
    EXPECT_EQ(SThread::PriorityFor(3, 1, 99), 99);
    EXPECT_EQ(SThread::PriorityFor(4, 1, 99), 99);
    EXPECT_EQ(SThread::PriorityFor(0, 1, 99), 1);
    EXPECT_EQ(SThread::PriorityFor(2, -1, 99), 0);
}

TEST(TimerThreads, ARoutineRunsAndIsJoinedByCancel)
{
    runs = 0;
    SThread t(2);
    EXPECT_EQ(t.Start(&CountOnce, &t), 0);
    t.Cancel();
    EXPECT_EQ(runs.load(), 1);
    EXPECT_FALSE(t.Running());
}

TEST(TimerThreads, CancelWakesASleepingThreadAndWaitsForIt)
{
    std::atomic<int> laps{0};
    SThread t(2);
    ASSERT_EQ(t.Start(&SleepUntilStopped, &laps), 0);
    ASSERT_TRUE(WaitFor([&] { return laps >= 2; }, 2000));
    auto start = Clock::now();
    t.Cancel();
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(500));
    const int done = laps;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(laps.load(), done);
}

TEST(TimerThreads, WaitReturnsOnlyAfterAnotherThreadResumes)
{
    SThread t(0);
    std::atomic<bool> returned{false};
    std::thread waiter([&] {
        t.Wait(10);
        returned = true;
    });
    ASSERT_TRUE(WaitFor([&] { return t.Waiting(); }, 1000));
    std::this_thread::sleep_for(std::chrono::milliseconds(40));
    EXPECT_FALSE(returned.load());
    t.Resume();
    waiter.join();
    EXPECT_TRUE(returned.load());
}

TEST(TimerThreads, OffAToolkitThreadSleepForIsAPlainSleep)
{
    auto start = Clock::now();
    EXPECT_TRUE(SThread::SleepFor(5));
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(5));
    EXPECT_FALSE(SThread::StopRequested());
}
