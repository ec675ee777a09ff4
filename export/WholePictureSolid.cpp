#include "export/WholePictureSolid.h"

#include <algorithm>

#include "export/BuildAdaptiveSurface.h"
#include "model/EditorError.h"
#include "model/Picture.h"

namespace {

// The channel sums of the picture's pixels, rows top first.
std::vector<std::uint16_t> ChannelSums(const Picture& picture)
{
    std::vector<std::uint16_t> sums(picture.pixels.size());
    for (std::size_t k = 0; k < sums.size(); ++k) {
        const std::uint32_t p = picture.pixels[k];
        sums[k] = static_cast<std::uint16_t>((p & 0xFF) + ((p >> 8) & 0xFF) + ((p >> 16) & 0xFF));
    }
    return sums;
}

void RequireMeshablePicture(const Picture& picture)
{
    if (picture.kind != PictureKind::Bitmap)
        throw EditorError(Failure::NotABitmap);
    if (picture.pixelsUnusable)
        throw EditorError(Failure::BitmapNotValid);
    if (picture.width < 2 || picture.height < 2)
        throw EditorError(Failure::PictureTooNarrow);
}

// A writer's reading is reported after every so many triangles.
constexpr std::uint32_t kReportEvery = std::uint32_t{1} << 16;

} // namespace

WholePictureSolid::WholePictureSolid(const Picture& picture, const SolidSettings& settings, ProgressCallback progress)
    : width_(picture.width), height_(picture.height), progress_(std::move(progress))
{
    RequireMeshablePicture(picture);
    sums_ = ChannelSums(picture);
    AdaptiveSurfaceOptions options;
    if (progress_)
        options.progress = [this](double fraction) { return progress_(fraction * kMeshingShare); };
    const HeightField field{width_, height_, sums_.data()};
    solid_ = BuildClosedSolid(BuildAdaptiveSurface(field, settings.maxErrorTenths, options));

    topVertices_ = static_cast<std::uint32_t>(solid_.top.vertexCount());
    vertexCount_ = static_cast<std::uint32_t>(solid_.vertexCount());
    triangleCount_ = static_cast<std::uint32_t>(solid_.triangleCount());
    std::uint32_t before = 0;
    for (const SurfaceBlock& block : solid_.top.blocks) {
        blockTriangles_.push_back(before);
        before += static_cast<std::uint32_t>(block.triangleCount());
    }
    blockTriangles_.push_back(before);

    const int longest = std::max(width_, height_);
    sideMm_ = settings.longestSideMm;
    xSteps_ = settings.keepProportions ? longest - 1 : width_ - 1;
    ySteps_ = settings.keepProportions ? longest - 1 : height_ - 1;
    baseMm_ = settings.baseMm;
    reliefMm_ = settings.reliefMm;
    invert_ = settings.invert;
}

LatticePoint WholePictureSolid::topPoint(std::uint32_t number) const
{
    const std::vector<SurfaceBlock>& blocks = solid_.top.blocks;
    const auto holds = [&](std::size_t b) {
        return number >= blocks[b].firstVertex && number - blocks[b].firstVertex < blocks[b].vertices.size();
    };
    if (!holds(vertexBlock_)) {
        // The last block whose first vertex is at or before the number.
        const auto after = std::upper_bound(blocks.begin(), blocks.end(), number,
                                            [](std::uint32_t n, const SurfaceBlock& b) { return n < b.firstVertex; });
        vertexBlock_ = static_cast<std::size_t>(after - blocks.begin()) - 1;
    }
    const SurfaceBlock& block = blocks[vertexBlock_];
    return block.vertices[number - block.firstVertex].unpack();
}

// Side x (steps / all steps): the far edge comes out as the side exactly.
SolidVertex WholePictureSolid::vertexAt(std::uint32_t number) const
{
    const bool bottom = number >= topVertices_;
    const LatticePoint p = bottom ? solid_.bottom[number - topVertices_].unpack() : topPoint(number);
    const double x = sideMm_ * ((width_ - 1 - p.c) / xSteps_);
    const double y = sideMm_ * (p.r / ySteps_);
    double z = 0;
    if (!bottom) {
        const int sum = sums_[static_cast<std::size_t>(p.r) * static_cast<std::size_t>(width_) +
                              static_cast<std::size_t>(p.c)];
        z = baseMm_ + reliefMm_ * ((invert_ ? kMaxChannelSum - sum : sum) / double(kMaxChannelSum));
    }
    return {static_cast<float>(x), static_cast<float>(y), static_cast<float>(z)};
}

void WholePictureSolid::vertices(std::uint32_t first, std::span<SolidVertex> out) const
{
    for (std::size_t k = 0; k < out.size(); ++k)
        out[k] = vertexAt(first + static_cast<std::uint32_t>(k));
}

void WholePictureSolid::gather(std::span<const std::uint32_t> indices, std::span<SolidVertex> out) const
{
    for (std::size_t k = 0; k < indices.size(); ++k)
        out[k] = vertexAt(indices[k]);
}

// The top's triangles block by block, then the sides' (walls and bottom).
void WholePictureSolid::seekTriangle(std::uint32_t number) const
{
    const auto after = std::upper_bound(blockTriangles_.begin(), blockTriangles_.end(), number);
    triangleBlock_ = static_cast<std::size_t>(after - blockTriangles_.begin()) - 1;
    triangleInBlock_ = number - blockTriangles_[triangleBlock_];
    nextTriangle_ = number;
}

void WholePictureSolid::triangles(std::uint32_t first, std::span<SolidTriangle> out) const
{
    if (first != nextTriangle_)
        seekTriangle(first);
    const std::vector<SurfaceBlock>& blocks = solid_.top.blocks;
    for (SolidTriangle& triangle : out) {
        reportReading(nextTriangle_);
        while (triangleBlock_ < blocks.size() && triangleInBlock_ == blocks[triangleBlock_].triangleCount()) {
            ++triangleBlock_;
            triangleInBlock_ = 0;
        }
        if (triangleBlock_ < blocks.size()) {
            const SurfaceBlock& block = blocks[triangleBlock_];
            for (std::size_t k = 0; k < 3; ++k)
                triangle.v[k] = block.corner(3 * triangleInBlock_ + k);
        } else {
            for (std::size_t k = 0; k < 3; ++k)
                triangle.v[k] = solid_.sideCorners[3 * triangleInBlock_ + k];
        }
        ++triangleInBlock_;
        ++nextTriangle_;
    }
}

void WholePictureSolid::reportReading(std::uint32_t triangle) const
{
    // Now and then, and once more for the last triangle, so that a writer's run ends at 1.
    if (!progress_ || (triangle < nextReport_ && triangle + 1 != triangleCount_))
        return;
    nextReport_ = triangle + kReportEvery;
    const double read = double(triangle + 1) / triangleCount_;
    if (!progress_(kMeshingShare + (1 - kMeshingShare) * read))
        throw MeshingCancelled();
}
