// The BMP reader: one table of files, the BMP Suite corpus and small hostile files made
// here, each with its required outcome; the exact picture of every file that must load
// exactly; a differential check of one picture stored in every coding the reader knows.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdlib>
#include <functional>
#include <new>
#include <set>

#include "files/BmpReader.h"
#include "files/ByteOrder.h"
#include "model/EditorError.h"
#include "tests/support/AllocationCount.h"
#include "tests/support/BmpBuilder.h"
#include "tests/support/Failures.h"
#include "tests/support/PictureCrc.h"
#include "tests/support/TestData.h"



namespace {

struct Sample {
    int x, y;
    std::uint32_t rgb;
};

struct ExpectedPicture {
    int number;
    int width, height;
    std::uint32_t crc;
    // #RRGGBB at (0,0), (W-1,0), (0,H-1), (W-1,H-1), (25,19), (30,21), (16,H-14),
    // (48,H-14), (80,H-14), (112,H-14)
    std::array<std::uint32_t, 10> samples;
    Sample other;  // x < 0: none
};

// The corpus README's expected pictures.
const ExpectedPicture kPictures[] = {
    {1, 127, 64, 0x3CE81FAE, {0xFFFFFF, 0xFFFFFF, 0x000000, 0x000000, 0x000000, 0xFFFFFF, 0xFFFFFF, 0x000000, 0xFFFFFF, 0xFFFFFF}, {-1, -1, 0}},
    {2, 127, 64, 0x9E91174A, {0x40FF40, 0x40FF40, 0x4040FF, 0x4040FF, 0x4040FF, 0x40FF40, 0x40FF40, 0x4040FF, 0x40FF40, 0x40FF40}, {-1, -1, 0}},
    {3, 127, 64, 0x2B542560, {0x4040FF, 0x4040FF, 0x4040FF, 0x4040FF, 0x4040FF, 0x4040FF, 0x4040FF, 0x4040FF, 0x4040FF, 0x4040FF}, {-1, -1, 0}},
    {4, 127, 64, 0x0DA27594, {0xAAAAAA, 0xAAAAAA, 0x000000, 0x555555, 0x000000, 0xFFFFFF, 0xAAAAAA, 0x555555, 0xAAAAAA, 0xAAAAAA}, {-1, -1, 0}},
    {5, 127, 64, 0xF0D8C5D6, {0x0000FF, 0x0000FF, 0x000000, 0xFF0000, 0x000000, 0xFFFFFF, 0x0000FF, 0xFF0000, 0x0000FF, 0x0000FF}, {-1, -1, 0}},
    {6, 127, 64, 0x288E4371, {0xFF0000, 0xFF80FF, 0x000000, 0x000000, 0x000000, 0xFFFFFF, 0x0080FF, 0xFF80FF, 0xFF8000, 0xFF80FF}, {-1, -1, 0}},
    {7, 127, 64, 0x452DA01A, {0x8B8B8B, 0xA2A2A2, 0x000000, 0x5D5D5D, 0x000000, 0xFFFFFF, 0x8B8B8B, 0x5D5D5D, 0x8B8B8B, 0x747474}, {-1, -1, 0}},
    {8, 127, 64, 0x473FBC7D, {0x000000, 0x000000, 0x000000, 0x000000, 0x000000, 0x000000, 0x0080FF, 0xFF80FF, 0xFF8000, 0xFF80FF}, {64, 7, 0x000000}},
    {9, 127, 64, 0xEED4E744, {0xFF0000, 0xFF80FF, 0x000000, 0x000000, 0x000000, 0x000000, 0x0080FF, 0xFF80FF, 0xFF8000, 0xFF80FF}, {-1, -1, 0}},
    {10, 127, 64, 0x38454155, {0xFF0000, 0x99AACC, 0x000000, 0x665566, 0x000000, 0xFFFFFF, 0x338099, 0x995599, 0x998033, 0x668099}, {-1, -1, 0}},
    {11, 127, 64, 0x09C27834, {0x808080, 0xA2A2A2, 0x000000, 0x636363, 0x000000, 0xFFFFFF, 0x797979, 0x555555, 0x808080, 0x6F6F6F}, {-1, -1, 0}},
    {12, 127, 32, 0x8409C689, {0xFF0000, 0x99AACC, 0x000000, 0x665566, 0x000000, 0xFFFFFF, 0x668099, 0x000000, 0x000000, 0x998099}, {-1, -1, 0}},
    {13, 124, 61, 0xB53EE6C8, {0xFF0000, 0x998099, 0x330000, 0x335566, 0x000000, 0xFFFFFF, 0x338066, 0x662B66, 0x668033, 0x665566}, {-1, -1, 0}},
    {14, 125, 62, 0x3AB8F7C5, {0xFF0000, 0xCCAACC, 0x000000, 0x665566, 0x000000, 0xFFFFFF, 0x66AA99, 0x995599, 0x99AA66, 0x998099}, {-1, -1, 0}},
    {15, 126, 63, 0xBB664CDA, {0xFF0000, 0x998099, 0x000000, 0x335566, 0x000000, 0xFFFFFF, 0x338099, 0x992B99, 0x998033, 0x668066}, {-1, -1, 0}},
    {16, 127, 64, 0xBD043619, {0x000000, 0x000000, 0x000000, 0x000000, 0x000000, 0x000000, 0x338099, 0x995599, 0x998033, 0x668099}, {69, 11, 0x000000}},
    {17, 127, 64, 0xFE1FE560, {0xFF0000, 0x99AACC, 0x000000, 0x665566, 0x000000, 0x000000, 0x338099, 0x995599, 0x998033, 0x668099}, {-1, -1, 0}},
    {18, 127, 64, 0x04500D02, {0xFF0000, 0x000000, 0x000000, 0x665566, 0x000000, 0x000000, 0x000000, 0x000000, 0x998033, 0x000000}, {-1, -1, 0}},
    {19, 127, 64, 0x46DD68AD, {0xFF0000, 0x9C9CBD, 0x000000, 0x63637B, 0x000000, 0xFFFFFF, 0x318484, 0x843184, 0x848431, 0x6B6B7B}, {-1, -1, 0}},
    {20, 127, 64, 0x80839B35, {0xFF0000, 0x9C9EBD, 0x000000, 0x63617B, 0x000000, 0xFFFFFF, 0x318684, 0x843584, 0x848631, 0x6B6D7B}, {-1, -1, 0}},
    {21, 127, 64, 0x3E2D81CF, {0xFF0000, 0xAAB6FF, 0x000000, 0x554900, 0x000000, 0xFFFFFF, 0x5592FF, 0xAA49FF, 0xAA9200, 0xAA6DFF}, {-1, -1, 0}},
    {22, 127, 64, 0x8B8E086C, {0xFF0000, 0xB69FB6, 0x000000, 0x49606D, 0x000000, 0xFFFFFF, 0x498492, 0x923592, 0x928449, 0x6D6D92}, {-1, -1, 0}},
    {23, 127, 64, 0xF1C20C73, {0xFF0000, 0x9F9F00, 0x000000, 0x606000, 0x000000, 0xFFFF00, 0x358400, 0x843500, 0x848400, 0x6D6D00}, {-1, -1, 0}},
    {24, 127, 64, 0xB7851F9F, {0xFF0000, 0x9999BB, 0x000000, 0x666677, 0x000000, 0x00FF00, 0x338888, 0x883388, 0x888833, 0x666677}, {27, 32, 0xFF0000}},
    {25, 127, 64, 0x18E42B45, {0xFF0000, 0xFF9FAA, 0x000000, 0x006055, 0x000000, 0x00FF00, 0x0084AA, 0xFF34AA, 0xFF8455, 0xFF6DAA}, {27, 32, 0xFF0000}},
    {26, 127, 64, 0x025BBA0A, {0xFF0000, 0x9F9FBD, 0x000000, 0x60607E, 0x000000, 0xFFFFFF, 0x358484, 0x843584, 0x848435, 0x6D6D7D}, {-1, -1, 0}},
    {27, 127, 64, 0x4FF673F7, {0xFF0000, 0x9F9FBD, 0x000000, 0x60607E, 0x000000, 0xFFFFFF, 0x358484, 0x843584, 0x848435, 0x6D6D7D}, {0, 11, 0xD30000}},
    {28, 127, 64, 0xF4816DD6, {0xFF0000, 0x9F9FBD, 0x000000, 0x60607E, 0x000000, 0xFFFFFF, 0x348485, 0x853585, 0x858434, 0x6C6D7C}, {-1, -1, 0}},
    {29, 127, 64, 0x7B67823D, {0xFF0000, 0x9F9FBD, 0x000000, 0x60607E, 0x000000, 0x00FF00, 0x358484, 0x843584, 0x848435, 0x6D6D7D}, {27, 32, 0xFF0000}},
    {30, 127, 64, 0xD06D44EF, {0xFF0000, 0x9E9FBD, 0x000000, 0x61607B, 0x000000, 0x00FF00, 0x358484, 0x863584, 0x868431, 0x6D6D7B}, {27, 32, 0xFF0000}},
};

const ExpectedPicture& PictureNumber(int number)
{
    return *std::find_if(std::begin(kPictures), std::end(kPictures),
                         [&](const ExpectedPicture& p) { return p.number == number; });
}

enum class Outcome { Exact, Loose, Empty, ReadError, NotValid, TooLarge, Unusable };

struct ReaderCase {
    std::string name;
    std::function<Bytes()> bytes;
    Outcome outcome;
    int picture = 0;      // a corpus picture number, for Exact
    SmallPicture pixels;  // else the exact pixels, for Exact
};

std::ostream& operator<<(std::ostream& out, const ReaderCase& c) { return out << c.name; }

ReaderCase Corpus(const char* path, Outcome outcome, int picture = 0)
{
    return {path, [path] { return ReadBytes(SuiteFolder() / path); }, outcome, picture, {}};
}

ReaderCase Made(std::string name, Bytes bytes, Outcome outcome, SmallPicture pixels = {})
{
    return {std::move(name), [bytes] { return bytes; }, outcome, 0, std::move(pixels)};
}

// --- Small pictures and their encodings -------------------------------------------------

// Two colours whose channels survive 5-bit storage exactly, so one picture fits every
// coding from 1 to 32 bits.
constexpr std::uint32_t kColourA = 0x0084FF;
constexpr std::uint32_t kColourB = 0xFF0084;

// 5 x 3: odd width, so every depth below 32 bits pads its rows.
const std::vector<int> kIndices = {0, 1, 1, 0, 1,
                                   1, 0, 0, 0, 1,
                                   0, 0, 1, 1, 1};
constexpr int kW = 5, kH = 3;

SmallPicture TwoColourPicture()
{
    SmallPicture p{kW, kH, {}};
    for (int i : kIndices)
        p.rgb.push_back(i ? kColourB : kColourA);
    return p;
}

BmpSpec Indexed(int bits, bool topDown = false)
{
    BmpSpec s;
    s.width = kW;
    s.height = topDown ? -kH : kH;
    s.bitsPerPixel = static_cast<std::uint16_t>(bits);
    s.table = {kColourA, kColourB};
    s.coloursUsed = 2;
    s.pixels = IndexRows(kIndices, kW, kH, bits, topDown);
    return s;
}

BmpSpec Direct(int bits, bool topDown = false)
{
    BmpSpec s;
    s.width = kW;
    s.height = topDown ? -kH : kH;
    s.bitsPerPixel = static_cast<std::uint16_t>(bits);
    const SmallPicture p = TwoColourPicture();
    s.pixels = bits == 16 ? DirectRows(p, 2, As555, topDown) : DirectRows(p, bits / 8, AsBgr, topDown);
    return s;
}

BmpSpec Rle(bool fourBits)
{
    BmpSpec s = Indexed(fourBits ? 4 : 8);
    s.compression = fourBits ? 2 : 1;
    s.pixels = RleRows(kIndices, kW, kH, fourBits);
    return s;
}

BmpSpec Core(int bits)
{
    BmpSpec s = bits == 24 ? Direct(24) : Indexed(bits);
    s.headerSize = 12;
    if (bits <= 8)
        s.table.resize(std::size_t{1} << bits, 0);  // the core header's table is always full
    return s;
}

// The header of a picture with nothing behind it but a few bytes.
Bytes Declared(std::int64_t width, std::int64_t height, std::uint16_t bits = 24)
{
    BmpSpec s;
    s.width = width;
    s.height = height;
    s.bitsPerPixel = bits;
    s.pixels = Bytes(16, 0);
    return BuildBmp(s);
}

Bytes WithField32(Bytes file, std::size_t at, std::uint32_t value)
{
    PutU32(&file[at], value);
    return file;
}

Bytes Text(const std::string& text) { return Bytes(text.begin(), text.end()); }

SmallPicture Solid(int w, int h, std::uint32_t rgb) { return {w, h, std::vector<std::uint32_t>(static_cast<std::size_t>(w * h), rgb)}; }

// A picture that uses all of the default table at 1, 2 and 4 bits.
ReaderCase FullDefaultTable(int bits)
{
    const int entries = 1 << bits;
    BmpSpec s;
    s.width = entries;
    s.height = 1;
    s.bitsPerPixel = static_cast<std::uint16_t>(bits);
    SmallPicture expected{entries, 1, {}};
    std::vector<int> indices;
    for (int i = 0; i < entries; ++i) {
        const std::uint32_t grey = static_cast<std::uint32_t>(i * 255 / (entries - 1)) * 0x010101u;
        s.table.push_back(grey);
        expected.rgb.push_back(grey);
        indices.push_back(i);
    }
    s.pixels = IndexRows(indices, entries, 1, bits);
    return Made("info_" + std::to_string(bits) + "bpp_colours_used_0", BuildBmp(s), Outcome::Exact, expected);
}

// 300 x 200 at 24 bits: a picture larger than the corpus's.
ReaderCase LargerPicture()
{
    SmallPicture p{300, 200, {}};
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 300; ++x)
            p.rgb.push_back(static_cast<std::uint32_t>((x % 256) << 16 | y << 8 | ((x + y) % 256)));
    BmpSpec s;
    s.width = 300;
    s.height = 200;
    s.pixels = DirectRows(p, 3, AsBgr);
    return Made("larger_picture_300x200", BuildBmp(s), Outcome::Exact, p);
}

