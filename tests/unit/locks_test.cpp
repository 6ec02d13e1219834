// The spin lock of the audio thread and the sleeps of the toolkit threads.
#include "kova/data/datastring.h"
#include "kova/threading/mutex.h"
#include "kova/threading/sleep.h"

#include <gtest/gtest.h>

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

TEST(PreciseSleep, SleepsTheFullTimeEvenWhenInterrupted)
{
    struct sigaction action {};
    action.sa_handler = IgnoreSignal;
    struct sigaction previous {};
    sigaction(SIGUSR1, &action, &previous);
    pthread_t sleeper = pthread_self();
    std::thread interrupter([sleeper] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        pthread_kill(sleeper, SIGUSR1);
    });
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(kova::threading::PreciseSleep(0.2), 0);
    auto elapsed = std::chrono::steady_clock::now() - start;
    interrupter.join();
    sigaction(SIGUSR1, &previous, nullptr);
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
