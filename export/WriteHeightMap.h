#pragma once
#include <cstdint>

#include "model/HeightScale.h"

class BufferedWriter;
struct Picture;

// The picture's heights at its own size for game engines and GIS tools: each pixel's
// channel sum s (0..kMaxChannelSum) as the 16-bit value round(s x 65535 / 765), rows from
// the top. Both writers take width x height pixels, the display's size: pixels outside
// the picture count as black, as everywhere else in the editor. They stream a row at a
// time and throw FileWriteError as out does.

// round(s x 65535 / 765) = round(s x 257 / 3), whose fraction is never one half.
constexpr std::uint16_t HeightMapValue(int sum)
{
    return static_cast<std::uint16_t>((sum * 257 + 1) / 3);
}
static_assert(HeightMapValue(0) == 0 && HeightMapValue(kMaxChannelSum) == 65535);

// A 16-bit greyscale PNG (libpng), deflated for speed rather than size. width and height
// must be from 1 to 65535 and the picture a bitmap. Throws std::bad_alloc when memory
// runs out.
void WriteHeightPng(BufferedWriter& out, const Picture& picture, int width, int height);

// The same values, little-endian, with no header: the engines' R16.
void WriteHeightRaw(BufferedWriter& out, const Picture& picture, int width, int height);