// 16 bits, 5-6-5, every value once: more pixels than 16-bit values, so the reader
// converts through a table of all of them (the corpus's smaller files convert pixel by
// pixel). Each channel v of an n-bit mask M = 2^n - 1 gives round(v * 255 / M).
ReaderCase EverySixteenBitValue()
{
    constexpr int w = 256, h = 257;  // the last row repeats the first values
    const auto scale = [](std::uint32_t v, std::uint32_t max) { return (v * 255 + max / 2) / max; };
    SmallPicture p{w, h, {}};
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const std::uint32_t v = static_cast<std::uint32_t>(y * w + x) & 0xFFFF;
            p.rgb.push_back(scale(v >> 11, 31) << 16 | scale(v >> 5 & 63, 63) << 8 | scale(v & 31, 31));
        }
    }
    BmpSpec s;
    s.width = w;
    s.height = h;
    s.bitsPerPixel = 16;
    s.compression = 3;
    s.masks = {0xF800, 0x07E0, 0x001F};
    for (int i = 0; i < h; ++i) {
        for (int x = 0; x < w; ++x) {  // rows of 512 bytes need no padding
            const std::uint32_t v = static_cast<std::uint32_t>((h - 1 - i) * w + x) & 0xFFFF;
            s.pixels.push_back(static_cast<std::uint8_t>(v));
            s.pixels.push_back(static_cast<std::uint8_t>(v >> 8));
        }
    }
    return Made("every_16bit_value_565", BuildBmp(s), Outcome::Exact, p);
}

