#pragma once
#include <QImage>
#include <QRect>
#include <QSize>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "ui/PicturePyramid.h"
#include "ui/ViewMapping.h"

// Draws a bitmap picture into the view's frame at any zoom, reading only what the view
// shows: from 100 % up each picture pixel is a sharp square; below, each view pixel is the
// mean of the area it covers, made of the blocks of the pyramid level the zoom falls on
// and weighted by how much of each the area covers (up to three by three). That is the
// exact mean of the picture pixels covered above 50 % and at 50 %, 25 % ... 1/64, where
// the area is one block; in between, the mean to within the blocks the area's edges cut.
// A frame's work thus follows the view's pixels, at every zoom.
class CanvasRenderer {
public:
    // The pyramid's level a zoom reads: 0 (the picture) from 50 % up, else the finest
    // level whose pixels the view's pixels still cover.
    static int LevelFor(double zoom);

    // The picture was replaced, or its kind or size changed.
    void reset(const Picture& picture);
    // Part of the picture changed (picture coordinates).
    void invalidate(const Rect& changed);
    // Brings up to `tiles` tiles of the pyramid up to date, for idle time; returns
    // whether more remain.
    bool refine(const Picture& picture, int tiles);

    // Whether memory ran out for a pyramid level since the last call. Such a level is
    // drawn black and asked for again next time; nothing throws.
    bool takeLackOfMemory();

    // Draws the view pixels `area` (view coordinates) of `picture` as `mapping` shows it
    // and returns them as an RGB32 image of the area's size, its pixel (0, 0) being the
    // area's top-left one; valid until the next call. Pixels of the area that show none
    // of the picture are black. The view asks for bands of rows, so that the memory this
    // takes follows the view's width, not its size.
    const QImage& render(const Picture& picture, const ViewMapping& mapping, const QRect& area);

    // Bytes held for drawing: the pyramid, the band and the scratch rows.
    std::size_t bytes() const;

    const PicturePyramid& pyramid() const { return pyramid_; }

    // One view column's (or row's) share of the level pixels its area covers: `count`
    // of them (one to three) from `first`, with weights summing to 4096. Taps past the
    // count name the first pixel with no weight, so every view pixel can take three.
    struct Taps {
        int first = 0;
        int count = 0;
        int pixel[3] = {};
        std::uint32_t weight[3] = {};
    };

private:
    // Where view pixels go: the band's pixel (x, y) in view coordinates.
    struct Band {
        std::uint32_t* pixels;
        std::size_t stride;  // pixels from a row to the next
        QPoint origin;       // the view pixel at pixels[0]
        std::uint32_t* at(int x, int y) const
        {
            return pixels + static_cast<std::size_t>(y - origin.y()) * stride + static_cast<std::size_t>(x - origin.x());
        }
    };

    void drawNearest(const Picture& picture, const ViewMapping& mapping, const QRect& area, const Band& band);
    void drawLevel(int level, const ViewMapping& mapping, const QRect& area, const Band& band);
    void drawBox(const Picture& picture, int level, const ViewMapping& mapping, const QRect& area, const Band& band);

    PicturePyramid pyramid_;
    bool lackedMemory_ = false;
    std::vector<std::uint32_t> band_;
    QImage image_;  // band_'s pixels as the last area's image
    std::vector<int> columns_;
    std::vector<Taps> columnTaps_;
    std::vector<Taps> rowTaps_;
    // A few level rows filtered across to the view's columns.
    std::vector<std::uint16_t> filteredRows_;
};

// The taps of view coordinates [from, to) at `zoom` and `scroll` over `level`, for a
// picture `extent` pixels long; a view pixel partly past the picture's edge weighs only
// the part on it.
void BoxTaps(int from, int to, int scroll, double zoom, int level, int extent, std::vector<CanvasRenderer::Taps>& taps);
