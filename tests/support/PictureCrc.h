#pragma once
// Checks of decoded pictures: the common CRC-32 over their pixels, and single pixels
// as #RRGGBB.
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "model/Picture.h"

// The common (zlib) CRC-32.
inline std::uint32_t Crc32(const std::uint8_t* data, std::size_t size)
{
    static const auto table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t c = i;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < size; ++i)
        crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

// #RRGGBB of pixel (x, y), as the corpus README writes colours.
inline std::uint32_t RgbAt(const Picture& picture, int x, int y)
{
    const std::uint32_t p = picture.pixels.at(static_cast<std::size_t>(y) * picture.width + x);
    return ((p & 0xFF) << 16) | (p & 0xFF00) | ((p >> 16) & 0xFF);
}

// CRC-32 over R, G, B of every pixel, rows top first, no padding.
inline std::uint32_t PictureCrc(const Picture& picture)
{
    std::vector<std::uint8_t> rgb;
    rgb.reserve(picture.pixels.size() * 3);
    for (std::uint32_t p : picture.pixels) {
        rgb.push_back(static_cast<std::uint8_t>(p));
        rgb.push_back(static_cast<std::uint8_t>(p >> 8));
        rgb.push_back(static_cast<std::uint8_t>(p >> 16));
    }
    return Crc32(rgb.data(), rgb.size());
}
