#pragma once
#include <array>
#include <cstdint>
#include <vector>

#include "model/Picture.h"

constexpr std::uint32_t kBmpFileHeaderSize = 14;
constexpr std::uint32_t kBmp24PixelOffset = 54;  // file header + 40-byte header, no table

// The 14-byte file header in front of an encoding of the given length: "BM", the file
// size (14 + length, held at the largest 32-bit value for encodings beyond it), two
// zero reserved fields and the pixel-data offset.
std::array<std::uint8_t, kBmpFileHeaderSize> BmpFileHeader(std::uint64_t encodingLength, std::uint32_t pixelOffset);

// A whole 24-bit BMP file of the picture's pixels: file header, 40-byte information
// header with both resolutions 0, then the rows bottom first as blue, green, red,
// each padded with zero bytes to a multiple of 4. The picture must be a bitmap.
std::vector<std::uint8_t> EncodeBmp24(const Picture& picture);
