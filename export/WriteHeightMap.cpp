#include "export/WriteHeightMap.h"

#include <algorithm>
#include <array>
#include <csetjmp>
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

constexpr std::array<std::uint16_t, kChannelSums> kValues = [] {
    std::array<std::uint16_t, kChannelSums> values{};
    for (int sum = 0; sum <= kMaxChannelSum; ++sum)
        values[static_cast<std::size_t>(sum)] = HeightMapValue(sum);
    return values;
}();

std::uint16_t ValueOf(std::uint32_t pixel)
{
    return kValues[(pixel & 0xFF) + ((pixel >> 8) & 0xFF) + ((pixel >> 16) & 0xFF)];
}

// Row y of width values, each put as two bytes by put(at, value); black past the picture.
template <class Put>
void FillRow(std::uint8_t* row, const Picture& picture, int width, int y, Put&& put)
{
    const int inside = y < picture.height ? std::min(width, picture.width) : 0;
    if (inside > 0) {
        const std::uint32_t* pixels =
            picture.pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(picture.width);
        for (int x = 0; x < inside; ++x, row += 2)
            put(row, ValueOf(pixels[x]));
    }
    std::fill(row, row + 2 * static_cast<std::size_t>(width - inside), std::uint8_t{0});
}

void PutBigEndian(std::uint8_t* at, std::uint16_t value)
{
    at[0] = static_cast<std::uint8_t>(value >> 8);
    at[1] = static_cast<std::uint8_t>(value);
}

void PutLittleEndian(std::uint8_t* at, std::uint16_t value)
{
    at[0] = static_cast<std::uint8_t>(value);
    at[1] = static_cast<std::uint8_t>(value >> 8);
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
bool WritePngRows(png_structp png, png_infop info, std::uint8_t* row, const Picture& picture, int width, int height)
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
        FillRow(row, picture, width, y, PutBigEndian);  // PNG's samples are big-endian
        png_write_row(png, row);
    }
    png_write_end(png, nullptr);
    return true;
}

} // namespace

void WriteHeightPng(BufferedWriter& out, const Picture& picture, int width, int height)
{
    if (width < 1 || height < 1)
        throw std::invalid_argument("WriteHeightPng: a PNG needs at least one pixel");
    const auto row = std::make_unique_for_overwrite<std::uint8_t[]>(2 * static_cast<std::size_t>(width));
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
    const std::size_t rowSize = 2 * static_cast<std::size_t>(std::max(width, 0));
    for (int y = 0; y < height; ++y) {
        // Straight into the writer's block when a row fits in it.
        if (rowSize <= BufferedWriter::kCapacity) {
            FillRow(reinterpret_cast<std::uint8_t*>(out.claim(rowSize)), picture, width, y, PutLittleEndian);
        } else {
            const auto row = std::make_unique_for_overwrite<std::uint8_t[]>(rowSize);
            FillRow(row.get(), picture, width, y, PutLittleEndian);
            out.write(row.get(), rowSize);
        }
    }
}
