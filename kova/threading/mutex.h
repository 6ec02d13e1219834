// The two lock kinds of the toolkit. SMutexOS blocks in the kernel and guards
// state shared between host threads and the GUI; SMutexID is a spin lock that
// never blocks (beyond a zero-length yield), for the audio thread.
#pragma once

#include <atomic>
#include <pthread.h>

namespace kova::threading {

class SMutexBase {
public:
    virtual ~SMutexBase() = default;
    virtual int Lock() = 0;
    virtual int Unlock() = 0;
};

class SMutexOS : public SMutexBase {
public:
    SMutexOS();
    ~SMutexOS() override;
    SMutexOS(const SMutexOS&) = delete;
    SMutexOS& operator=(const SMutexOS&) = delete;

    // Result of pthread_mutex_lock / _unlock; the locked flag follows success.
    int Lock() override;
    int Unlock() override;

    bool IsLocked() const { return locked.load(std::memory_order_relaxed); }
    bool IsValid() const { return valid; }

private:
    pthread_mutex_t mutex;
    std::atomic<bool> locked{false};
    bool valid = false;
};

class SMutexID : public SMutexBase {
public:
    SMutexID() = default;
    ~SMutexID() override;
    SMutexID(const SMutexID&) = delete;
    SMutexID& operator=(const SMutexID&) = delete;

    // Spins (yielding with a zero-length nanosleep) until the counter is ours.
    // Not recursive: locking twice from one thread waits forever.
    int Lock() override;
    // Returns the counter value before the release (1 after a single Lock).
    int Unlock() override;

    bool IsLocked() const { return locked.load(std::memory_order_relaxed); }

private:
    std::atomic<int> counter{0};
    std::atomic<bool> locked{false};
};

}  // namespace kova::threading
