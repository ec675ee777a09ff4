#pragma once
#include <cstddef>
#include <vector>

// Asks the system to back [data, data + bytes) with huge pages where it can. Does
// nothing for small ranges or where the system has no such advice.
void AdviseHugePages(void* data, std::size_t bytes);

// Fills a vector with count copies of value, for buffers of whole pictures and files.
// The memory is advised as huge pages before it is first touched: a fresh 256 MB
// picture otherwise takes 65,536 page faults, which cost more than decoding into it.
template <typename T, typename Allocator>
void AssignLarge(std::vector<T, Allocator>& buffer, std::size_t count, const T& value = T())
{
    buffer.clear();
    buffer.reserve(count);
    AdviseHugePages(buffer.data(), count * sizeof(T));
    buffer.assign(count, value);
}

// Sizes a vector to count elements as its allocator makes them (with a PixelBuffer:
// unwritten), advised as AssignLarge does. For buffers a reader fills completely.
template <typename T, typename Allocator>
void SizeLarge(std::vector<T, Allocator>& buffer, std::size_t count)
{
    buffer.clear();
    buffer.reserve(count);
    AdviseHugePages(buffer.data(), count * sizeof(T));
    buffer.resize(count);
}