// 8 bits, two named entries; the offset ends the table in the middle of the second one,
// whose red byte (1) then is the first pixel: index 1, beyond the one whole entry.
ReaderCase OffsetCutsEntry()
{
    BmpSpec s;
    s.width = 1;
    s.bitsPerPixel = 8;
    s.coloursUsed = 2;
    s.table = {0x102030, 0x01C0C0};
    s.pixels = {0, 0};
    s.pixelOffset = 14 + 40 + 4 + 2;
    return Made("offset_cuts_table_entry", BuildBmp(s), Outcome::Exact, Solid(1, 1, 0x000000));
}

ReaderCase OffsetElsewhere(const std::string& name, std::uint32_t offset)
{
    BmpSpec s = Indexed(8);
    s.pixelOffset = offset;
    return Made(name, BuildBmp(s), Outcome::Exact, TwoColourPicture());
}

// A mask 32 bits wide: v * 255 needs more than 32 bits.
ReaderCase FullWidthMask()
{
    BmpSpec s;
    s.width = 2;
    s.bitsPerPixel = 32;
    s.compression = 3;
    s.masks = {0xFFFFFFFF, 0, 0};
    s.pixels = {0x00, 0x00, 0x00, 0x80, 0xFF, 0xFF, 0xFF, 0xFF};
    return Made("full_width_32bit_mask", BuildBmp(s), Outcome::Exact, {2, 1, {0x800000, 0xFF0000}});
}

