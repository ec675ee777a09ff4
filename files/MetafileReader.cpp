#include "files/MetafileReader.h"

#include <cstdlib>

#include "files/ByteOrder.h"
#include "model/EditorError.h"

namespace {

constexpr std::uint32_t kPlaceableKey = 0x9AC6CDD7;
constexpr std::uint32_t kEmrHeader = 1;
constexpr std::uint32_t kEmfSignature = 0x464D4520;  // " EMF"
constexpr std::size_t kEmfHeaderSize = 88;
constexpr std::size_t kPlaceableHeaderSize = 22;
constexpr std::size_t kWmfHeaderSize = 18;
constexpr std::uint16_t kMetaSetWindowExt = 0x020C;
constexpr std::int64_t kLargestSide = 65535;
constexpr int kScreenPixelsPerInch = 96;

struct Size {
    std::int64_t width = 0;
    std::int64_t height = 0;
};

[[noreturn]] void FailReadError() { throw EditorError(Failure::StreamRead); }
[[noreturn]] void FailNotValid() { throw EditorError(Failure::MetafileNotValid); }

void RequireBytes(const std::vector<std::uint8_t>& file, std::size_t count)
{
    if (file.size() < count)
        FailReadError();
}

Size EmfSize(const std::vector<std::uint8_t>& file)
{
    RequireBytes(file, kEmfHeaderSize);
    const std::uint8_t* h = file.data();
    const std::uint32_t recordSize = ReadU32(h + 4);
    if (ReadU32(h + 40) != kEmfSignature || recordSize < kEmfHeaderSize || recordSize > file.size())
        FailNotValid();
    // The bounds are inclusive device units; empty bounds (right < left) give 0.
    const std::int64_t width = std::int64_t{ReadI32(h + 16)} - ReadI32(h + 8) + 1;
    const std::int64_t height = std::int64_t{ReadI32(h + 20)} - ReadI32(h + 12) + 1;
    return {width < 0 ? 0 : width, height < 0 ? 0 : height};
}

void CheckWmfHeader(const std::vector<std::uint8_t>& file, std::size_t at)
{
    RequireBytes(file, at + kWmfHeaderSize);
    const std::uint16_t type = ReadU16(file.data() + at);
    const std::uint16_t headerWords = ReadU16(file.data() + at + 2);
    const std::uint16_t version = ReadU16(file.data() + at + 4);
    if ((type != 1 && type != 2) || headerWords != 9 || (version != 0x0100 && version != 0x0300))
        FailNotValid();
}

Size PlaceableSize(const std::vector<std::uint8_t>& file)
{
    CheckWmfHeader(file, kPlaceableHeaderSize);
    const std::uint8_t* h = file.data();
    const std::int64_t unitsPerInch = ReadU16(h + 14);
    if (unitsPerInch == 0)
        FailNotValid();
    const std::int64_t across = std::llabs(std::int64_t{ReadI16(h + 10)} - ReadI16(h + 6));
    const std::int64_t down = std::llabs(std::int64_t{ReadI16(h + 12)} - ReadI16(h + 8));
    auto toPixels = [&](std::int64_t units) {
        return (units * kScreenPixelsPerInch + unitsPerInch / 2) / unitsPerInch;
    };
    return {toPixels(across), toPixels(down)};
}

// A standard metafile has no bounds of its own; its window extent is the nearest thing.
Size StandardWmfSize(const std::vector<std::uint8_t>& file)
{
    CheckWmfHeader(file, 0);
    std::uint64_t at = kWmfHeaderSize;
    while (at + 6 <= file.size()) {
        const std::uint64_t recordBytes = std::uint64_t{ReadU32(file.data() + at)} * 2;
        const std::uint16_t function = ReadU16(file.data() + at + 4);
        if (recordBytes < 6 || function == 0)
            break;
        if (function == kMetaSetWindowExt && recordBytes >= 10 && at + 10 <= file.size())
            return {std::llabs(ReadI16(file.data() + at + 8)), std::llabs(ReadI16(file.data() + at + 6))};
        at += recordBytes;
    }
    return {};
}

Size MetafileSize(const std::vector<std::uint8_t>& file)
{
    RequireBytes(file, 4);
    const std::uint32_t first = ReadU32(file.data());
    if (first == kPlaceableKey)
        return PlaceableSize(file);
    if (first == kEmrHeader)
        return EmfSize(file);
    return StandardWmfSize(file);
}

}  // namespace

Picture ReadMetafile(std::vector<std::uint8_t> file)
{
    const Size size = MetafileSize(file);
    if (size.width > kLargestSide || size.height > kLargestSide)
        FailNotValid();
    // A picture with no area is the empty one in both directions.
    const bool empty = size.width == 0 || size.height == 0;
    Picture picture;
    picture.kind = PictureKind::Metafile;
    picture.width = empty ? 0 : static_cast<int>(size.width);
    picture.height = empty ? 0 : static_cast<int>(size.height);
    picture.sourceFile = std::move(file);
    return picture;
}
