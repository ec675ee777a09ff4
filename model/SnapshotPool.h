#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "model/PixelBuffer.h"
#include "model/TileBuffer.h"

// Memory that undo steps let go of, kept for the next steps. Fresh memory costs a page
// fault per page when first touched, which can cost more than the copy into it; a
// history at its limit drops a step for every new one, and a change after an undo
// drops the steps that could have been redone, so new steps mostly find their memory
// here. Holds at most maxBytes, tiles at most a quarter of it.
class SnapshotPool {
public:
    explicit SnapshotPool(std::size_t maxBytes);

    // A tile buffer of kTilePixels, recycled when there is one. Throws std::bad_alloc.
    TileBuffer takeTile();
    void giveTile(TileBuffer tile) noexcept;

    // An empty buffer with room for `count` pixels: the spare one when it is large
    // enough but not wastefully so, otherwise fresh memory. Throws std::bad_alloc.
    PixelBuffer takePixels(std::size_t count);
    // Kept as the spare (replacing an earlier one) when within the pool's size.
    void givePixels(PixelBuffer&& pixels) noexcept;

    void clear() noexcept;
    std::size_t bytes() const;

private:
    std::size_t maxBytes_;
    std::vector<TileBuffer> tiles_;
    PixelBuffer spare_;
};
