#include "export/WriteHeightMap.h"

#include <algorithm>
#include <bit>
#include <csetjmp>
#include <cstring>
#include <exception>
#include <memory>
#include <new>
#include <png.h>
#include <stdexcept>

#include "files/BufferedWriter.h"
#include "model/Picture.h"

namespace {

// Chosen by bench_export: level 1 and the Sub filter write a 8192 x 8192 height map in
// a fraction of Qt's time at the default level, and keep smooth ground small.
constexpr int kPngLevel = 1;
constexpr int kPngFilter = PNG_FILTER_SUB;
// libpng's chunks are 8 KiB by default: larger ones cost fewer chunk headers and CRCs.
constexpr std::size_t kPngChunk = std::size_t{256} << 10;

// HeightMapValue without a division, in 16-bit steps so that a row's loop runs eight
// pixels at a time even on the oldest x86-64: (257 s + 1) / 3 = 85 s + (2 s + 1) / 3, and
// x / 3 = (x x 43691) >> 17 for x below 2^17; no step leaves 16 bits.
constexpr std::uint16_t FastValue(std::uint16_t sum)
{
    const auto odd = static_cast<std::uint16_t>(2 * sum + 1);
    const auto third = static_cast<std::uint16_t>((std::uint32_t{odd} * 43691u) >> 17);
    return static_cast<std::uint16_t>(sum * 85u + third);
}
static_assert([] {
    for (int sum = 0; sum <= kMaxChannelSum; ++sum)
        if (FastValue(static_cast<std::uint16_t>(sum)) != HeightMapValue(sum))
            return false;
    return true;
}());

// Row y of width values, two bytes each at row (of any alignment); black past the
// picture. bigEndian: as PNG's samples are, else as the R16's.
void FillRow(char* row, const Picture& picture, int width, int y, bool bigEndian)
{
    const int inside = y < picture.height ? std::min(width, picture.width) : 0;
    if (inside > 0) {
        const std::uint32_t* pixels =
            picture.pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(picture.width);
        const bool swap = bigEndian == (std::endian::native == std::endian::little);
        for (int x = 0; x < inside; ++x) {
            const std::uint32_t p = pixels[x];
            const std::uint16_t value =
                FastValue(static_cast<std::uint16_t>((p & 0xFF) + ((p >> 8) & 0xFF) + ((p >> 16) & 0xFF)));
            const auto bytes = static_cast<std::uint16_t>(swap ? (value >> 8) | (value << 8) : value);
            std::memcpy(row + 2 * x, &bytes, 2);
        }
    }
    std::fill(row + 2 * static_cast<std::size_t>(inside), row + 2 * static_cast<std::size_t>(width), char{0});
}

// libpng is C and reports failures by jumping back to setjmp: nothing may be thrown
// through it. The write callback keeps what the writer threw; libpng's own failures
// are, for a valid picture, only ever memory.
struct PngWrite {
    BufferedWriter& out;
    std::exception_ptr failure;

    static void Write(png_structp png, png_bytep data, png_size_t size)
    {
        auto& self = *static_cast<PngWrite*>(png_get_io_ptr(png));
        try {
            self.out.write(data, size);
        } catch (...) {
            self.failure = std::current_exception();
            png_error(png, "write failed");
        }
    }
    static void Flush(png_structp) {}
    static void Error(png_structp png, png_const_charp) { png_longjmp(png, 1); }
    static void Warning(png_structp, png_const_charp) {}
};

// The part that libpng may jump out of: only plain pointers live in it. Returns false
// when libpng failed.
bool WritePngRows(png_structp png, png_infop info, char* row, const Picture& picture, int width, int height)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 16,
                 PNG_COLOR_TYPE_GRAY, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_compression_level(png, kPngLevel);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, kPngFilter);
    png_set_compression_buffer_size(png, kPngChunk);
    png_write_info(png, info);
    for (int y = 0; y < height; ++y) {
        FillRow(row, picture, width, y, true);
        png_write_row(png, reinterpret_cast<png_bytep>(row));
    }
    png_write_end(png, nullptr);
    return true;
}

} // namespace

void WriteHeightPng(BufferedWriter& out, const Picture& picture, int width, int height)
{
    if (width < 1 || height < 1)
        throw std::invalid_argument("WriteHeightPng: a PNG needs at least one pixel");
    const auto row = std::make_unique_for_overwrite<char[]>(2 * static_cast<std::size_t>(width));
    PngWrite write{out, nullptr};
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &write, &PngWrite::Error, &PngWrite::Warning);
    if (png == nullptr)
        throw std::bad_alloc();
    png_infop info = png_create_info_struct(png);
    if (info == nullptr) {
        png_destroy_write_struct(&png, nullptr);
        throw std::bad_alloc();
    }
    png_set_write_fn(png, &write, &PngWrite::Write, &PngWrite::Flush);
    const bool written = WritePngRows(png, info, row.get(), picture, width, height);
    png_destroy_write_struct(&png, &info);
    if (written)
        return;
    if (write.failure)
        std::rethrow_exception(write.failure);
    throw std::bad_alloc();  // libpng fails on its own only for memory
}

void WriteHeightRaw(BufferedWriter& out, const Picture& picture, int width, int height)
{
    // Straight into the writer's block: a row of at most 65,535 values always fits.
    const std::size_t size = 2 * static_cast<std::size_t>(std::max(width, 0));
    if (size > BufferedWriter::kCapacity)
        throw std::invalid_argument("WriteHeightRaw: a row longer than the writer's block");
    for (int y = 0; y < height; ++y)
        FillRow(out.claim(size), picture, width, y, false);
}
