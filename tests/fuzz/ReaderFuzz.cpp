// libFuzzer target for the picture readers: bytes in, a picture or an EditorError out,
// then every pixel of a bitmap read once. Any other exception, a crash, a sanitizer
// report or a broken picture invariant aborts the run.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "files/BmpReader.h"
#include "files/ByteOrder.h"
#include "files/IconReader.h"
#include "files/MetafileReader.h"
#include "model/EditorError.h"

namespace {

// An RLE file may declare a picture up to the reader's limit (2^28 pixels, 1 GB) in a
// few bytes; that is allowed, but a fuzzer that allocates it on every try learns
// nothing and trips its memory limit. Uncompressed pictures need their bytes in the
// input, so they stay small by themselves.
bool DeclaresLargeRlePicture(const std::uint8_t* data, std::size_t size)
{
    if (size < 34 || data[0] != 'B' || data[1] != 'M' || ReadU32(data + 14) == 12)
        return false;
    const std::uint32_t compression = ReadU32(data + 30);
    const std::int64_t width = ReadI32(data + 18);
    const std::int64_t height = ReadI32(data + 22);
    return (compression == 1 || compression == 2) && width * (height < 0 ? -height : height) > (std::int64_t{1} << 22);
}

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

void ReadEveryPixel(const Picture& picture, const std::vector<std::uint8_t>& input)
{
    Check(picture.sourceFile == input || (input.empty() && picture.isEmpty()));
    if (picture.kind != PictureKind::Bitmap)
        return;
    Check(picture.width >= 0 && picture.height >= 0);
    Check(picture.pixels.size() == static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height));
    std::uint32_t all = kOpaque;
    for (std::uint32_t p : picture.pixels)
        all &= p;
    Check((all & kOpaque) == kOpaque);  // every stored pixel is opaque
}

template <typename Reader>
void Try(Reader read, const std::uint8_t* data, std::size_t size)
{
    const std::vector<std::uint8_t> input(data, data + size);
    try {
        ReadEveryPixel(read(input), input);
    } catch (const EditorError&) {
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (!DeclaresLargeRlePicture(data, size))
        Try(ReadBmp, data, size);
    Try(ReadIcon, data, size);
    Try(ReadMetafile, data, size);
    return 0;
}