// RLE data of a 4 x 2 picture; red is index 0, green index 1.
ReaderCase CutRle(const std::string& name, Bytes data, std::vector<std::uint32_t> expected, bool fourBits = false)
{
    BmpSpec s;
    s.width = 4;
    s.height = 2;
    s.bitsPerPixel = fourBits ? 4 : 8;
    s.compression = fourBits ? 2 : 1;
    s.table = {0xFF0000, 0x00FF00};
    s.coloursUsed = 2;
    s.pixels = std::move(data);
    return Made(name, BuildBmp(s), Outcome::Exact, {4, 2, std::move(expected)});
}

ReaderCase BadCoding(const std::string& name, int bits, std::uint32_t compression)
{
    BmpSpec s = bits <= 8 ? Indexed(bits) : Direct(bits);
    s.compression = compression;
    if (compression == 3)
        s.masks = {0xFF0000, 0xFF00, 0xFF};
    return Made(name, BuildBmp(s), Outcome::NotValid);
}

constexpr std::uint32_t O = 0x000000;  // black: no run reached it
constexpr std::uint32_t R = 0xFF0000;  // index 0
constexpr std::uint32_t G = 0x00FF00;  // index 1

std::vector<ReaderCase> MadeCases()
{
    const Bytes info24 = BuildBmp(Direct(24));
    BmpSpec zeroWidth = Direct(24), zeroHeight = Direct(24);
    zeroWidth.width = 0;
    zeroHeight.height = 0;
    BmpSpec zeroWidthCore = Core(24), zeroHeightCore = Core(24);
    zeroWidthCore.width = 0;
    zeroHeightCore.height = 0;
    BmpSpec topDownRle4 = Rle(true);
    topDownRle4.height = -kH;
    BmpSpec coreShortTable = Core(8);
    coreShortTable.table.resize(10);
    coreShortTable.pixels.clear();
    BmpSpec masksCut = Direct(32);
    masksCut.compression = 3;
    masksCut.masks = {0xFF0000, 0xFF00, 0xFF};
    BmpSpec planes = Direct(24);
    planes.planes = 2;
    BmpSpec v5 = Direct(24);
    v5.headerSize = 124;

    return {
        // Too short
        Made("zero_length", {}, Outcome::Empty),
        Made("one_byte", Text("B"), Outcome::ReadError),
        Made("thirteen_bytes", Prefix(info24, 13), Outcome::ReadError),
        Made("bm_fourteen_bytes", Prefix(info24, 14), Outcome::ReadError),
        Made("bm_seventeen_bytes", Prefix(info24, 17), Outcome::ReadError),
        Made("ends_inside_40_byte_header", Prefix(info24, 30), Outcome::ReadError),
        Made("ends_inside_124_byte_header", Prefix(BuildBmp(v5), 100), Outcome::ReadError),
        Made("text_file", Text("Just some words, not a picture at all.\n"), Outcome::NotValid),
        // Header values
        Made("header_size_zero", WithField32(info24, 14, 0), Outcome::NotValid),
        Made("zero_width", BuildBmp(zeroWidth), Outcome::NotValid),
        Made("zero_height", BuildBmp(zeroHeight), Outcome::NotValid),
        Made("zero_width_core", BuildBmp(zeroWidthCore), Outcome::NotValid),
        Made("zero_height_core", BuildBmp(zeroHeightCore), Outcome::NotValid),
        BadCoding("rle8_at_4bpp", 4, 1),
        BadCoding("rle4_at_8bpp", 8, 2),
        BadCoding("bitfields_at_8bpp", 8, 3),
        BadCoding("bitfields_at_24bpp", 24, 3),
        BadCoding("compression_7", 24, 7),
        Made("top_down_rle4", BuildBmp(topDownRle4), Outcome::NotValid),
        Made("top_down_1bpp", BuildBmp(Indexed(1, true)), Outcome::Exact, TwoColourPicture()),
        Made("top_down_4bpp", BuildBmp(Indexed(4, true)), Outcome::Exact, TwoColourPicture()),
        Made("top_down_16bpp", BuildBmp(Direct(16, true)), Outcome::Exact, TwoColourPicture()),
        Made("top_down_24bpp", BuildBmp(Direct(24, true)), Outcome::Exact, TwoColourPicture()),
        Made("top_down_32bpp", BuildBmp(Direct(32, true)), Outcome::Exact, TwoColourPicture()),
        // Size limits
        Made("width_65536", Declared(65536, 1), Outcome::TooLarge),
        Made("height_65536", Declared(1, 65536), Outcome::TooLarge),
        Made("top_down_height_65536", Declared(1, -65536), Outcome::TooLarge),
        Made("pixels_just_over_2_28", Declared(16385, 16384), Outcome::TooLarge),
        Made("pixels_exactly_2_28_short_data", Declared(16384, 16384), Outcome::NotValid),
        Made("height_int_min", Declared(1, INT_MIN), Outcome::TooLarge),
        Made("width_int_min", Declared(INT_MIN, 1), Outcome::NotValid),
        LargerPicture(),
        EverySixteenBitValue(),
        // Colour tables and offsets
        Made("core_1bpp", BuildBmp(Core(1)), Outcome::Exact, TwoColourPicture()),
        Made("core_2bpp", BuildBmp(Core(2)), Outcome::Exact, TwoColourPicture()),
        Made("core_4bpp", BuildBmp(Core(4)), Outcome::Exact, TwoColourPicture()),
        Made("core_24bpp", BuildBmp(Core(24)), Outcome::Exact, TwoColourPicture()),
        FullDefaultTable(1),
        FullDefaultTable(2),
        FullDefaultTable(4),
        Made("core_table_past_end", BuildBmp(coreShortTable), Outcome::NotValid),
        Made("colours_used_past_end", WithField32(BuildBmp(Indexed(8)), 46, 0xFFFFFFFF), Outcome::NotValid),
        OffsetElsewhere("offset_inside_header", 20),
        OffsetElsewhere("offset_zero", 0),
        OffsetElsewhere("offset_at_end_of_file", static_cast<std::uint32_t>(BuildBmp(Indexed(8)).size())),
        OffsetElsewhere("offset_past_end_of_file", 0xFFFFFFF0),
        OffsetCutsEntry(),
        // Bit fields
        Made("masks_past_end_of_file", Prefix(BuildBmp(masksCut), 14 + 40 + 8), Outcome::NotValid),
        FullWidthMask(),
        // RLE data cut short: decoded as far as they go, the rest black
        CutRle("rle8_without_end_code", {2, 1}, {O, O, O, O, G, G, O, O}),
        CutRle("rle8_ends_inside_literal", {0, 4, 1, 1}, {O, O, O, O, G, G, O, O}),
        CutRle("rle8_ends_inside_delta", {1, 1, 0, 2, 1}, {O, O, O, O, G, O, O, O}),
        CutRle("rle8_ends_after_delta", {0, 2, 1, 1, 1, 1}, {O, G, O, O, O, O, O, O}),
        CutRle("rle8_run_past_right_edge", {9, 1, 0, 0, 1, 1, 0, 1}, {G, O, O, O, G, G, G, G}),
        // Past the right edge of a row above the bottom one, a pixel drawn too many would
        // land in the row below, at its left end, which must stay black.
        CutRle("rle8_run_past_right_edge_of_upper_row", {0, 0, 9, 1, 0, 1}, {G, G, G, G, O, O, O, O}),
        CutRle("rle8_literal_past_right_edge_of_upper_row", {0, 0, 0, 5, 1, 1, 1, 1, 1, 0, 0, 1},
               {G, G, G, G, O, O, O, O}),
        CutRle("rle4_run_past_right_edge_of_upper_row", {0, 0, 9, 0x11, 0, 1}, {G, G, G, G, O, O, O, O}, true),
        CutRle("rle4_literal_past_right_edge_of_upper_row", {0, 0, 0, 5, 0x11, 0x11, 0x10, 0, 0, 1},
               {G, G, G, G, O, O, O, O}, true),
        CutRle("rle4_ends_inside_literal", {0, 4, 0x11}, {O, O, O, O, G, G, O, O}, true),
        CutRle("rle4_odd_literal_then_run", {0, 3, 0x10, 0x10, 1, 0x10}, {O, O, O, O, G, R, G, G}, true),
        // Plane count
        Made("planes_2", BuildBmp(planes), Outcome::Unusable),
    };
}

