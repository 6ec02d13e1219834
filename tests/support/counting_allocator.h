// A count of the program's allocations: the global operator new of the test
// program (which dlopened plug-ins bind to as well) counts while armed, so
// the rest of the program is unaffected.
#pragma once

namespace counting_allocator {

// Starts counting from 0.
void Arm();
// Stops counting and returns the number of allocations since Arm().
long Disarm();

// The number of allocations made while f runs.
template <typename F>
long AllocationsDuring(F&& f)
{
    Arm();
    f();
    return Disarm();
}

}  // namespace counting_allocator
