#pragma once
// Test pictures built straight from pixel values, so the fixtures do not depend on the
// code under test: one colour everywhere with single pixels painted over it, icons, and
// ways to read pixels back.
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "model/ImageSurface.h"
#include "model/Picture.h"

struct PixelPaint {
    int x, y;
    ColourValue colour;
};

inline Picture MakePicture(int width, int height, ColourValue background,
                           std::initializer_list<PixelPaint> paints = {})
{
    Picture picture;
    picture.width = width;
    picture.height = height;
    picture.pixels.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height),
                          StoredPixel(background));
    for (const PixelPaint& p : paints)
        picture.pixels[static_cast<std::size_t>(p.y) * static_cast<std::size_t>(width) +
                       static_cast<std::size_t>(p.x)] = StoredPixel(p.colour);
    return picture;
}

inline ImageSurface SurfaceWith(Picture picture)
{
    ImageSurface surface;
    surface.putPicture(std::move(picture));
    return surface;
}

// A 32 x 32 icon: a picture with a size but no pixels to paint on.
inline ImageSurface IconSurface()
{
    Picture icon;
    icon.kind = PictureKind::Icon;
    icon.width = icon.height = 32;
    return SurfaceWith(std::move(icon));
}

inline void SetPixel(Picture& picture, int x, int y, ColourValue colour)
{
    picture.pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(picture.width) +
                   static_cast<std::size_t>(x)] = StoredPixel(colour);
}

// The colour value of a pixel as stored, without going through the surface's reads.
inline ColourValue PixelOf(const ImageSurface& surface, int x, int y)
{
    const Picture& picture = surface.picture();
    return picture.pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(picture.width) +
                          static_cast<std::size_t>(x)] & 0x00FFFFFFu;
}

inline ColourValue Grey(int level)
{
    return MakeColour(level, level, level);
}

// A colour whose three channels add up to sum (0..765): red first, then green, then blue.
inline ColourValue ColourOfSum(int sum)
{
    const int red = sum < 255 ? sum : 255;
    const int green = sum - red < 255 ? sum - red : 255;
    return MakeColour(red, green, sum - red - green);
}

// A picture drawn as text, one character per pixel, rows top first.
inline std::vector<std::string> AsText(const ImageSurface& surface, char (*symbol)(ColourValue colour))
{
    std::vector<std::string> rows;
    const Picture& picture = surface.picture();
    for (int y = 0; y < picture.height; ++y) {
        std::string row;
        for (int x = 0; x < picture.width; ++x)
            row += symbol(PixelOf(surface, x, y));
        rows.push_back(row);
    }
    return rows;
}

// A 60 x 40 height map with black, white, intensity-250 and graded areas, so that each
// export option has faces to leave out and faces at exactly height 10 on average to keep.
inline Picture TerrainPicture()
{
    Picture picture = MakePicture(60, 40, kBlack);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 60; ++x) {
            if (x >= 20 && x < 35)
                SetPixel(picture, x, y, kWhite);
            else if (x >= 35 && x < 45)
                SetPixel(picture, x, y, Grey(250));
            else if (x >= 45)
                SetPixel(picture, x, y, ColourOfSum((x * 13 + y * 7) % 766));
        }
    return picture;
}

// Black and white pixels in turn, black at the top-left corner.
inline Picture Checkerboard(int width, int height)
{
    Picture picture = MakePicture(width, height, kBlack);
    for (int y = 0; y < height; ++y)
        for (int x = (y + 1) % 2; x < width; x += 2)
            SetPixel(picture, x, y, kWhite);
    return picture;
}

// A busy deterministic picture, every pixel's channels from a fixed sequence: no two
// neighbours alike, so a wrong sample position or a pattern a zoom lines up with shows.
inline Picture NoisePicture(int width, int height, std::uint32_t seed = 12345)
{
    Picture picture = MakePicture(width, height, kBlack);
    for (auto& pixel : picture.pixels) {
        seed = seed * 1103515245u + 12345u;
        pixel = StoredPixel(seed >> 8);
    }
    return picture;
}
