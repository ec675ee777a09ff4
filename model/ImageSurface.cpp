#include "model/ImageSurface.h"

#include <algorithm>

#include "model/EditorError.h"
#include "model/PictureRecorder.h"

void ImageSurface::setDisplaySize(int width, int height)
{
    displayWidth_ = width;
    displayHeight_ = height;
}

void ImageSurface::requirePixels() const
{
    if (picture_.kind != PictureKind::Bitmap)
        throw EditorError(Failure::NotABitmap);
    if (picture_.pixelsUnusable)
        throw EditorError(Failure::BitmapNotValid);
}

void ImageSurface::setBrushColour(ColourValue colour)
{
    requirePixels();
    brush_ = ConvertColour(colour);
}

void ImageSurface::fillRect(int left, int top, int right, int bottom)
{
    requirePixels();
    Rect clipped{std::max(left, 0), std::max(top, 0), std::min(right, picture_.width),
                 std::min(bottom, picture_.height)};
    if (clipped.isEmpty())
        clipped = Rect{};
    if (recorder_)
        recorder_->beforeFill(picture_, clipped);
    if (picture_.encodingKept) {
        picture_.encodingKept = false;
        std::vector<std::uint8_t> dropped;
        dropped.swap(picture_.sourceFile);
        // Handed over rather than freed: undoing this fill brings the encoding back.
        if (recorder_)
            recorder_->takeDroppedEncoding(std::move(dropped));
    }
    if (!clipped.isEmpty()) {
        const std::uint32_t value = StoredPixel(brush_);
        const auto stride = static_cast<std::size_t>(picture_.width);
        for (int y = clipped.top; y < clipped.bottom; ++y) {
            std::uint32_t* row = picture_.pixels.data() + static_cast<std::size_t>(y) * stride;
            std::fill(row + clipped.left, row + clipped.right, value);
        }
    }
    notifyChange(clipped);
}

void ImageSurface::putPicture(Picture picture)
{
    if (recorder_)
        recorder_->takeReplacedPicture(std::move(picture_));
    picture_ = std::move(picture);
    notifyChange(Rect{0, 0, picture_.width, picture_.height});
}

void ImageSurface::restore(const std::function<Rect(Picture&)>& exchange)
{
    notifyChange(exchange(picture_));
}

void ImageSurface::keepEncoding(std::vector<std::uint8_t> file, std::uint32_t pixelOffset)
{
    picture_.sourceFile = std::move(file);
    picture_.keptPixelOffset = pixelOffset;
    picture_.encodingKept = true;
}

void ImageSurface::notifyChange(const Rect& changed)
{
    if (picture_.width > 0 && picture_.height > 0) {
        displayWidth_ = picture_.width;
        displayHeight_ = picture_.height;
    }
    if (listener_)
        listener_(changed);
}
