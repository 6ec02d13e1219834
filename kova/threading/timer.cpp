#include "kova/threading/timer.h"

#include <algorithm>
#include <condition_variable>
#include <ctime>
#include <mutex>
#include <vector>

#include "kova/threading/thread.h"

namespace kova::threading {

// ---------------------------------------------------------------- timers

namespace {

// The timer whose tick runs on this thread, if any.
thread_local STimerObject* ticking = nullptr;

std::atomic<TickHook> tickHook{nullptr};

}  // namespace

void SetTickHook(TickHook hook)
{
    tickHook.store(hook);
}

STimerObject::STimerObject() = default;

STimerObject::~STimerObject()
{
    Stop();
    // Left only when deleted from inside its own tick: the thread ends when
    // the tick returns and is joined through the registry.
    for (SThread* t : retired)
        delete t;
    retired.clear();
}

void STimerObject::Start(kova::gui::SControl* c, int timerId, unsigned int p)
{
    Stop();
    std::lock_guard<std::mutex> lock(lifecycle);
    period = (int)p;
    id = timerId;
    control = c;
    active = true;
    tickId = timerId;
    thread = new SThread(2);
    thread->Start(&STimerObject::Job, this);
}

void STimerObject::Stop()
{
    std::vector<SThread*> ending;
    {
        std::lock_guard<std::mutex> lock(lifecycle);
        active = false;
        id = 0;
        if (thread)
            ending.push_back(thread);
        thread = nullptr;
        ending.insert(ending.end(), retired.begin(), retired.end());
        retired.clear();
    }
    std::vector<SThread*> keep;
    for (SThread* t : ending) {
        if (ticking == this && t->IsCurrent()) {
            // Inside our own tick: no new tick starts, the current one ends
            // normally; whoever stops or deletes the timer next waits for it.
            t->RequestStop();
            keep.push_back(t);
            continue;
        }
        t->Cancel();
        delete t;
    }
    if (!keep.empty()) {
        std::lock_guard<std::mutex> lock(lifecycle);
        retired.insert(retired.end(), keep.begin(), keep.end());
    }
}

bool STimerObject::Active() const
{
    return active;
}

void STimerObject::Notification()
{
    if (!control)
        return;
    if (TickHook hook = tickHook.load())
        hook(control, tickId, (long)clock());
}

void STimerObject::Sleep()
{
    if (thread)
        SThread::SleepFor(period);
}

void* STimerObject::Job(void* p)
{
    auto* self = static_cast<STimerObject*>(p);
    ticking = self;
    // After a stop requested from inside a tick the object may already be
    // gone: nothing of it is touched once StopRequested() is true.
    while (!SThread::StopRequested()) {
        self->Notification();
        if (SThread::StopRequested())
            break;
        if (!SThread::SleepFor(self->period))
            break;
    }
    ticking = nullptr;
    return nullptr;
}

STimer::STimer(kova::gui::SControl* c, unsigned int timerId, unsigned int p)
    : control(c), param(p), id(timerId), worker(new STimerObject())
{
}

STimer::~STimer()
{
    // The worker's destructor also joins a thread stopped from its own tick.
    delete worker;
}

void STimer::Start(unsigned int p)
{
    // The first tick runs at once and may stop or delete this timer, so
    // nothing of it is touched after the worker has started.
    period = p;
    running = true;
    worker->Start(control, (int)id, p);
}

void STimer::Stop()
{
    worker->Stop();
    running = false;
}

// ---------------------------------------------------------------- idle list

namespace {

struct SIdleData {
    void* argument;
    void (**function)(void*);
    bool operator==(const SIdleData& o) const { return argument == o.argument && function == o.function; }
};

// The process-wide idle state, destroyed with the binary (first made within
// the load, so it outlives the unload; see LoadProcessResources).
struct IdleState {
    std::mutex mutex;
    std::condition_variable callDone;
    std::vector<SIdleData> idledata;
    std::vector<SIdleData> calling;  // calls under way (one per idle thread)
    SThread* idlethread = nullptr;
    bool idletimerrunning = false;
    int period = 0;
    int timers = 0;  // idle timers alive
};

IdleState& Idle()
{
    static IdleState state;
    return state;
}

thread_local bool onIdleThread = false;

void* IdleThreadFunc(void*)
{
    IdleState& s = Idle();
    onIdleThread = true;
    int period;
    {
        std::lock_guard<std::mutex> lock(s.mutex);
        period = s.period;
    }
    while (!SThread::StopRequested()) {
        for (size_t i = 0;; ++i) {
            SIdleData entry{};
            void (*fn)(void*) = nullptr;
            {
                std::lock_guard<std::mutex> lock(s.mutex);
                if (i >= s.idledata.size())
                    break;
                entry = s.idledata[i];
                if (entry.function)
                    fn = *entry.function;
                if (!fn)
                    continue;
                s.calling.push_back(entry);
            }
            fn(entry.argument);
            {
                std::lock_guard<std::mutex> lock(s.mutex);
                auto it = std::find(s.calling.begin(), s.calling.end(), entry);
                if (it != s.calling.end())
                    s.calling.erase(it);
            }
            s.callDone.notify_all();
            if (SThread::StopRequested())
                return nullptr;
        }
        if (!SThread::SleepFor(period))
            break;
    }
    return nullptr;
}

// Removes the first entry equal to the pair and waits for its running call.
void RemoveIdleEntry(const SIdleData& entry)
{
    IdleState& s = Idle();
    std::unique_lock<std::mutex> lock(s.mutex);
    auto it = std::find(s.idledata.begin(), s.idledata.end(), entry);
    if (it != s.idledata.end())
        s.idledata.erase(it);
    if (onIdleThread)
        return;
    s.callDone.wait(lock, [&] { return std::find(s.calling.begin(), s.calling.end(), entry) == s.calling.end(); });
}

void StopIdleThread(SThread* t)
{
    if (!t)
        return;
    t->Cancel();  // joins, or only marks it stopped when called on it
    delete t;
}

}  // namespace

STimerIdle::STimerIdle(kova::gui::SControl* c, int timerId, int p, bool f)
    : control(c), id(timerId), period(p), flag(f)
{
    IdleState& s = Idle();
    std::lock_guard<std::mutex> lock(s.mutex);
    ++s.timers;
    if (!s.idletimerrunning) {
        s.period = p;
        s.idlethread = new SThread(2);
        s.idletimerrunning = s.idlethread->Start(&IdleThreadFunc, &s) == 0;
        if (!s.idletimerrunning) {
            delete s.idlethread;
            s.idlethread = nullptr;
        }
    }
}

STimerIdle::~STimerIdle()
{
    RemoveFunction();
    IdleState& s = Idle();
    SThread* stop = nullptr;
    {
        std::lock_guard<std::mutex> lock(s.mutex);
        if (s.timers > 0)
            --s.timers;
        if (s.timers == 0 && s.idletimerrunning) {
            stop = s.idlethread;
            s.idlethread = nullptr;
            s.idletimerrunning = false;
        }
    }
    StopIdleThread(stop);
}

void STimerIdle::SetFunction(void (**fn)(void*), void* arg)
{
    // A timer registers one function: a different earlier one leaves the list.
    if ((function || argument) && (function != fn || argument != arg))
        RemoveFunction();
    function = fn;
    argument = arg;
    IdleState& s = Idle();
    SIdleData entry{arg, fn};
    std::lock_guard<std::mutex> lock(s.mutex);
    if (std::find(s.idledata.begin(), s.idledata.end(), entry) == s.idledata.end())
        s.idledata.push_back(entry);
}

void STimerIdle::RemoveFunction()
{
    if (!function && !argument)
        return;
    RemoveIdleEntry(SIdleData{argument, function});
}

namespace idle {

int FunctionCount()
{
    IdleState& s = Idle();
    std::lock_guard<std::mutex> lock(s.mutex);
    return (int)s.idledata.size();
}

bool ThreadRunning()
{
    IdleState& s = Idle();
    std::lock_guard<std::mutex> lock(s.mutex);
    return s.idletimerrunning;
}

int ThreadPeriod()
{
    IdleState& s = Idle();
    std::lock_guard<std::mutex> lock(s.mutex);
    return s.period;
}

void Shutdown()
{
    IdleState& s = Idle();
    SThread* stop = nullptr;
    {
        std::lock_guard<std::mutex> lock(s.mutex);
        stop = s.idlethread;
        s.idlethread = nullptr;
        s.idletimerrunning = false;
        s.timers = 0;
        s.idledata.clear();
    }
    StopIdleThread(stop);
}

}  // namespace idle

}  // namespace kova::threading
