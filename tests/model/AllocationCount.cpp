#include "tests/model/AllocationCount.h"

#include <atomic>
#include <cstdlib>
#include <new>

// Replacing the global allocation functions counts every allocation of the program.
// They live in their own file so that no caller sees malloc and free paired with new.
namespace {
std::atomic<long> gAllocations{0};
}

long AllocationCount() { return gAllocations.load(); }

void* operator new(std::size_t size)
{
    ++gAllocations;
    if (void* p = std::malloc(size == 0 ? 1 : size))
        return p;
    throw std::bad_alloc();
}

void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
