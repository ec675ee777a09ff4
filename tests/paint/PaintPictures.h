#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "model/ImageSurface.h"
#include "model/Picture.h"

// Pictures for the painting tests, built straight from pixel values so the fixtures do
// not depend on the code under test.
namespace paint_test {

inline Picture FlatPicture(int width, int height, ColourValue colour)
{
    Picture picture;
    picture.width = width;
    picture.height = height;
    picture.pixels.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height),
                          StoredPixel(colour));
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

// A picture drawn as text, one character per pixel, rows top first.
inline std::vector<std::string> AsText(const ImageSurface& surface,
                                       char (*symbol)(ColourValue colour))
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

} // namespace paint_test
