#pragma once
#include <cstddef>

// The program's one replacement of operator new (tests/support/AllocationCount.cpp)
// counts every allocation, so a test can show that an operation allocates nothing or
// that nothing as large as a picture was asked for.

// How many times operator new has run in this test program so far.
long AllocationCount();

// The largest single allocation since the last call of ResetLargestAllocation.
std::size_t LargestAllocation();
void ResetLargestAllocation();

// The next `count` allocations of at least `atLeast` bytes fail with std::bad_alloc, as
// when memory runs out for large buffers; FailAllocations(0) stops it.
void FailAllocations(long count, std::size_t atLeast = 0);