std::vector<ReaderCase> AllCases()
{
    std::vector<ReaderCase> cases = {
        Corpus("g/pal1.bmp", Outcome::Exact, 1),
        Corpus("g/pal1bg.bmp", Outcome::Exact, 2),
        Corpus("g/pal1wb.bmp", Outcome::Exact, 1),
        Corpus("g/pal4.bmp", Outcome::Exact, 6),
        Corpus("g/pal4gs.bmp", Outcome::Exact, 7),
        Corpus("g/pal4rle.bmp", Outcome::Exact, 6),
        Corpus("g/pal8-0.bmp", Outcome::Exact, 10),
        Corpus("g/pal8.bmp", Outcome::Exact, 10),
        Corpus("g/pal8gs.bmp", Outcome::Exact, 11),
        Corpus("g/pal8nonsquare.bmp", Outcome::Exact, 12),
        Corpus("g/pal8os2.bmp", Outcome::Exact, 10),
        Corpus("g/pal8rle.bmp", Outcome::Exact, 10),
        Corpus("g/pal8topdown.bmp", Outcome::Exact, 10),
        Corpus("g/pal8v4.bmp", Outcome::Exact, 10),
        Corpus("g/pal8v5.bmp", Outcome::Exact, 10),
        Corpus("g/pal8w124.bmp", Outcome::Exact, 13),
        Corpus("g/pal8w125.bmp", Outcome::Exact, 14),
        Corpus("g/pal8w126.bmp", Outcome::Exact, 15),
        Corpus("g/rgb16-565.bmp", Outcome::Exact, 20),
        Corpus("g/rgb16-565pal.bmp", Outcome::Exact, 20),
        Corpus("g/rgb16.bmp", Outcome::Exact, 19),
        Corpus("g/rgb16bfdef.bmp", Outcome::Exact, 19),
        Corpus("g/rgb24.bmp", Outcome::Exact, 26),
        Corpus("g/rgb24pal.bmp", Outcome::Exact, 26),
        Corpus("g/rgb32.bmp", Outcome::Exact, 26),
        Corpus("g/rgb32bf.bmp", Outcome::Exact, 26),
        Corpus("g/rgb32bfdef.bmp", Outcome::Exact, 26),
        Corpus("q/pal1huffmsb.bmp", Outcome::NotValid),
        Corpus("q/pal1p1.bmp", Outcome::Exact, 3),
        Corpus("q/pal2.bmp", Outcome::Exact, 4),
        Corpus("q/pal2color.bmp", Outcome::Exact, 5),
        Corpus("q/pal4rlecut.bmp", Outcome::Exact, 8),
        Corpus("q/pal4rletrns.bmp", Outcome::Exact, 9),
        Corpus("q/pal8offs.bmp", Outcome::Exact, 10),
        Corpus("q/pal8os2-hs.bmp", Outcome::Exact, 10),
        Corpus("q/pal8os2-sz.bmp", Outcome::Exact, 10),
        Corpus("q/pal8os2sp.bmp", Outcome::Exact, 10),
        Corpus("q/pal8os2v2-16.bmp", Outcome::NotValid),
        Corpus("q/pal8os2v2-40sz.bmp", Outcome::Exact, 10),
        Corpus("q/pal8os2v2-sz.bmp", Outcome::NotValid),
        Corpus("q/pal8os2v2.bmp", Outcome::NotValid),
        Corpus("q/pal8oversizepal.bmp", Outcome::Exact, 10),
        Corpus("q/pal8rlecut.bmp", Outcome::Exact, 16),
        Corpus("q/pal8rletrns.bmp", Outcome::Exact, 17),
        Corpus("q/rgb16-231.bmp", Outcome::Exact, 21),
        Corpus("q/rgb16-3103.bmp", Outcome::Exact, 22),
        Corpus("q/rgb16faketrns.bmp", Outcome::Exact, 19),
        Corpus("q/rgb24jpeg.bmp", Outcome::NotValid),
        Corpus("q/rgb24largepal.bmp", Outcome::Exact, 26),
        Corpus("q/rgb24lprof.bmp", Outcome::Exact, 26),
        Corpus("q/rgb24png.bmp", Outcome::NotValid),
        Corpus("q/rgb24rle24.bmp", Outcome::NotValid),
        Corpus("q/rgb32-111110.bmp", Outcome::Exact, 27),
        Corpus("q/rgb32-7187.bmp", Outcome::Exact, 28),
        Corpus("q/rgb32-xbgr.bmp", Outcome::Exact, 26),
        Corpus("q/rgb32fakealpha.bmp", Outcome::Exact, 26),
        Corpus("q/rgb32h52.bmp", Outcome::Exact, 26),
        Corpus("q/rgba16-1924.bmp", Outcome::Exact, 25),
        Corpus("q/rgba16-4444.bmp", Outcome::Exact, 24),
        Corpus("q/rgba16-5551.bmp", Outcome::Exact, 19),
        Corpus("q/rgba32-1.bmp", Outcome::Exact, 29),
        Corpus("q/rgba32-1010102.bmp", Outcome::Exact, 29),
        Corpus("q/rgba32-2.bmp", Outcome::Exact, 29),
        Corpus("q/rgba32-61754.bmp", Outcome::Exact, 30),
        Corpus("q/rgba32-81284.bmp", Outcome::Exact, 29),
        Corpus("q/rgba32abf.bmp", Outcome::Exact, 29),
        Corpus("q/rgba32h56.bmp", Outcome::Exact, 29),
        Corpus("q/rgba64.bmp", Outcome::NotValid),
        Corpus("b/badbitcount.bmp", Outcome::NotValid),
        Corpus("b/badbitssize.bmp", Outcome::Exact, 1),
        Corpus("b/baddens1.bmp", Outcome::Exact, 1),
        Corpus("b/baddens2.bmp", Outcome::Exact, 1),
        Corpus("b/badfilesize.bmp", Outcome::Exact, 1),
        Corpus("b/badheadersize.bmp", Outcome::NotValid),
        Corpus("b/badpalettesize.bmp", Outcome::NotValid),
        Corpus("b/badplanes.bmp", Outcome::Unusable),
        Corpus("b/badrle.bmp", Outcome::Loose),
        Corpus("b/badrle4.bmp", Outcome::Loose),
        Corpus("b/badrle4bis.bmp", Outcome::Loose),
        Corpus("b/badrle4ter.bmp", Outcome::Loose),
        Corpus("b/badrlebis.bmp", Outcome::Loose),
        Corpus("b/badrleter.bmp", Outcome::Loose),
        Corpus("b/badwidth.bmp", Outcome::NotValid),
        Corpus("b/pal8badindex.bmp", Outcome::Exact, 18),
        Corpus("b/reallybig.bmp", Outcome::TooLarge),
        Corpus("b/rgb16-880.bmp", Outcome::Exact, 23),
        Corpus("b/rletopdown.bmp", Outcome::NotValid),
        Corpus("b/shortfile.bmp", Outcome::NotValid),
        Corpus("x/ba-bm.bmp", Outcome::NotValid),
    };
    for (ReaderCase& c : MadeCases())
        cases.push_back(std::move(c));
    return cases;
}

