#pragma once
// BMP files put together field by field, so tests can state any header value, and the
// row encodings that fill them from small pictures given pixel by pixel.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "files/ByteOrder.h"
#include "tests/support/TempFolder.h"

// A BMP file put together field by field, so tests can state any header value.
struct BmpSpec {
    std::uint32_t headerSize = 40;
    std::int64_t width = 1;  // 64 bits so a test can write any 32-bit (or 16-bit) value
    std::int64_t height = 1;
    std::uint16_t planes = 1;
    std::uint16_t bitsPerPixel = 24;
    std::uint32_t compression = 0;
    std::uint32_t coloursUsed = 0;
    std::vector<std::uint32_t> masks;     // written right after the header (or inside it, V2+)
    std::vector<std::uint32_t> table;     // #RRGGBB entries
    Bytes pixels;                         // the pixel data as stored
    std::optional<std::uint32_t> pixelOffset;  // default: right after the table
};

inline Bytes BuildBmp(const BmpSpec& spec)
{
    const bool core = spec.headerSize == 12;
    const std::size_t masksOutside = spec.headerSize == 40 ? spec.masks.size() * 4 : 0;
    const std::size_t entry = core ? 3 : 4;
    const std::size_t tableStart = 14 + spec.headerSize + masksOutside;
    const std::size_t pixelStart = tableStart + spec.table.size() * entry;
    Bytes f(pixelStart, 0);
    f[0] = 'B';
    f[1] = 'M';
    PutU32(&f[2], static_cast<std::uint32_t>(pixelStart + spec.pixels.size()));
    PutU32(&f[10], spec.pixelOffset.value_or(static_cast<std::uint32_t>(pixelStart)));
    std::uint8_t* h = &f[14];
    PutU32(h, spec.headerSize);
    if (core) {
        PutU16(h + 4, static_cast<std::uint16_t>(spec.width));
        PutU16(h + 6, static_cast<std::uint16_t>(spec.height));
        PutU16(h + 8, spec.planes);
        PutU16(h + 10, spec.bitsPerPixel);
    } else {
        PutU32(h + 4, static_cast<std::uint32_t>(spec.width));
        PutU32(h + 8, static_cast<std::uint32_t>(spec.height));
        PutU16(h + 12, spec.planes);
        PutU16(h + 14, spec.bitsPerPixel);
        PutU32(h + 16, spec.compression);
        PutU32(h + 32, spec.coloursUsed);
        for (std::size_t i = 0; i < spec.masks.size(); ++i)
            PutU32(h + 40 + 4 * i, spec.masks[i]);
    }
    for (std::size_t i = 0; i < spec.table.size(); ++i) {
        std::uint8_t* e = &f[tableStart + i * entry];
        e[0] = static_cast<std::uint8_t>(spec.table[i]);
        e[1] = static_cast<std::uint8_t>(spec.table[i] >> 8);
        e[2] = static_cast<std::uint8_t>(spec.table[i] >> 16);
    }
    f.insert(f.end(), spec.pixels.begin(), spec.pixels.end());
    return f;
}

inline Bytes Prefix(Bytes bytes, std::size_t length)
{
    bytes.resize(length);
    return bytes;
}

// A small picture given pixel by pixel, #RRGGBB, rows top first.
struct SmallPicture {
    int width = 0, height = 0;
    std::vector<std::uint32_t> rgb;
};

inline int StoredRow(int i, int height, bool topDown) { return topDown ? i : height - 1 - i; }

inline void PadRow(Bytes& data, std::size_t rowStart)
{
    while ((data.size() - rowStart) % 4 != 0)
        data.push_back(0);
}

// Indices packed most significant bit first, rows padded to 4 bytes.
inline Bytes IndexRows(const std::vector<int>& indices, int w, int h, int bits, bool topDown = false)
{
    Bytes data;
    for (int i = 0; i < h; ++i) {
        const int y = StoredRow(i, h, topDown);
        const std::size_t start = data.size();
        int used = 0;
        std::uint8_t byte = 0;
        for (int x = 0; x < w; ++x) {
            byte = static_cast<std::uint8_t>(byte | (indices[y * w + x] << (8 - bits - used)));
            used += bits;
            if (used == 8) {
                data.push_back(byte);
                byte = 0;
                used = 0;
            }
        }
        if (used > 0)
            data.push_back(byte);
        PadRow(data, start);
    }
    return data;
}

// Each pixel as `bytes` little-endian bytes of encode(rgb).
inline Bytes DirectRows(const SmallPicture& p, int bytes, std::uint32_t (*encode)(std::uint32_t), bool topDown = false)
{
    Bytes data;
    for (int i = 0; i < p.height; ++i) {
        const int y = StoredRow(i, p.height, topDown);
        const std::size_t start = data.size();
        for (int x = 0; x < p.width; ++x) {
            const std::uint32_t v = encode(p.rgb[static_cast<std::size_t>(y * p.width + x)]);
            for (int k = 0; k < bytes; ++k)
                data.push_back(static_cast<std::uint8_t>(v >> (8 * k)));
        }
        PadRow(data, start);
    }
    return data;
}

inline std::uint32_t AsBgr(std::uint32_t rgb) { return rgb; }  // #RRGGBB stored low byte first: B, G, R
inline std::uint32_t As555(std::uint32_t rgb)
{
    const auto five = [](std::uint32_t c) { return (c * 31 + 127) / 255; };
    return (five(rgb >> 16 & 0xFF) << 10) | (five(rgb >> 8 & 0xFF) << 5) | five(rgb & 0xFF);
}

// Runs of one pixel each, an end-of-line after every row and an end-of-bitmap.
inline Bytes RleRows(const std::vector<int>& indices, int w, int h, bool fourBits)
{
    Bytes data;
    for (int i = 0; i < h; ++i) {
        const int y = h - 1 - i;
        for (int x = 0; x < w; ++x) {
            const int index = indices[static_cast<std::size_t>(y * w + x)];
            data.push_back(1);
            data.push_back(static_cast<std::uint8_t>(fourBits ? index << 4 : index));
        }
        data.push_back(0);
        data.push_back(0);
    }
    data.push_back(0);
    data.push_back(1);
    return data;
}

