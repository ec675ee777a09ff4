#pragma once
#include <initializer_list>
#include <utility>

#include "model/ImageSurface.h"

// Test pictures: one colour everywhere, then single pixels painted over it.
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
    picture.pixels.assign(static_cast<std::size_t>(width) * height, StoredPixel(background));
    for (const PixelPaint& p : paints)
        picture.pixels[static_cast<std::size_t>(p.y) * width + p.x] = StoredPixel(p.colour);
    return picture;
}

inline ImageSurface MakeSurface(Picture picture)
{
    ImageSurface surface;
    surface.putPicture(std::move(picture));
    return surface;
}

// A colour whose three channels add up to sum (0..765): red first, then green, then blue.
inline ColourValue ColourOfSum(int sum)
{
    const int red = sum < 255 ? sum : 255;
    const int green = sum - red < 255 ? sum - red : 255;
    return MakeColour(red, green, sum - red - green);
}
