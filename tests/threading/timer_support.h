// Shared helpers of the timer tests: a control that counts the ticks it
// hears, and waiting with a deadline.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

#include "kova/gui/control.h"
#include "kova/gui/event.h"

namespace timer_test {

using Clock = std::chrono::steady_clock;

// Polls the condition every millisecond until it holds or ms have passed.
inline bool WaitFor(const std::function<bool()>& condition, int ms)
{
    auto end = Clock::now() + std::chrono::milliseconds(ms);
    while (Clock::now() < end) {
        if (condition())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return condition();
}

// Hears its own timer ticks (channel 9); onTick runs inside the tick.
class Ticker : public kova::gui::SControl {
public:
    void ParseEvent(kova::gui::SEvent* ev) override
    {
        lastValue = ev->value;
        lastType = ev->type;
        lastSender = ev->sender;
        if (onTick)
            onTick();
        ++ticks;
    }
    std::atomic<int> ticks{0};
    std::atomic<int> lastValue{-1};
    std::atomic<int> lastType{-1};
    std::atomic<kova::gui::SControl*> lastSender{nullptr};
    std::function<void()> onTick;
};

// A gate a tick can wait at until the test opens it.
class Gate {
public:
    void Arrive()
    {
        std::unique_lock<std::mutex> lock(m);
        arrived = true;
        cv.notify_all();
        cv.wait(lock, [&] { return open; });
    }
    bool WaitArrived(int ms)
    {
        std::unique_lock<std::mutex> lock(m);
        return cv.wait_for(lock, std::chrono::milliseconds(ms), [&] { return arrived; });
    }
    void Open()
    {
        std::lock_guard<std::mutex> lock(m);
        open = true;
        cv.notify_all();
    }

private:
    std::mutex m;
    std::condition_variable cv;
    bool arrived = false;
    bool open = false;
};

}  // namespace timer_test
