#pragma once
#include <cstdint>
#include <vector>

struct Picture;
struct Rect;

// What the image surface tells before it changes its picture, so that an undo history
// can keep exactly what a change overwrites and nothing more. Every call comes before
// the change it announces, from the surface's own fill and replacement; the surface
// keeps the calls cheap enough for every brush step and every block of a blur.
class PictureRecorder {
public:
    virtual ~PictureRecorder() = default;

    // fillRect is about to set `area` (already clipped to the picture, empty when the
    // fill misses it) and, when picture.encodingKept, to drop the kept encoding.
    // May throw (e.g. out of memory): the fill then changes nothing.
    virtual void beforeFill(const Picture& picture, const Rect& area) = 0;

    // The kept encoding that fillRect dropped right after beforeFill, handed over
    // instead of freed. Must not throw.
    virtual void takeDroppedEncoding(std::vector<std::uint8_t>&& file) noexcept = 0;

    // The picture that putPicture is replacing, handed over instead of freed; the
    // recorder may move from it. Must not throw.
    virtual void takeReplacedPicture(Picture&& outgoing) noexcept = 0;
};
