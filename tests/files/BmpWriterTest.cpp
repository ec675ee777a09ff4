// The 14-byte file header and the fresh 24-bit encoding, byte for byte.
#include <gtest/gtest.h>

#include "files/BmpReader.h"
#include "files/BmpWriter.h"
#include "tests/support/BmpBuilder.h"
#include "tests/support/PictureCrc.h"
#include "tests/support/TestData.h"


namespace {

Picture PictureOf(int width, int height, std::vector<std::uint32_t> rgb)
{
    Picture p;
    p.width = width;
    p.height = height;
    for (std::uint32_t c : rgb)
        p.pixels.push_back(kOpaque | ((c & 0xFF) << 16) | (c & 0xFF00) | (c >> 16));
    return p;
}

TEST(BmpFileHeader, HoldsSizeAndOffsetLittleEndian)
{
    const auto header = BmpFileHeader(0x01020304, 0x0A0B0C0D);
    const Bytes expected = {'B', 'M', 0x12, 0x03, 0x02, 0x01, 0, 0, 0, 0, 0x0D, 0x0C, 0x0B, 0x0A};
    EXPECT_EQ(Bytes(header.begin(), header.end()), expected);
}

TEST(BmpFileHeader, HoldsAnOversizedFileSizeAtTheLargestValue)
{
    const auto header = BmpFileHeader(std::uint64_t{1} << 33, 54);
    EXPECT_EQ(ReadU32(&header[2]), 0xFFFFFFFFu);
}

TEST(EncodeBmp24, WritesHeadersAndPaddedRowsBottomFirst)
{
    // 2 x 2: rows of 6 bytes padded to 8; the bottom row comes first.
    const Picture picture = PictureOf(2, 2, {0x112233, 0x445566, 0x778899, 0xAABBCC});
    const Bytes expected = {
        'B', 'M', 70, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,
        40, 0, 0, 0, 2, 0, 0, 0, 2, 0, 0, 0, 1, 0, 24, 0,
        0, 0, 0, 0, 16, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
        0x99, 0x88, 0x77, 0xCC, 0xBB, 0xAA, 0, 0,
        0x33, 0x22, 0x11, 0x66, 0x55, 0x44, 0, 0,
    };
    EXPECT_EQ(EncodeBmp24(picture), expected);
}

TEST(EncodeBmp24, PadsEveryRowToFourBytes)
{
    struct Row {
        int width;
        std::size_t rowBytes;
    };
    for (const Row row : {Row{1, 4}, Row{3, 12}, Row{4, 12}, Row{5, 16}}) {
        const Picture picture = PictureOf(row.width, 3, std::vector<std::uint32_t>(static_cast<std::size_t>(row.width * 3), 0xFFFFFF));
        const Bytes file = EncodeBmp24(picture);
        EXPECT_EQ(file.size(), 54 + 3 * row.rowBytes) << "width " << row.width;
        EXPECT_EQ(ReadU32(&file[34]), 3 * row.rowBytes) << "width " << row.width;
    }
}

TEST(EncodeBmp24, ReadsBackAsThePicture)
{
    std::vector<std::uint32_t> rgb;
    for (int i = 0; i < 7 * 5; ++i)
        rgb.push_back(static_cast<std::uint32_t>(i * 0x070503));
    const Picture picture = PictureOf(7, 5, rgb);
    const Picture back = ReadBmp(EncodeBmp24(picture));
    EXPECT_EQ(back.width, 7);
    EXPECT_EQ(back.height, 5);
    EXPECT_EQ(back.pixels, picture.pixels);
}

}  // namespace
