#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "model/ImageSurface.h"
#include "model/Picture.h"
#include "model/TileBuffer.h"

class SnapshotPool;

// One undo step: the state of the picture on the other side of one change. A whole step
// holds a whole picture (New, Load, the whole-picture blur); a tile step holds the tiles
// a stroke overwrote and the kept encoding it dropped. Undo and redo are one and the
// same exchange: the picture takes the step's state and the step keeps the picture's,
// so nothing is copied, memory stays as it is, and redo after undo is exact.
class PictureStep {
public:
    // A whole step that brings `other` back.
    PictureStep(std::string name, Picture other);

    PictureStep(PictureStep&&) noexcept = default;
    PictureStep& operator=(PictureStep&&) noexcept = default;

    const std::string& name() const { return name_; }
    bool wholePicture() const { return whole_; }
    std::size_t tileCount() const { return tiles_.size(); }
    // The memory the step holds: pixels, tiles and kept encoding.
    std::size_t bytes() const;

    // Exchanges the picture's state with the step's and runs the surface's change
    // notification. A tile step whose picture no longer has the kind and size it was
    // recorded on changes nothing and returns false; only a change that went round the
    // history can bring that about.
    bool exchange(ImageSurface& surface);

    // Gives the step's buffers to the pool for later steps; the step holds nothing after.
    void recycleInto(SnapshotPool& pool) noexcept;

private:
    friend class StepRecorder;

    struct Tile {
        Rect area;          // within the picture
        TileBuffer pixels;  // the area's rows one after another
    };

    explicit PictureStep(std::string name);  // a tile step, no tiles yet
    bool fits(const Picture& picture) const;
    Rect exchangeWith(Picture& picture) noexcept;

    std::string name_;
    bool whole_ = false;
    // Whole: the other picture. Tiles: the kind and size the tiles belong to, and the
    // other state of the kept encoding (sourceFile, encodingKept, keptPixelOffset).
    Picture other_;
    std::vector<Tile> tiles_;
};
