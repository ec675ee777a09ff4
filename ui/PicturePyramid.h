#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "model/ImageSurface.h"
#include "model/Picture.h"
#include "model/PixelBuffer.h"

// Means of a picture's blocks, for drawing it zoomed out without reading every pixel:
// level k (1 to 6, down to 1/64, the smallest zoom) holds the picture at 1/2^k, each pixel
// the rounded mean of the 2^k x 2^k picture pixels it covers (of those that exist, along
// an odd edge). Each level is taken from the picture itself, not from the level below, so
// levels can be made in any order, and one is exact however it was brought up to date.
// A level pixel takes three bytes, blue, green and red, so that a little-endian load of
// them reads 0x00RRGGBB: all levels together take a quarter of the picture's bytes.
//
// The picture is cut into tiles of kTileSide x kTileSide of its pixels, and every level
// keeps, per tile, whether it is stale there. invalidate() marks the tiles a change
// touched; update() makes one level current (allocating it, and the coarser ones, when
// first asked for), and with it every level already made on the same tiles, in one pass
// over the picture's pixels; refine() does the rest a little at a time, when idle.
class PicturePyramid {
public:
    static constexpr int kLevels = 6;
    static constexpr int kTileSide = 256;

    struct Level {
        int width = 0;
        int height = 0;
        std::size_t stride = 0;  // bytes from a row to the next
        const std::uint8_t* data = nullptr;  // null until the level is made
    };

    PicturePyramid();
    ~PicturePyramid();
    PicturePyramid(const PicturePyramid&) = delete;
    PicturePyramid& operator=(const PicturePyramid&) = delete;

    // Levels for a width x height picture, stale everywhere. Their memory is kept while
    // the size stays.
    void reset(int width, int height);

    // The picture changed in `changed` (picture coordinates, clipped here).
    void invalidate(const Rect& changed);

    // Brings level `level` (1 .. kLevels) up to date from `picture`, which must have the
    // size given to reset(); many tiles are shared with a second thread. Throws
    // std::bad_alloc when there is no memory for a level, which then stays unmade.
    void update(const Picture& picture, int level);

    // Brings up to `tiles` stale tiles of every level up to date (making every level);
    // returns whether any level is still stale somewhere. Throws as update() does.
    bool refine(const Picture& picture, int tiles);

    // Level k, 1 <= k <= kLevels, as last brought up to date.
    Level level(int k) const;

    // Whether level k is stale on any tile.
    bool stale(int k) const;

    // The bytes the levels and their marks hold.
    std::size_t bytes() const;

    int width() const { return width_; }
    int height() const { return height_; }

private:
    struct Stored {
        int width = 0;
        int height = 0;
        bool made = false;
        // Rows of width * 3 bytes, then slack for a four-byte load at the last pixel.
        std::vector<std::uint8_t, UninitialisedAllocator<std::uint8_t>> pixels;
    };
    struct Scratch;

    void make(int level);
    void clearStale(int tile, unsigned levels);
    unsigned madeLevels() const;
    void computeTile(const Picture& picture, int tile, unsigned levels, Scratch& scratch);

    int width_ = 0;
    int height_ = 0;
    int tilesX_ = 0;
    int tilesY_ = 0;
    Stored levels_[kLevels];
    std::vector<std::uint8_t> stale_;  // per tile: bit k - 1 set where level k is stale
    std::size_t refineFrom_ = 0;       // where refine() goes on
    std::size_t staleTiles_ = 0;       // tiles where some level is stale
    std::unique_ptr<Scratch> scratch_[2];  // one per thread
};
