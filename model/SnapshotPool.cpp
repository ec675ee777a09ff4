#include "model/SnapshotPool.h"

#include <new>
#include <utility>

#include "model/LargeBuffer.h"

namespace {

constexpr std::size_t kTileBytes = kTilePixels * sizeof(std::uint32_t);

} // namespace

SnapshotPool::SnapshotPool(std::size_t maxBytes) : maxBytes_(maxBytes) {}

TileBuffer SnapshotPool::takeTile()
{
    if (tiles_.empty())
        return TileBuffer(new std::uint32_t[kTilePixels]);
    TileBuffer tile = std::move(tiles_.back());
    tiles_.pop_back();
    return tile;
}

void SnapshotPool::giveTile(TileBuffer tile) noexcept
{
    // Tiles get a quarter: enough for the strokes that follow a dropped one, and the
    // rest stays for a whole picture.
    if (!tile || (tiles_.size() + 1) * kTileBytes > maxBytes_ / 4)
        return;
    try {
        tiles_.push_back(std::move(tile));
    } catch (const std::bad_alloc&) {
        // Only a cache: the tile is freed instead.
    }
}

PixelBuffer SnapshotPool::takePixels(std::size_t count)
{
    // Half empty at worst, so a small picture never holds on to a large buffer.
    if (spare_.capacity() >= count && spare_.capacity() / 2 <= count) {
        PixelBuffer buffer;
        buffer.swap(spare_);
        buffer.clear();
        return buffer;
    }
    PixelBuffer fresh;
    fresh.reserve(count);
    AdviseHugePages(fresh.data(), count * sizeof(std::uint32_t));
    return fresh;
}

void SnapshotPool::givePixels(PixelBuffer&& pixels) noexcept
{
    const std::size_t others = tiles_.size() * kTileBytes;
    if (pixels.capacity() == 0 || others + pixels.capacity() * sizeof(std::uint32_t) > maxBytes_) {
        PixelBuffer().swap(pixels);
        return;
    }
    // The latest buffer is the likeliest size for the next step.
    spare_.swap(pixels);
    PixelBuffer().swap(pixels);
}

void SnapshotPool::clear() noexcept
{
    std::vector<TileBuffer>().swap(tiles_);
    PixelBuffer().swap(spare_);
}

std::size_t SnapshotPool::bytes() const
{
    return tiles_.size() * kTileBytes + spare_.capacity() * sizeof(std::uint32_t);
}