void ExpectCorpusPicture(const Picture& picture, const ExpectedPicture& expected)
{
    ASSERT_EQ(picture.width, expected.width);
    ASSERT_EQ(picture.height, expected.height);
    EXPECT_EQ(PictureCrc(picture), expected.crc);
    const int w = expected.width, h = expected.height;
    const int xs[] = {0, w - 1, 0, w - 1, 25, 30, 16, 48, 80, 112};
    const int ys[] = {0, 0, h - 1, h - 1, 19, 21, h - 14, h - 14, h - 14, h - 14};
    for (std::size_t i = 0; i < expected.samples.size(); ++i)
        EXPECT_EQ(RgbAt(picture, xs[i], ys[i]), expected.samples[i]) << "at (" << xs[i] << "," << ys[i] << ")";
    if (expected.other.x >= 0) {
        EXPECT_EQ(RgbAt(picture, expected.other.x, expected.other.y), expected.other.rgb);
    }
}

void ExpectSmallPicture(const Picture& picture, const SmallPicture& expected)
{
    ASSERT_EQ(picture.width, expected.width);
    ASSERT_EQ(picture.height, expected.height);
    for (int y = 0; y < expected.height; ++y) {
        for (int x = 0; x < expected.width; ++x) {
            ASSERT_EQ(RgbAt(picture, x, y), expected.rgb[static_cast<std::size_t>(y * expected.width + x)])
                << "at (" << x << "," << y << ")";
        }
    }
    EXPECT_FALSE(picture.pixelsUnusable);
}

