// Periodic control timers and the shared idle thread.
//
// An STimer ticks on a thread of its own: the first tick comes at once after
// Start(), later ticks every period milliseconds plus the listeners' time.
// Each tick goes to its control through the tick hook that the GUI side
// installs (kova/gui/control.cpp): the control's listeners hear it on
// the timer channel, unless the control is being destroyed.
//
// Stopping is cooperative: Stop() (and the destructors) let a tick that is
// running finish, wait for it, and no tick starts after they return. Called
// from inside a tick they only mark the timer stopped; the thread ends when
// the tick returns.
//
// Idle functions: every control's idle timer registers one function with the
// process-wide list; one idle thread calls them all in turn, then sleeps the
// period of the idle timer that started it. The list is locked: functions can
// be added and removed from any thread at any time, and once a removal
// returns that function is not called again (unless it was removed from
// inside its own call, which then simply finishes).
#pragma once

#include <atomic>
#include <mutex>
#include <vector>

namespace kova::gui {
class SControl;
}  // namespace kova::gui

namespace kova::threading {

class SThread;

// How a tick reaches its control: installed by the GUI side before any
// timer starts (kova/gui/control.cpp); without one a tick goes nowhere.
using TickHook = void (*)(kova::gui::SControl* control, int timerId, long time);
void SetTickHook(TickHook hook);

// The worker of an STimer: owns the thread and the tick event.
class STimerObject {
public:
    STimerObject();
    virtual ~STimerObject();
    STimerObject(const STimerObject&) = delete;
    STimerObject& operator=(const STimerObject&) = delete;

    // Stops a running thread, then starts a new one ticking every period ms.
    virtual void Start(kova::gui::SControl* control, int id, unsigned int period);
    virtual void Stop();
    // One tick on the caller's thread.
    void Notification();
    // Sleeps one period when a thread exists.
    void Sleep();

    int GetId() const { return id; }
    int GetPeriod() const { return period; }
    bool Active() const;

private:
    static void* Job(void* self);

    std::mutex lifecycle;  // guards thread and retired
    SThread* thread = nullptr;
    // Threads asked to stop from inside their own tick: joined by the next
    // Stop() from another thread, so a tick is never left running unseen.
    std::vector<SThread*> retired;
    kova::gui::SControl* control = nullptr;
    int tickId = 0;  // the id the ticks carry, kept after Stop
    std::atomic<int> id{0};
    int period = 0;
    std::atomic<bool> active{false};
};

class STimer {
public:
    // `param` is kept for the caller and not used by the timer.
    STimer(kova::gui::SControl* control, unsigned int id, unsigned int param);
    virtual ~STimer();
    STimer(const STimer&) = delete;
    STimer& operator=(const STimer&) = delete;

    virtual void Start(unsigned int period);
    virtual void Stop();

    bool Running() const { return running.load(); }
    unsigned int GetId() const { return id; }
    unsigned int GetPeriod() const { return period; }
    unsigned int GetParam() const { return param; }
    STimerObject* GetWorker() const { return worker; }

private:
    kova::gui::SControl* control;
    unsigned int period = 0;
    unsigned int param;
    unsigned int id;
    std::atomic<bool> running{false};
    STimerObject* worker;
};

// A control's idle timer: while at least one exists, the shared idle thread
// runs (with the period of the one that started it).
class STimerIdle {
public:
    STimerIdle(kova::gui::SControl* control, int id, int period, bool flag);
    // Removes its function (see RemoveFunction); the last idle timer stops
    // the idle thread (and waits for it, unless called on it).
    ~STimerIdle();
    STimerIdle(const STimerIdle&) = delete;
    STimerIdle& operator=(const STimerIdle&) = delete;

    // Stores the function and appends {fn, arg} to the idle list unless that
    // pair is present.
    void SetFunction(void (**fn)(void*), void* arg);
    // Removes the first list entry equal to its pair and waits for a call of
    // it that is under way (unless called from that call).
    void RemoveFunction();

    kova::gui::SControl* GetControl() const { return control; }
    int GetId() const { return id; }
    int GetPeriod() const { return period; }
    bool Flag() const { return flag; }

private:
    kova::gui::SControl* control;
    void (**function)(void*) = nullptr;
    void* argument = nullptr;
    int id;
    int period;
    bool flag;
};

// The shared idle list, for inspection and tests.
namespace idle {
// Number of entries in the idle list.
int FunctionCount();
// Whether the idle thread runs, and its period.
bool ThreadRunning();
int ThreadPeriod();
// Stops the idle thread and forgets the idle timers (library unload).
void Shutdown();
}  // namespace idle

}  // namespace kova::threading
