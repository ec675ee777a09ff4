#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

// Where a BMP file keeps what, and how its pixels are to be decoded: everything the
// decoders need, found and checked before a single pixel is allocated.
struct BmpLayout {
    enum Compression : std::uint32_t { kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3, kAlphaBitFields = 6 };

    int width = 0;
    int height = 0;  // always positive; topDown says how the rows are stored
    bool topDown = false;
    int bitsPerPixel = 0;
    std::uint32_t compression = kRgb;
    bool planesValid = true;

    // Red, green and blue masks for 16 and 32 bits per pixel (the default layouts when
    // the file has no bit fields).
    std::array<std::uint32_t, 3> masks{};

    // Stored pixels (see StoredPixel) for every index; entries the file lacks are black.
    std::array<std::uint32_t, 256> palette{};

    std::size_t pixelStart = 0;       // first byte of the pixel data
    std::uint32_t pixelOffset = 0;    // the file header's offset field as read

    // Bytes of one stored row of uncompressed data, padded to 4 bytes.
    std::uint64_t rowBytes() const
    {
        return (static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(bitsPerPixel) + 31) / 32 * 4;
    }
};

// The largest picture the reader accepts: 65,535 on a side and 2^28 pixels in all.
constexpr std::int64_t kMaxBmpSide = 65535;
constexpr std::int64_t kMaxBmpPixels = std::int64_t{1} << 28;

// Reads and checks the file header, the information header, the masks and the colour
// table of a non-empty file. Throws EditorError StreamRead when the file is
// too short for its headers, BitmapTooLarge past the size limits, and
// BitmapNotValid for anything else it cannot decode, including
// uncompressed pixel data shorter than the picture needs.
BmpLayout ReadBmpLayout(const std::vector<std::uint8_t>& file);
