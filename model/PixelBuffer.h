#pragma once
#include <cstdint>
#include <memory>
#include <new>
#include <type_traits>
#include <utility>
#include <vector>

// An allocator whose vectors grow without writing their new elements: resize() then only
// reserves memory, which the system maps when it is first written. A reader that decodes
// straight into a picture's pixels thus pays nothing for them before it has read the
// file, and no pass clears memory that the decoder overwrites anyway.
template <class T>
struct UninitialisedAllocator : std::allocator<T> {
    using std::allocator<T>::allocator;
    UninitialisedAllocator() = default;
    template <class U>
    UninitialisedAllocator(const UninitialisedAllocator<U>&) noexcept
    {
    }
    template <class U>
    struct rebind {
        using other = UninitialisedAllocator<U>;
    };

    template <class U>
    void construct(U* at) noexcept(std::is_nothrow_default_constructible_v<U>)
    {
        ::new (static_cast<void*>(at)) U;
    }
    template <class U, class... Args>
    void construct(U* at, Args&&... args)
    {
        ::new (static_cast<void*>(at)) U(std::forward<Args>(args)...);
    }
};

// A picture's pixels (see Picture). Sized with resize(), new pixels hold no set value
// until written; assign() and the constructors with a value set them as usual.
using PixelBuffer = std::vector<std::uint32_t, UninitialisedAllocator<std::uint32_t>>;
