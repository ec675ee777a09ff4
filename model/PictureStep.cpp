#include "model/PictureStep.h"

#include <algorithm>
#include <utility>

#include "model/SnapshotPool.h"

namespace {

Rect Union(const Rect& a, const Rect& b)
{
    if (a.isEmpty())
        return b;
    return Rect{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                std::max(a.bottom, b.bottom)};
}

} // namespace

PictureStep::PictureStep(std::string name, Picture other)
    : name_(std::move(name)), whole_(true), other_(std::move(other))
{
}

PictureStep::PictureStep(std::string name) : name_(std::move(name)) {}

std::size_t PictureStep::bytes() const
{
    return sizeof(PictureStep) + name_.capacity() + other_.pixels.capacity() * sizeof(std::uint32_t) +
           other_.sourceFile.capacity() + tiles_.capacity() * sizeof(Tile) +
           tiles_.size() * kTilePixels * sizeof(std::uint32_t);
}

bool PictureStep::fits(const Picture& picture) const
{
    if (whole_)
        return true;
    return picture.kind == PictureKind::Bitmap && !picture.pixelsUnusable && picture.width == other_.width &&
           picture.height == other_.height &&
           picture.pixels.size() == static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height);
}

bool PictureStep::exchange(ImageSurface& surface)
{
    if (!fits(surface.picture()))
        return false;
    surface.restore([this](Picture& picture) { return exchangeWith(picture); });
    return true;
}

Rect PictureStep::exchangeWith(Picture& picture) noexcept
{
    if (whole_) {
        std::swap(picture, other_);
        return Rect{0, 0, picture.width, picture.height};
    }
    Rect changed;
    const auto stride = static_cast<std::size_t>(picture.width);
    for (Tile& tile : tiles_) {
        const int width = tile.area.right - tile.area.left;
        std::uint32_t* saved = tile.pixels.get();
        for (int y = tile.area.top; y < tile.area.bottom; ++y, saved += width) {
            std::uint32_t* row = picture.pixels.data() + static_cast<std::size_t>(y) * stride +
                                 static_cast<std::size_t>(tile.area.left);
            std::swap_ranges(row, row + width, saved);
        }
        changed = Union(changed, tile.area);
    }
    std::swap(picture.sourceFile, other_.sourceFile);
    std::swap(picture.encodingKept, other_.encodingKept);
    std::swap(picture.keptPixelOffset, other_.keptPixelOffset);
    return changed;
}

void PictureStep::recycleInto(SnapshotPool& pool) noexcept
{
    pool.givePixels(std::move(other_.pixels));
    other_ = Picture{};
    for (Tile& tile : tiles_)
        pool.giveTile(std::move(tile.pixels));
    tiles_.clear();
}
