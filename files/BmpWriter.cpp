#include "files/BmpWriter.h"

#include <algorithm>
#include <cstddef>
#include <limits>

#include "files/ByteOrder.h"
#include "model/LargeBuffer.h"

std::array<std::uint8_t, kBmpFileHeaderSize> BmpFileHeader(std::uint64_t encodingLength, std::uint32_t pixelOffset)
{
    constexpr std::uint64_t kLargest = std::numeric_limits<std::uint32_t>::max();
    const std::uint64_t fileSize = kBmpFileHeaderSize + encodingLength;
    std::array<std::uint8_t, kBmpFileHeaderSize> header{};
    header[0] = 'B';
    header[1] = 'M';
    PutU32(&header[2], static_cast<std::uint32_t>(fileSize > kLargest ? kLargest : fileSize));
    PutU32(&header[10], pixelOffset);
    return header;
}

namespace {

constexpr std::uint32_t kInfoHeaderSize = 40;

void PutInfoHeader(std::uint8_t* h, const Picture& picture, std::uint32_t imageSize)
{
    PutU32(h, kInfoHeaderSize);
    PutU32(h + 4, static_cast<std::uint32_t>(picture.width));
    PutU32(h + 8, static_cast<std::uint32_t>(picture.height));  // positive: bottom row first
    PutU16(h + 12, 1);   // planes
    PutU16(h + 14, 24);  // bits per pixel
    PutU32(h + 20, imageSize);
    // Compression, both resolutions and both colour counts stay 0.
}

}  // namespace

std::vector<std::uint8_t> EncodeBmp24(const Picture& picture)
{
    const std::size_t width = static_cast<std::size_t>(picture.width);
    const std::size_t height = static_cast<std::size_t>(picture.height);
    const std::size_t rowBytes = (width * 24 + 31) / 32 * 4;
    const std::size_t imageSize = rowBytes * height;

    std::vector<std::uint8_t> file;
    AssignLarge<std::uint8_t>(file, kBmp24PixelOffset + imageSize);
    const auto header = BmpFileHeader(kInfoHeaderSize + imageSize, kBmp24PixelOffset);
    std::copy(header.begin(), header.end(), file.begin());
    PutInfoHeader(file.data() + kBmpFileHeaderSize, picture, static_cast<std::uint32_t>(imageSize));

    std::uint8_t* out = file.data() + kBmp24PixelOffset;
    for (std::size_t row = 0; row < height; ++row, out += rowBytes) {
        const std::uint32_t* src = picture.pixels.data() + (height - 1 - row) * width;
        std::uint8_t* o = out;
        for (std::size_t x = 0; x < width; ++x, o += 3) {
            const std::uint32_t p = src[x];
            o[0] = static_cast<std::uint8_t>(p >> 16);  // blue
            o[1] = static_cast<std::uint8_t>(p >> 8);   // green
            o[2] = static_cast<std::uint8_t>(p);        // red
        }
    }
    return file;
}
