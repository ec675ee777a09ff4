#include "files/BmpLayout.h"

#include <algorithm>

#include "files/ByteOrder.h"
#include "model/EditorError.h"
#include "model/Picture.h"

namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::uint32_t kCoreHeaderSize = 12;
constexpr std::uint32_t kInfoHeaderSize = 40;

[[noreturn]] void FailReadError() { throw EditorError(Failure::StreamRead); }
[[noreturn]] void FailNotValid() { throw EditorError(Failure::BitmapNotValid); }
[[noreturn]] void FailTooLarge() { throw EditorError(Failure::BitmapTooLarge); }

// The information header's fields the reader uses; sizes kept in 64 bits so that no
// later arithmetic on them can overflow.
struct InfoHeader {
    std::uint32_t size = 0;
    std::int64_t width = 0;
    std::int64_t height = 0;  // negative: rows stored top first
    std::uint16_t planes = 0;
    std::uint16_t bitsPerPixel = 0;
    std::uint32_t compression = BmpLayout::kRgb;
    std::uint32_t coloursUsed = 0;

    bool isCore() const { return size == kCoreHeaderSize; }
};

bool IsKnownHeaderSize(std::uint32_t size)
{
    // The OS/2 core header, the Windows information header and its V2 to V5 extensions.
    switch (size) {
    case 12: case 40: case 52: case 56: case 108: case 124:
        return true;
    default:
        return false;
    }
}

InfoHeader ReadInfoHeader(const std::vector<std::uint8_t>& file)
{
    if (file.size() < kFileHeaderSize)
        FailReadError();
    if (file[0] != 'B' || file[1] != 'M')
        FailNotValid();
    if (file.size() < kFileHeaderSize + 4)
        FailReadError();
    const std::uint8_t* h = file.data() + kFileHeaderSize;
    InfoHeader info;
    info.size = ReadU32(h);
    if (!IsKnownHeaderSize(info.size))
        FailNotValid();
    if (file.size() - kFileHeaderSize < info.size)
        FailReadError();
    if (info.isCore()) {
        info.width = ReadU16(h + 4);
        info.height = ReadU16(h + 6);
        info.planes = ReadU16(h + 8);
        info.bitsPerPixel = ReadU16(h + 10);
        return info;
    }
    info.width = ReadI32(h + 4);
    info.height = ReadI32(h + 8);
    info.planes = ReadU16(h + 12);
    info.bitsPerPixel = ReadU16(h + 14);
    info.compression = ReadU32(h + 16);
    info.coloursUsed = ReadU32(h + 32);
    return info;
}

void CheckSize(const InfoHeader& info)
{
    if (info.width < 1 || info.height == 0)
        FailNotValid();
    const std::int64_t rows = info.height < 0 ? -info.height : info.height;
    if (info.width > kMaxBmpSide || rows > kMaxBmpSide || info.width * rows > kMaxBmpPixels)
        FailTooLarge();
}

bool IsAcceptedCoding(std::uint32_t compression, int bitsPerPixel)
{
    switch (compression) {
    case BmpLayout::kRgb:
        return bitsPerPixel == 1 || bitsPerPixel == 2 || bitsPerPixel == 4 || bitsPerPixel == 8 ||
               bitsPerPixel == 16 || bitsPerPixel == 24 || bitsPerPixel == 32;
    case BmpLayout::kRle8:
        return bitsPerPixel == 8;
    case BmpLayout::kRle4:
        return bitsPerPixel == 4;
    case BmpLayout::kBitFields:
    case BmpLayout::kAlphaBitFields:
        return bitsPerPixel == 16 || bitsPerPixel == 32;
    default:
        return false;
    }
}

bool IsRle(std::uint32_t compression)
{
    return compression == BmpLayout::kRle8 || compression == BmpLayout::kRle4;
}

