#include "counting_allocator.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<bool> armed{false};
std::atomic<long> allocations{0};
std::atomic<long> deallocations{0};

void* Allocate(std::size_t size) noexcept
{
    if (armed.load(std::memory_order_relaxed))
        allocations.fetch_add(1, std::memory_order_relaxed);
    return std::malloc(size ? size : 1);
}

void Free(void* p) noexcept
{
    if (p && armed.load(std::memory_order_relaxed))
        deallocations.fetch_add(1, std::memory_order_relaxed);
    std::free(p);
}

}  // namespace

namespace counting_allocator {

void Arm()
{
    allocations = 0;
    deallocations = 0;
    armed = true;
}

long Disarm()
{
    armed = false;
    return allocations.load();
}

long Balance()
{
    return allocations.load() - deallocations.load();
}

}  // namespace counting_allocator

// Out of line, so the compiler sees them as the allocation functions they are.
// The nothrow forms are replaced too: every block these hand out must come
// back through the same pair (a sanitizer reports any other mix).
[[gnu::noinline]] void* operator new(std::size_t size)
{
    if (void* p = Allocate(size))
        return p;
    throw std::bad_alloc();
}

[[gnu::noinline]] void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    return Allocate(size);
}

[[gnu::noinline]] void operator delete(void* p) noexcept
{
    Free(p);
}

[[gnu::noinline]] void operator delete(void* p, std::size_t) noexcept
{
    Free(p);
}

[[gnu::noinline]] void operator delete(void* p, const std::nothrow_t&) noexcept
{
    Free(p);
}
