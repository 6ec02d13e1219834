// A count of the program's allocations: the global operator new of the test
// program (which dlopened plug-ins bind to as well) counts while armed, so
// the rest of the program is unaffected.
#pragma once

namespace counting_allocator {

// Starts counting from 0.
void Arm();
// Stops counting and returns the number of allocations since Arm().
long Disarm();
// Allocations minus deallocations between the last Arm() and Disarm().
long Balance();

// The number of allocations made while f runs.
template <typename F>
long AllocationsDuring(F&& f)
{
    Arm();
    f();
    return Disarm();
}

// How many of the allocations made while f runs outlive it (what f frees of
// earlier allocations counts against them).
template <typename F>
long AllocationsLeftBy(F&& f)
{
    Arm();
    f();
    Disarm();
    return Balance();
}

}  // namespace counting_allocator
