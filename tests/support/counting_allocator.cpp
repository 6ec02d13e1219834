#include "counting_allocator.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<bool> armed{false};
std::atomic<long> allocations{0};

}  // namespace

namespace counting_allocator {

void Arm()
{
    allocations = 0;
    armed = true;
}

long Disarm()
{
    armed = false;
    return allocations.load();
}

}  // namespace counting_allocator

// Out of line, so the compiler sees them as the allocation functions they are.
[[gnu::noinline]] void* operator new(std::size_t size)
{
    if (armed.load(std::memory_order_relaxed))
        allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}

[[gnu::noinline]] void operator delete(void* p) noexcept
{
    std::free(p);
}

[[gnu::noinline]] void operator delete(void* p, std::size_t) noexcept
{
    std::free(p);
}
