#include "kova/threading/mutex.h"

#include <cerrno>
#include <ctime>

namespace kova::threading {

SMutexOS::SMutexOS()
{
    valid = pthread_mutex_init(&mutex, nullptr) == 0;
}

SMutexOS::~SMutexOS()
{
    if (locked)
        Unlock();
    pthread_mutex_destroy(&mutex);
}

int SMutexOS::Lock()
{
    int result = pthread_mutex_lock(&mutex);
    if (result != EINVAL && result != EDEADLK)
        locked = true;
    return result;
}

int SMutexOS::Unlock()
{
    int result = pthread_mutex_unlock(&mutex);
    if (result != EPERM && result != EINVAL)
        locked = false;
    return result;
}

SMutexID::~SMutexID()
{
    if (locked) {
        counter.fetch_sub(1, std::memory_order_release);
        locked = false;
    }
}

int SMutexID::Lock()
{
    while (counter.fetch_add(1, std::memory_order_acquire) + 1 > 1) {
        counter.fetch_sub(1, std::memory_order_relaxed);
        timespec zero{0, 0};
        nanosleep(&zero, nullptr);
    }
    // The flag only reports the state; the counter orders the accesses it
    // guards, so a plain store does (a sequentially consistent one would
    // cost a second locked instruction on every lock and unlock).
    locked.store(true, std::memory_order_relaxed);
    return 0;
}

int SMutexID::Unlock()
{
    locked.store(false, std::memory_order_relaxed);
    return counter.fetch_sub(1, std::memory_order_release);
}

}  // namespace kova::threading
