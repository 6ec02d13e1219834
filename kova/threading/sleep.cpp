#include "kova/threading/sleep.h"

#include <cerrno>
#include <ctime>
#include <unistd.h>

namespace kova::threading {

void ThreadSleep(int ms)
{
    usleep((useconds_t)ms * 1000);
}

int PreciseSleep(double seconds)
{
    timespec request;
    request.tv_sec = (time_t)seconds;
    request.tv_nsec = (long)((seconds - (double)request.tv_sec) * 1e9);
    timespec remaining{};
    while (nanosleep(&request, &remaining) != 0) {
        if (errno != EINTR)
            return errno;
        request = remaining;
    }
    return 0;
}

}  // namespace kova::threading