// Reads the masks and returns how many bytes of them follow the header (only a
// 40-byte header keeps them outside itself).
std::size_t ReadMasks(const std::vector<std::uint8_t>& file, const InfoHeader& info, BmpLayout& layout)
{
    const bool bitFields =
        info.compression == BmpLayout::kBitFields || info.compression == BmpLayout::kAlphaBitFields;
    if (!bitFields) {
        if (info.bitsPerPixel == 16)
            layout.masks = {0x7C00, 0x03E0, 0x001F};
        else
            layout.masks = {0xFF0000, 0x00FF00, 0x0000FF};
        return 0;
    }
    const std::size_t at = kFileHeaderSize + info.size;
    std::size_t extra = 0;
    if (info.size == kInfoHeaderSize) {
        extra = info.compression == BmpLayout::kAlphaBitFields ? 16 : 12;
        if (file.size() - at < extra)
            FailNotValid();
    }
    // Masks outside the header start right after it; inside a V2+ header they sit at
    // the same place, byte 40 of the header.
    const std::uint8_t* m = file.data() + kFileHeaderSize + kInfoHeaderSize;
    layout.masks = {ReadU32(m), ReadU32(m + 4), ReadU32(m + 8)};
    return extra;
}

std::uint64_t NamedTableEntries(const InfoHeader& info)
{
    if (!info.isCore() && info.coloursUsed != 0)
        return info.coloursUsed;
    return info.bitsPerPixel <= 8 ? std::uint64_t{1} << info.bitsPerPixel : 0;
}

// The table starts at tableStart; the pixels start at the file's own offset when that
// lies between the table's start and the end of the file (cutting the table short),
// else straight after the whole table.
void ReadTableAndPixelStart(const std::vector<std::uint8_t>& file, const InfoHeader& info,
                            std::size_t tableStart, BmpLayout& layout)
{
    const std::uint64_t entrySize = info.isCore() ? 3 : 4;
    const std::uint64_t named = NamedTableEntries(info);
    const std::uint64_t tableEnd = tableStart + named * entrySize;
    if (tableEnd > file.size())
        FailNotValid();

    std::uint64_t entries = named;
    const std::uint64_t offset = layout.pixelOffset;
    if (offset >= tableStart && offset < file.size()) {
        layout.pixelStart = static_cast<std::size_t>(offset);
        entries = std::min(named, (offset - tableStart) / entrySize);
    } else {
        layout.pixelStart = static_cast<std::size_t>(tableEnd);
    }

    layout.palette.fill(kOpaque);
    if (info.bitsPerPixel > 8)
        return;
    const std::size_t used = static_cast<std::size_t>(std::min<std::uint64_t>(entries, 256));
    for (std::size_t i = 0; i < used; ++i) {
        const std::uint8_t* e = file.data() + tableStart + i * entrySize;
        layout.palette[i] = StoredPixel(MakeColour(e[2], e[1], e[0]));
    }
}

void CheckUncompressedLength(const std::vector<std::uint8_t>& file, const BmpLayout& layout)
{
    if (IsRle(layout.compression))
        return;
    const std::uint64_t needed = layout.rowBytes() * static_cast<std::uint64_t>(layout.height);
    if (needed > file.size() - layout.pixelStart)
        FailNotValid();
}

}  // namespace

BmpLayout ReadBmpLayout(const std::vector<std::uint8_t>& file)
{
    const InfoHeader info = ReadInfoHeader(file);
    CheckSize(info);
    if (!IsAcceptedCoding(info.compression, info.bitsPerPixel))
        FailNotValid();
    if (info.height < 0 && IsRle(info.compression))
        FailNotValid();

    BmpLayout layout;
    layout.width = static_cast<int>(info.width);
    layout.height = static_cast<int>(info.height < 0 ? -info.height : info.height);
    layout.topDown = info.height < 0;
    layout.bitsPerPixel = info.bitsPerPixel;
    layout.compression = info.compression;
    layout.planesValid = info.planes == 1;
    layout.pixelOffset = ReadU32(file.data() + 10);

    const std::size_t maskBytes = ReadMasks(file, info, layout);
    ReadTableAndPixelStart(file, info, kFileHeaderSize + info.size + maskBytes, layout);
    CheckUncompressedLength(file, layout);
    return layout;
}
