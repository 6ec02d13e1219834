// The spin lock of the audio thread and the sleeps of the toolkit threads.
#include "kova/data/datastring.h"
#include "kova/threading/mutex.h"
#include "kova/threading/sleep.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <pthread.h>
#include <thread>

using kova::threading::SMutexID;
using kova::threading::SMutexOS;

TEST(SpinLock, UnlockReportsTheCountBeforeRelease)
{
    SMutexID lock;
    lock.Lock();
    EXPECT_TRUE(lock.IsLocked());
    EXPECT_EQ(lock.Unlock(), 1);
    EXPECT_FALSE(lock.IsLocked());
}

TEST(SpinLock, TwoThreadsTakeTurnsWithoutLosingUpdates)
{
    SMutexID lock;
    long counter = 0;
    auto work = [&] {
        for (int i = 0; i < 20000; ++i) {
            lock.Lock();
            ++counter;
            lock.Unlock();
        }
    };
    std::thread a(work), b(work);
    a.join();
    b.join();
    EXPECT_EQ(counter, 40000);
}

TEST(SpinLock, SecondThreadWaitsUntilTheFirstUnlocks)
{
    SMutexID lock;
    lock.Lock();
    std::atomic<bool> entered{false};
    std::thread waiter([&] {
        lock.Lock();
        entered = true;
        lock.Unlock();
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_FALSE(entered);
    lock.Unlock();
    waiter.join();
    EXPECT_TRUE(entered);
}

TEST(OsMutex, TracksWhetherItIsHeld)
{
    SMutexOS mutex;
    EXPECT_TRUE(mutex.IsValid());
    EXPECT_EQ(mutex.Lock(), 0);
    EXPECT_TRUE(mutex.IsLocked());
    EXPECT_EQ(mutex.Unlock(), 0);
    EXPECT_FALSE(mutex.IsLocked());
}

namespace {
void IgnoreSignal(int) {}
}  // namespace

// The sleeper is the thread created last: under qemu-i386 user emulation a
// signal handler's return reloads the thread's TLS segment from a table that
// all emulated threads share, which holds the newest thread's entry. Any
// other interrupted thread would come back with another thread's TLS
// (pthread_self, errno), and the main thread of the test runner would then
// fail to join.
TEST(PreciseSleep, SleepsTheFullTimeEvenWhenInterrupted)
{
    struct sigaction action {};
    action.sa_handler = IgnoreSignal;
    struct sigaction previous {};
    sigaction(SIGUSR1, &action, &previous);
    std::atomic<bool> started{false};
    pthread_t sleeperId{};
    std::thread interrupter([&] {
        while (!started.load())
            std::this_thread::yield();
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        pthread_kill(sleeperId, SIGUSR1);
    });
    int result = -1;
    std::chrono::steady_clock::duration elapsed{};
    std::thread sleeper([&] {
        sleeperId = pthread_self();
        started = true;
        const auto start = std::chrono::steady_clock::now();
        result = kova::threading::PreciseSleep(0.2);
        elapsed = std::chrono::steady_clock::now() - start;
    });
    sleeper.join();
    interrupter.join();
    sigaction(SIGUSR1, &previous, nullptr);
    EXPECT_EQ(result, 0);
    EXPECT_GE(elapsed, std::chrono::milliseconds(199));
}

TEST(DataString, GrowsInStepsAndStaysTerminated)
{
    kova::data::datastring<8, char> text;
    EXPECT_EQ(text.Size(), 1u);
    EXPECT_EQ(text.Capacity(), 8u);
    text.Append("abcdefgh");
    EXPECT_EQ(text.Capacity(), 16u);
    EXPECT_STREQ(text.c_str(), "abcdefgh");
    text.Append('i');
    text.Append(nullptr);
    EXPECT_STREQ(text.c_str(), "abcdefghi");
    text.Clear(true);
    EXPECT_EQ(text.Capacity(), 8u);
    EXPECT_STREQ(text.c_str(), "");
}

TEST(DataString, FormattingKeepsAtMostMaxMinusTwoCharacters)
{
    kova::data::datastring<32, char> text(6, "%s", "abcdefgh");
    EXPECT_STREQ(text.c_str(), "abcd");
    kova::data::datastring<32, char> wide(100, "%i-%s", 7, "x");
    EXPECT_EQ(wide.Capacity(), 128u);
    EXPECT_STREQ(wide.c_str(), "7-x");
}

TEST(DataString, TokenizeSkipsEmptyTokens)
{
    kova::data::datastring<32, char> text;
    text.Append(",,a,bc,,d,");
    std::vector<kova::data::datastring<32, char>> tokens;
    EXPECT_EQ(text.Tokenize(tokens, ","), 3);
    ASSERT_EQ(tokens.size(), 3u);
    EXPECT_STREQ(tokens[1].c_str(), "bc");
}
