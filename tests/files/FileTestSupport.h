#pragma once
// Helpers shared by the file tests: CRC-32 of decoded pictures, a fresh temporary
// folder per test, and a builder for small BMP files with any header values.
#include <array>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "files/ByteOrder.h"
#include "model/Picture.h"
#include "tests/TempFolder.h"

namespace filetest {

using Bytes = std::vector<std::uint8_t>;

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
    Bytes rgb;
    rgb.reserve(picture.pixels.size() * 3);
    for (std::uint32_t p : picture.pixels) {
        rgb.push_back(static_cast<std::uint8_t>(p));
        rgb.push_back(static_cast<std::uint8_t>(p >> 8));
        rgb.push_back(static_cast<std::uint8_t>(p >> 16));
    }
    return Crc32(rgb.data(), rgb.size());
}

inline Bytes ReadBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("test file missing: " + path.string());
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::filesystem::path& path, const Bytes& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

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

// The BMP Suite files, kept in the repository with a README on each file's outcome.
inline std::filesystem::path SuiteFolder() { return std::filesystem::path(RF_SOURCE_DIR) / "tests/data/bmpsuite"; }

}  // namespace filetest