// The colours a 40-byte-header file's table holds, as #RRGGBB, plus black.
std::set<std::uint32_t> TableColours(const Bytes& file)
{
    std::set<std::uint32_t> colours{0};
    for (std::size_t at = 14 + 40; at + 4 <= ReadU32(&file[10]); at += 4)
        colours.insert((std::uint32_t{file[at + 2]} << 16) | (std::uint32_t{file[at + 1]} << 8) | file[at]);
    return colours;
}

void ExpectOnlyTableColours(const Picture& picture, const Bytes& file)
{
    ASSERT_EQ(picture.width, 127);
    ASSERT_EQ(picture.height, 64);
    const std::set<std::uint32_t> allowed = TableColours(file);
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 127; ++x)
            ASSERT_TRUE(allowed.count(RgbAt(picture, x, y))) << "at (" << x << "," << y << ")";
    }
}

// The failure a file gives; also checks that nothing as large as a picture was
// allocated on the way.
std::optional<Failure> ReadFailure(Bytes file)
{
    const std::size_t bound = std::max<std::size_t>(file.size(), 1024);
    ResetLargestAllocation();
    const std::optional<Failure> failure = FailureOf([&] { ReadBmp(std::move(file)); });
    EXPECT_LE(LargestAllocation(), bound);
    return failure;
}

// A loaded picture keeps the whole file, moved in, and the offset it was read with.
Picture LoadKeepingFile(const Bytes& file)
{
    Bytes copy = file;
    const std::uint8_t* bytes = copy.data();
    Picture picture = ReadBmp(std::move(copy));
    EXPECT_EQ(picture.kind, PictureKind::Bitmap);
    EXPECT_TRUE(picture.encodingKept);
    EXPECT_EQ(picture.sourceFile, file);
    EXPECT_EQ(picture.sourceFile.data(), bytes) << "the file was copied, not moved";
    EXPECT_EQ(picture.keptPixelOffset, ReadU32(&file[10]));
    return picture;
}

