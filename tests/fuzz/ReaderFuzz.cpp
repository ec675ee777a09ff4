// libFuzzer target for the picture readers: bytes in, a picture or an EditorError out,
// then every pixel of a bitmap read once. Any other exception, a crash, a sanitizer
// report or a broken picture invariant aborts the run.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <utility>
#include <vector>

#include "files/BmpLayout.h"
#include "files/BmpReader.h"
#include "files/IconReader.h"
#include "files/MetafileReader.h"
#include "model/EditorError.h"

namespace {

// A BMP file may declare a picture up to the reader's limit (2^28 pixels, 1 GB) in a
// few bytes, and RLE files do. That is allowed, but a fuzzer that allocates and fills
// such a picture on every try learns nothing from it and trips its memory limit. Above
// this size only the header and size checks run, which is what such an input tests.
constexpr std::int64_t kLargestDecodedPixels = std::int64_t{1} << 20;

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

void ReadEveryPixel(const Picture& picture, const std::uint8_t* data, std::size_t size)
{
    Check(std::equal(picture.sourceFile.begin(), picture.sourceFile.end(), data, data + size) ||
          (size == 0 && picture.isEmpty()));
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
    try {
        ReadEveryPixel(read(std::vector<std::uint8_t>(data, data + size)), data, size);
    } catch (const EditorError&) {
    }
}

// ReadBmp, for pictures up to the limit: larger ones stop after the layout's checks.
void TryBmp(const std::uint8_t* data, std::size_t size)
{
    try {
        std::vector<std::uint8_t> file(data, data + size);
        if (size > 0) {
            const BmpLayout layout = ReadBmpLayout(file);
            if (std::int64_t{layout.width} * layout.height > kLargestDecodedPixels)
                return;
        }
        ReadEveryPixel(ReadBmp(std::move(file)), data, size);
    } catch (const EditorError&) {
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    TryBmp(data, size);
    Try(ReadIcon, data, size);
    Try(ReadMetafile, data, size);
    return 0;
}
