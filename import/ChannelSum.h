#pragma once
#include <cstddef>
#include <cstdint>

#include "model/HeightScale.h"

// Deep pictures (16 bits a channel) brought into the editor's 8-bit pixels without
// losing more height than the pixels must. A pixel's height is its channel sum
// (intensity is (red + green + blue) / 3), so a pixel holds 766 heights, 0 to 765,
// not 256: a 16-bit height map keeps 766 levels instead of the 256 of plain grey.
//
// Rounding is half up. No half can arise: both quotients below are n / 257 for a whole
// n, and 257 is odd, so n / 257 is never a whole number and a half.

// round(grey x 765 / 65535) = round(3 grey / 257): 0 gives 0, 65535 gives 765.
int ChannelSumOfGrey16(std::uint16_t grey);

// round((red + green + blue) x 255 / 65535) = round((red + green + blue) / 257).
int ChannelSumOfRgb16(std::uint16_t red, std::uint16_t green, std::uint16_t blue);

// The stored pixel (0xFFBBGGRR, see Picture) whose channels add up to sum (0..765),
// spread as evenly as they can be, red first: 3k gives k, k, k; 3k + 1 gives k + 1, k, k;
// 3k + 2 gives k + 1, k + 1, k. Channels so differ by at most 1.
std::uint32_t StoredPixelOfSum(int sum);

// Whole rows: count grey values, or count red, green, blue, alpha quadruples (alpha is
// ignored: the colour under a transparent pixel still says its height), into count
// stored pixels. in and out must not overlap.
void Grey16RowToPixels(const std::uint16_t* grey, std::size_t count, std::uint32_t* out);
void Rgba16RowToPixels(const std::uint16_t* rgba, std::size_t count, std::uint32_t* out);