class ReaderTableTest : public ::testing::TestWithParam<ReaderCase> {};

TEST_P(ReaderTableTest, GivesTheRequiredOutcome)
{
    const ReaderCase& row = GetParam();
    const Bytes file = row.bytes();
    switch (row.outcome) {
    case Outcome::Exact: {
        const Picture picture = LoadKeepingFile(file);
        if (row.picture != 0) {
            ExpectCorpusPicture(picture, PictureNumber(row.picture));
        } else {
            ExpectSmallPicture(picture, row.pixels);
        }
        break;
    }
    case Outcome::Loose:
        ExpectOnlyTableColours(LoadKeepingFile(file), file);
        break;
    case Outcome::Empty: {
        const Picture picture = ReadBmp(file);
        EXPECT_TRUE(picture.isEmpty());
        EXPECT_EQ(picture.width, 0);
        EXPECT_EQ(picture.height, 0);
        EXPECT_FALSE(picture.encodingKept);
        EXPECT_TRUE(picture.sourceFile.empty());
        break;
    }
    case Outcome::ReadError:
        EXPECT_EQ(ReadFailure(file), Failure::StreamRead);
        break;
    case Outcome::NotValid:
        EXPECT_EQ(ReadFailure(file), Failure::BitmapNotValid);
        break;
    case Outcome::TooLarge:
        EXPECT_EQ(ReadFailure(file), Failure::BitmapTooLarge);
        break;
    case Outcome::Unusable: {
        const Picture picture = LoadKeepingFile(file);
        EXPECT_GT(picture.width, 0);
        EXPECT_GT(picture.height, 0);
        EXPECT_TRUE(picture.pixelsUnusable);
        break;
    }
    }
}

std::string RowName(const ::testing::TestParamInfo<ReaderCase>& info)
{
    std::string name = info.param.name;
    std::replace_if(name.begin(), name.end(), [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }, '_');
    return name;
}

INSTANTIATE_TEST_SUITE_P(Files, ReaderTableTest, ::testing::ValuesIn(AllCases()), RowName);

TEST(ReaderTable, HasARowForEveryCorpusFile)
{
    std::set<std::string> rows;
    for (const ReaderCase& c : AllCases())
        rows.insert(c.name);
    std::size_t files = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(SuiteFolder())) {
        if (entry.path().extension() != ".bmp")
            continue;
        ++files;
        EXPECT_TRUE(rows.count(std::filesystem::relative(entry.path(), SuiteFolder()).string())) << entry.path();
    }
    EXPECT_EQ(files, 89u);
}

// --- Codings of one picture -------------------------------------------------------------

struct Coding {
    const char* name;
    BmpSpec spec;
};

std::ostream& operator<<(std::ostream& out, const Coding& c) { return out << c.name; }

class DifferentialTest : public ::testing::TestWithParam<Coding> {};

TEST_P(DifferentialTest, DecodesLikeTheTwentyFourBitFile)
{
    const Picture reference = ReadBmp(BuildBmp(Direct(24)));
    const Picture picture = ReadBmp(BuildBmp(GetParam().spec));
    ASSERT_EQ(picture.width, reference.width);
    ASSERT_EQ(picture.height, reference.height);
    EXPECT_EQ(picture.pixels, reference.pixels);
}

BmpSpec WithMasks(BmpSpec s, std::vector<std::uint32_t> masks, std::uint32_t compression = 3)
{
    s.compression = compression;
    s.masks = std::move(masks);
    return s;
}

BmpSpec WithHeaderSize(BmpSpec s, std::uint32_t size)
{
    s.headerSize = size;
    return s;
}

INSTANTIATE_TEST_SUITE_P(
    Codings, DifferentialTest,
    ::testing::Values(Coding{"bits1", Indexed(1)}, Coding{"bits2", Indexed(2)}, Coding{"bits4", Indexed(4)},
                      Coding{"bits8", Indexed(8)}, Coding{"bits16", Direct(16)}, Coding{"bits32", Direct(32)},
                      Coding{"rle8", Rle(false)}, Coding{"rle4", Rle(true)}, Coding{"top_down_8", Indexed(8, true)},
                      Coding{"core8", Core(8)},
                      Coding{"bits32_fields", WithMasks(Direct(32), {0xFF0000, 0xFF00, 0xFF})},
                      Coding{"bits32_alpha_fields", WithMasks(Direct(32), {0xFF0000, 0xFF00, 0xFF, 0}, 6)},
                      Coding{"bits16_fields", WithMasks(Direct(16), {0x7C00, 0x03E0, 0x001F})},
                      Coding{"v4_header", WithHeaderSize(Indexed(8), 108)},
                      Coding{"v5_fields", WithHeaderSize(WithMasks(Direct(32), {0xFF0000, 0xFF00, 0xFF}), 124)}),
    [](const ::testing::TestParamInfo<Coding>& info) { return std::string(info.param.name); });

}  // namespace
