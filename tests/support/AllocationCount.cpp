#include "tests/support/AllocationCount.h"

#include <atomic>
#include <cstdlib>
#include <new>

// Replacing the global allocation functions counts every allocation of the program.
// They live in their own file so that no caller sees malloc and free paired with new.
namespace {
std::atomic<long> gAllocations{0};
std::atomic<std::size_t> gLargest{0};
std::atomic<long> gFailing{0};
std::atomic<std::size_t> gFailingFrom{0};
}  // namespace

long AllocationCount() { return gAllocations.load(); }
std::size_t LargestAllocation() { return gLargest.load(); }
void ResetLargestAllocation() { gLargest = 0; }
void FailAllocations(long count, std::size_t atLeast)
{
    gFailingFrom = atLeast;
    gFailing = count;
}

void* operator new(std::size_t size)
{
    ++gAllocations;
    if (size >= gFailingFrom.load() && gFailing.load() > 0) {
        --gFailing;
        throw std::bad_alloc();
    }
    std::size_t largest = gLargest.load();
    while (size > largest && !gLargest.compare_exchange_weak(largest, size)) {
    }
    if (void* p = std::malloc(size == 0 ? 1 : size))
        return p;
    throw std::bad_alloc();
}

void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
