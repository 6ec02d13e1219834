// A POSIX thread that is stopped cooperatively. A thread is never cancelled:
// Cancel() asks it to stop, wakes it from SleepFor(), and waits until it has
// returned. Routines started here call SThread::SleepFor() / StopRequested()
// between units of work so that a stop takes effect at those points only.
//
// Every thread started through SThread is known to a process-wide registry,
// so ShutdownThreads() can stop and join all of them before the shared object
// is unloaded.
#pragma once

#include <atomic>
#include <memory>
#include <pthread.h>

namespace kova::threading {

struct SThreadState;

class SThread {
public:
    // priority: 2 the middle of the policy's range, 3 or 4 its maximum,
    // anything else its minimum.
    explicit SThread(int priorityClass = 0);
    // Stops the thread as Cancel() does.
    ~SThread();
    SThread(const SThread&) = delete;
    SThread& operator=(const SThread&) = delete;

    // Stops a running thread first. Returns without starting when routine or
    // argument is null; otherwise 0 on success or the pthread error code.
    int Start(void* (*routine)(void*), void* arg);

    // Asks the thread to stop and waits until it has returned; called from the
    // thread itself it only asks (the thread ends when its routine returns).
    void Cancel();
    // Asks the thread to stop without waiting for it.
    void RequestStop();
    // Compatibility: threads are always joined by Cancel() or ShutdownThreads().
    void Detach() {}
    // Sleeps ms at a time until another thread calls Resume().
    int Wait(int ms);
    void Resume();
    void Finalize() {}

    bool Running() const;
    bool Waiting() const;
    int PriorityClass() const { return priorityClass; }
    // True when called on this object's thread.
    bool IsCurrent() const;

    // usleep(ms * 1000).
    static int Sleep(int ms);
    // On a thread started by SThread: sleeps up to ms, returns false at once
    // when a stop was requested. Elsewhere: a plain sleep, returns true.
    static bool SleepFor(int ms);
    // On a thread started by SThread: whether a stop was requested.
    static bool StopRequested();
    // The priority chosen for a class within [min, max].
    static int PriorityFor(int priorityClass, int min, int max);

private:
    void* (*routine)(void*) = nullptr;
    void* argument = nullptr;
    int priorityClass;
    std::atomic<bool> waiting{false};
    std::shared_ptr<SThreadState> state;
};

// Asks every thread started through SThread to stop and joins them all.
// Threads can be started again afterwards. (ShutdownThreads() in
// kova/threading/shutdown.h also retires the idle thread's state.)
void StopAllThreads();
// Number of started threads that have not been joined yet.
int LiveThreadCount();

}  // namespace kova::threading
