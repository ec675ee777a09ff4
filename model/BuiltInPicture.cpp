#include "model/BuiltInPicture.h"

#include "model/EditorError.h"

extern "C" {
extern const std::uint8_t rf_builtin_bmp_begin[];
extern const std::uint8_t rf_builtin_bmp_end[];
}

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 200;
constexpr std::uint32_t kPixelOffset = 54;
constexpr std::size_t kRowBytes = kWidth * 3;

std::uint32_t Read32(std::span<const std::uint8_t> file, std::size_t at)
{
    return file[at] | (file[at + 1] << 8) | (file[at + 2] << 16) | (std::uint32_t{file[at + 3]} << 24);
}

std::uint16_t Read16(std::span<const std::uint8_t> file, std::size_t at)
{
    return static_cast<std::uint16_t>(file[at] | (file[at + 1] << 8));
}

// The general BMP reader lives with the file commands; this picture is always the same
// simple layout, so a check that the embedded file has it is all the decoding needs.
void CheckLayout(std::span<const std::uint8_t> file)
{
    const bool fits = file.size() == kPixelOffset + kRowBytes * kHeight && file[0] == 'B' &&
                      file[1] == 'M' && Read32(file, 10) == kPixelOffset && Read32(file, 14) == 40 &&
                      Read32(file, 18) == kWidth && Read32(file, 22) == kHeight &&
                      Read16(file, 26) == 1 && Read16(file, 28) == 24 && Read32(file, 30) == 0;
    if (!fits)
        throw EditorError(Failure::BitmapNotValid);
}

} // namespace

std::span<const std::uint8_t> BuiltInPictureFile()
{
    return {rf_builtin_bmp_begin, static_cast<std::size_t>(rf_builtin_bmp_end - rf_builtin_bmp_begin)};
}

Picture BuiltInPicture()
{
    const std::span<const std::uint8_t> file = BuiltInPictureFile();
    CheckLayout(file);
    Picture picture;
    picture.kind = PictureKind::Bitmap;
    picture.width = kWidth;
    picture.height = kHeight;
    picture.pixels.resize(static_cast<std::size_t>(kWidth) * kHeight);
    for (int y = 0; y < kHeight; ++y) {
        // Rows are stored bottom-up, each pixel as blue, green, red.
        const std::uint8_t* row = file.data() + kPixelOffset + kRowBytes * static_cast<std::size_t>(kHeight - 1 - y);
        for (int x = 0; x < kWidth; ++x) {
            const std::uint8_t* p = row + 3 * x;
            picture.pixels[static_cast<std::size_t>(y) * kWidth + static_cast<std::size_t>(x)] =
                StoredPixel(MakeColour(p[2], p[1], p[0]));
        }
    }
    picture.sourceFile.assign(file.begin(), file.end());
    picture.encodingKept = true;
    picture.keptPixelOffset = kPixelOffset;
    return picture;
}
