#pragma once
// A 16-bit greyscale PNG read by the test's own decoder: the chunks checked by their
// CRCs, the pixel data inflated with zlib and unfiltered row by row, whatever filters the
// writer chose. No libpng, so the writer's use of it is checked from outside.
#include <cstdint>
#include <string>
#include <vector>
#include <zlib.h>

#include "files/ByteOrder.h"

struct GreyPng {
    bool ok = false;
    std::uint32_t width = 0, height = 0;
    int bitDepth = 0, colourType = 0, interlace = 0;
    std::vector<std::string> chunkTypes;  // in file order
    std::vector<std::uint16_t> values;    // rows from the top
};

inline std::uint32_t ReadBigU32(const std::uint8_t* p)
{
    return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}

inline GreyPng ReadGreyPng(const std::string& bytes)
{
    GreyPng png;
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
    if (bytes.size() < 8 || bytes.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0)
        return png;
    std::string compressed;
    std::size_t at = 8;
    while (at + 12 <= bytes.size()) {
        const std::uint32_t length = ReadBigU32(data + at);
        if (at + 12 + length > bytes.size())
            return png;
        const std::string type = bytes.substr(at + 4, 4);
        const uLong crc = crc32(0, data + at + 4, uInt(4 + length));
        if (crc != ReadBigU32(data + at + 8 + length))
            return png;
        png.chunkTypes.push_back(type);
        if (type == "IHDR" && length == 13) {
            png.width = ReadBigU32(data + at + 8);
            png.height = ReadBigU32(data + at + 12);
            png.bitDepth = data[at + 16];
            png.colourType = data[at + 17];
            png.interlace = data[at + 20];
        } else if (type == "IDAT") {
            compressed.append(bytes, at + 8, length);
        }
        at += 12 + length;
    }
    if (png.chunkTypes.empty() || png.chunkTypes.back() != "IEND" || png.bitDepth != 16 || png.colourType != 0)
        return png;
    const std::size_t stride = 2 * std::size_t{png.width};
    std::vector<std::uint8_t> raw((stride + 1) * png.height);
    uLongf size = static_cast<uLongf>(raw.size());
    if (uncompress(raw.data(), &size, reinterpret_cast<const Bytef*>(compressed.data()), uLong(compressed.size())) !=
            Z_OK ||
        size != raw.size())
        return png;
    std::vector<std::uint8_t> previous(stride, 0), row(stride);
    for (std::uint32_t y = 0; y < png.height; ++y) {
        const std::uint8_t* line = raw.data() + y * (stride + 1);
        const int filter = line[0];
        for (std::size_t x = 0; x < stride; ++x) {
            const int a = x >= 2 ? row[x - 2] : 0, b = previous[x], c = x >= 2 ? previous[x - 2] : 0;
            int predictor = 0;
            if (filter == 1)
                predictor = a;
            else if (filter == 2)
                predictor = b;
            else if (filter == 3)
                predictor = (a + b) / 2;
            else if (filter == 4) {
                const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
                predictor = pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
            } else if (filter != 0)
                return png;
            row[x] = static_cast<std::uint8_t>(line[1 + x] + predictor);
        }
        for (std::size_t x = 0; x < stride; x += 2)
            png.values.push_back(static_cast<std::uint16_t>(row[x] << 8 | row[x + 1]));
        previous = row;
    }
    png.ok = true;
    return png;
}
