#include "kova/threading/thread.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <sched.h>
#include <unistd.h>
#include <vector>

namespace kova::threading {

// Shared between the SThread object, the registry and the running thread, so
// that whichever lets go last frees it; a thread whose owner deleted it from
// inside its own routine still finds its state.
struct SThreadState {
    std::mutex mutex;
    std::condition_variable wake;
    bool stop = false;
    bool finished = false;
    bool claimed = false;  // someone has taken on the join
    bool joined = false;
    pthread_t handle{};
    void* (*routine)(void*) = nullptr;
    void* argument = nullptr;
};

namespace {

std::mutex registryMutex;
std::vector<std::shared_ptr<SThreadState>>& Registry()
{
    static std::vector<std::shared_ptr<SThreadState>> registry;
    return registry;
}

thread_local SThreadState* current = nullptr;

void* Trampoline(void* p)
{
    auto* holder = static_cast<std::shared_ptr<SThreadState>*>(p);
    std::shared_ptr<SThreadState> st = *holder;
    delete holder;
    current = st.get();
    st->routine(st->argument);
    current = nullptr;
    {
        std::lock_guard<std::mutex> lock(st->mutex);
        st->finished = true;
    }
    st->wake.notify_all();
    return nullptr;
}

void AskToStop(SThreadState& st)
{
    {
        std::lock_guard<std::mutex> lock(st.mutex);
        st.stop = true;
    }
    st.wake.notify_all();
}

// Joins the thread once; a second caller waits until the first has joined.
void Join(const std::shared_ptr<SThreadState>& st)
{
    bool mine = false;
    {
        std::lock_guard<std::mutex> lock(st->mutex);
        if (!st->claimed) {
            st->claimed = true;
            mine = true;
        }
    }
    if (mine) {
        pthread_join(st->handle, nullptr);
        {
            std::lock_guard<std::mutex> lock(st->mutex);
            st->joined = true;
        }
        st->wake.notify_all();
        std::lock_guard<std::mutex> lock(registryMutex);
        auto& reg = Registry();
        reg.erase(std::remove(reg.begin(), reg.end(), st), reg.end());
        return;
    }
    std::unique_lock<std::mutex> lock(st->mutex);
    st->wake.wait(lock, [&] { return st->joined; });
}

// Joins threads that stopped themselves and have already returned.
void ReapFinished()
{
    std::vector<std::shared_ptr<SThreadState>> done;
    {
        std::lock_guard<std::mutex> lock(registryMutex);
        for (auto& st : Registry()) {
            std::lock_guard<std::mutex> l(st->mutex);
            if (st->finished && !st->claimed)
                done.push_back(st);
        }
    }
    for (auto& st : done)
        Join(st);
}

}  // namespace

SThread::SThread(int cls) : priorityClass(cls) {}

SThread::~SThread()
{
    Cancel();
}

int SThread::PriorityFor(int cls, int min, int max)
{
    if (min < 0 || max < 0)
        return 0;
    if (cls == 2)
        return min + ((max - min) >> 1);
    if (cls == 3 || cls == 4)
        return max;
    return min;
}

int SThread::Start(void* (*r)(void*), void* arg)
{
    if (Running())
        Cancel();
    state.reset();
    routine = r;
    argument = arg;
    if (!r || !arg)
        return EINVAL;
    ReapFinished();

    pthread_attr_t attr;
    int result = pthread_attr_init(&attr);
    if (result != 0)
        return result;
    int policy = SCHED_OTHER;
    pthread_attr_getschedpolicy(&attr, &policy);
    sched_param param{};
    param.sched_priority = PriorityFor(priorityClass, sched_get_priority_min(policy), sched_get_priority_max(policy));
    pthread_attr_setschedpolicy(&attr, SCHED_OTHER);
    if (pthread_attr_setschedparam(&attr, &param) != 0) {
        // SCHED_OTHER accepts only priority 0.
        param.sched_priority = 0;
        pthread_attr_setschedparam(&attr, &param);
    }

    auto st = std::make_shared<SThreadState>();
    st->routine = r;
    st->argument = arg;
    auto* holder = new std::shared_ptr<SThreadState>(st);
    {
        // Registered before the thread runs, so ShutdownThreads() never misses it.
        std::lock_guard<std::mutex> lock(registryMutex);
        result = pthread_create(&st->handle, &attr, Trampoline, holder);
        if (result == 0)
            Registry().push_back(st);
    }
    pthread_attr_destroy(&attr);
    if (result != 0) {
        delete holder;
        return result;
    }
    state = st;
    waiting = false;
    return 0;
}

void SThread::Cancel()
{
    std::shared_ptr<SThreadState> st = std::move(state);
    state.reset();
    if (!st)
        return;
    AskToStop(*st);
    if (current == st.get())
        return;  // the routine ends when it returns; the registry joins it later
    Join(st);
}

void SThread::RequestStop()
{
    if (state)
        AskToStop(*state);
}

bool SThread::Running() const
{
    if (!state)
        return false;
    std::lock_guard<std::mutex> lock(state->mutex);
    return !state->finished;
}

bool SThread::Waiting() const
{
    return waiting.load();
}

bool SThread::IsCurrent() const
{
    return state && current == state.get();
}

int SThread::Wait(int ms)
{
    waiting = true;
    int result = 0;
    while (waiting.load())
        result = usleep((useconds_t)ms * 1000);
    return result;
}

void SThread::Resume()
{
    waiting = false;
}

int SThread::Sleep(int ms)
{
    return usleep((useconds_t)ms * 1000);
}

bool SThread::SleepFor(int ms)
{
    SThreadState* st = current;
    if (!st) {
        usleep((useconds_t)ms * 1000);
        return true;
    }
    std::unique_lock<std::mutex> lock(st->mutex);
    st->wake.wait_for(lock, std::chrono::milliseconds(ms), [&] { return st->stop; });
    return !st->stop;
}

bool SThread::StopRequested()
{
    SThreadState* st = current;
    if (!st)
        return false;
    std::lock_guard<std::mutex> lock(st->mutex);
    return st->stop;
}

void StopAllThreads()
{
    std::vector<std::shared_ptr<SThreadState>> all;
    {
        std::lock_guard<std::mutex> lock(registryMutex);
        all = Registry();
    }
    for (auto& st : all)
        AskToStop(*st);
    for (auto& st : all) {
        if (current == st.get())
            continue;
        Join(st);
    }
}

int LiveThreadCount()
{
    std::lock_guard<std::mutex> lock(registryMutex);
    return (int)Registry().size();
}

}  // namespace kova::threading
