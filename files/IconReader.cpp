#include "files/IconReader.h"

#include "files/ByteOrder.h"
#include "model/EditorError.h"

namespace {

constexpr std::size_t kDirectoryHeaderSize = 6;
constexpr std::size_t kEntrySize = 16;

bool EntryDataInside(const std::vector<std::uint8_t>& file, std::size_t entryAt, std::size_t directoryEnd)
{
    const std::uint64_t size = ReadU32(file.data() + entryAt + 8);
    const std::uint64_t offset = ReadU32(file.data() + entryAt + 12);
    return size > 0 && offset >= directoryEnd && offset + size <= file.size();
}

}  // namespace

Picture ReadIcon(std::vector<std::uint8_t> file)
{
    if (file.size() < kDirectoryHeaderSize)
        throw EditorError(Failure::StreamRead);
    const std::uint16_t reserved = ReadU16(file.data());
    const std::uint16_t type = ReadU16(file.data() + 2);
    const std::size_t count = ReadU16(file.data() + 4);
    if (reserved != 0 || type != 1 || count == 0)
        throw EditorError(Failure::IconNotValid);
    const std::size_t directoryEnd = kDirectoryHeaderSize + count * kEntrySize;
    if (file.size() < directoryEnd)
        throw EditorError(Failure::StreamRead);

    bool anyInside = false;
    for (std::size_t i = 0; i < count && !anyInside; ++i)
        anyInside = EntryDataInside(file, kDirectoryHeaderSize + i * kEntrySize, directoryEnd);
    if (!anyInside)
        throw EditorError(Failure::IconNotValid);

    Picture picture;
    picture.kind = PictureKind::Icon;
    picture.width = kIconSize;
    picture.height = kIconSize;
    picture.sourceFile = std::move(file);
    return picture;
}
