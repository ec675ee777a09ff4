#include "model/StepRecorder.h"

#include <algorithm>
#include <new>
#include <utility>

#include "model/EditorError.h"
#include "model/ImageSurface.h"
#include "model/SnapshotPool.h"

StepRecorder::StepRecorder(SnapshotPool& pool) : pool_(pool) {}

StepRecorder::~StepRecorder()
{
    if (recording())
        finish();
}

void StepRecorder::begin(ImageSurface& surface, std::string name, StepScope scope)
{
    if (recording())
        finish();
    step_.emplace(PictureStep(std::move(name)));
    step_->whole_ = scope == StepScope::WholePicture;
    changed_ = false;
    awaitingEncoding_ = false;
    if (++generation_ == 0) {
        std::fill(stamps_.begin(), stamps_.end(), 0u);
        generation_ = 1;
    }
    surface_ = &surface;
    surface.setRecorder(this);
}

std::optional<PictureStep> StepRecorder::finish()
{
    if (surface_ && surface_->recorder() == this)
        surface_->setRecorder(nullptr);
    surface_ = nullptr;
    std::optional<PictureStep> step;
    if (changed_)
        step.swap(step_);
    else if (step_)
        step_->recycleInto(pool_);  // tiles kept for a fill that then ran out of memory
    step_.reset();
    changed_ = false;
    awaitingEncoding_ = false;
    return step;
}

template <class Keep>
void StepRecorder::withMemory(Keep&& keep)
{
    try {
        keep();
        return;
    } catch (const std::bad_alloc&) {
    }
    if (reclaim_) {
        reclaim_();
        try {
            keep();
            return;
        } catch (const std::bad_alloc&) {
        }
    }
    throw EditorError(Failure::OutOfMemory);
}

void StepRecorder::beforeFill(const Picture& picture, const Rect& area)
{
    if (!step_ || (area.isEmpty() && !picture.encodingKept))
        return;  // this fill changes nothing
    if (step_->whole_) {
        if (!changed_)
            keepWholePicture(picture);
        return;
    }
    if (!area.isEmpty())
        withMemory([&] {
            prepareStamps(picture);
            keepTiles(picture, area);
        });
    if (!changed_)
        keepEncodingState(picture);
}

void StepRecorder::keepWholePicture(const Picture& picture)
{
    withMemory([&] {
        Picture& other = step_->other_;
        other.pixels = pool_.takePixels(picture.pixels.size());
        other.pixels.assign(picture.pixels.begin(), picture.pixels.end());
        // A kept encoding arrives without a copy when the fill drops it.
        if (!picture.encodingKept)
            other.sourceFile = picture.sourceFile;
    });
    keepEncodingState(picture);
    Picture& other = step_->other_;
    other.pixelsUnusable = picture.pixelsUnusable;
}

void StepRecorder::keepEncodingState(const Picture& picture)
{
    Picture& other = step_->other_;
    other.kind = picture.kind;
    other.width = picture.width;
    other.height = picture.height;
    other.encodingKept = picture.encodingKept;
    other.keptPixelOffset = picture.keptPixelOffset;
    awaitingEncoding_ = picture.encodingKept;
    changed_ = true;
}

void StepRecorder::prepareStamps(const Picture& picture)
{
    if (picture.width == stampedWidth_ && picture.height == stampedHeight_)
        return;
    const int columns = (picture.width + kTileSide - 1) / kTileSide;
    const int rows = (picture.height + kTileSide - 1) / kTileSide;
    stamps_.assign(static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows), 0u);
    tileColumns_ = columns;
    stampedWidth_ = picture.width;
    stampedHeight_ = picture.height;
    // Tiles this step kept before belong to another picture size and cannot exist:
    // the size changes only by a replacement, which ends the tile recording.
    generation_ = 1;
}

void StepRecorder::keepTiles(const Picture& picture, const Rect& area)
{
    const int firstColumn = area.left / kTileSide;
    const int lastColumn = (area.right - 1) / kTileSide;
    const int firstRow = area.top / kTileSide;
    const int lastRow = (area.bottom - 1) / kTileSide;
    for (int row = firstRow; row <= lastRow; ++row) {
        std::uint32_t* stamp = stamps_.data() + static_cast<std::size_t>(row) * static_cast<std::size_t>(tileColumns_);
        for (int column = firstColumn; column <= lastColumn; ++column) {
            if (stamp[column] != generation_) {
                keepTile(picture, column, row);
                stamp[column] = generation_;
            }
        }
    }
}

void StepRecorder::keepTile(const Picture& picture, int column, int row)
{
    const Rect area{column * kTileSide, row * kTileSide, std::min((column + 1) * kTileSide, picture.width),
                    std::min((row + 1) * kTileSide, picture.height)};
    TileBuffer buffer = pool_.takeTile();
    const int width = area.right - area.left;
    const auto stride = static_cast<std::size_t>(picture.width);
    std::uint32_t* saved = buffer.get();
    for (int y = area.top; y < area.bottom; ++y, saved += width) {
        const std::uint32_t* source =
            picture.pixels.data() + static_cast<std::size_t>(y) * stride + static_cast<std::size_t>(area.left);
        std::copy(source, source + width, saved);
    }
    step_->tiles_.push_back(PictureStep::Tile{area, std::move(buffer)});
}

void StepRecorder::takeDroppedEncoding(std::vector<std::uint8_t>&& file) noexcept
{
    if (!awaitingEncoding_ || !step_)
        return;
    step_->other_.sourceFile.swap(file);
    awaitingEncoding_ = false;
}

void StepRecorder::takeReplacedPicture(Picture&& outgoing) noexcept
{
    if (!step_)
        return;
    if (changed_ && step_->whole_)
        return;  // the step already holds the picture it started from
    if (changed_ && step_->fits(outgoing))
        step_->exchangeWith(outgoing);  // back to the picture the stroke started from
    for (PictureStep::Tile& tile : step_->tiles_)
        pool_.giveTile(std::move(tile.pixels));
    step_->tiles_.clear();
    step_->whole_ = true;
    step_->other_ = std::move(outgoing);
    changed_ = true;
    awaitingEncoding_ = false;
}
