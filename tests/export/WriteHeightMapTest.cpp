// The height maps: every channel sum's 16-bit value, the R16's exact bytes, the PNG read
// back by the test's own decoder, black beyond the picture, the file name choosing the
// format, and the failures every export has.
#include "export/WriteHeightMap.h"

#include <cerrno>
#include <cmath>
#include <gtest/gtest.h>

#include "export/MeshExport.h"
#include "model/EditorState.h"
#include "tests/files/ScriptedFileOps.h"
#include "tests/support/Failures.h"
#include "tests/support/PictureBuilder.h"
#include "tests/support/PngFiles.h"
#include "tests/support/TempFolder.h"

namespace {

TEST(HeightMapValue, IsTheNearestOfRoundSumTimes65535Over765)
{
    const std::pair<int, int> known[] = {{0, 0},         {1, 86},        {2, 171},       {3, 257},
                                         {382, 32725},   {383, 32810},   {764, 65449},   {765, 65535}};
    for (const auto& [sum, value] : known)
        EXPECT_EQ(HeightMapValue(sum), value) << sum;
    for (int sum = 0; sum <= kMaxChannelSum; ++sum) {
        ASSERT_EQ(HeightMapValue(sum), std::lround(sum * 65535.0 / 765)) << sum;
        // A reader that rounds back, as Import Picture does, finds the sum again.
        ASSERT_EQ(std::lround(3.0 * HeightMapValue(sum) / 257), sum) << sum;
    }
}

// 3 x 2 pixels of sums 0, 1, 765 / 2, 383, 764, 3; shown in a 4 x 3 display.
Picture SmallPicture()
{
    return MakePicture(3, 2, kBlack,
                       {{1, 0, ColourOfSum(1)}, {2, 0, kWhite}, {0, 1, ColourOfSum(2)}, {1, 1, ColourOfSum(383)},
                        {2, 1, ColourOfSum(764)}});
}

std::string Export(MeshFormat format, const ImageSurface& surface, FileOps& ops = SystemFileOps())
{
    EditorState state;
    ResetGrid(state, surface);
    const TempFolder folder;
    WriteMesh(format, state, surface, folder.file("map"), ops);
    return ReadWholeFile(folder.file("map"));
}

TEST(WriteHeightRaw, IsLittleEndianRowsFromTheTopWithoutAHeader)
{
    EXPECT_EQ(Export(MeshFormat::HeightRaw, SurfaceWith(SmallPicture())),
              std::string("\x00\x00\x56\x00\xFF\xFF"
                          "\xAB\x00\x2A\x80\xA9\xFF",
                          12));
}

TEST(WriteHeightRaw, PixelsBeyondThePictureAreBlack)
{
    ImageSurface surface = SurfaceWith(SmallPicture());
    surface.setDisplaySize(4, 3);
    EXPECT_EQ(Export(MeshFormat::HeightRaw, surface),
              std::string("\x00\x00\x56\x00\xFF\xFF\x00\x00"
                          "\xAB\x00\x2A\x80\xA9\xFF\x00\x00"
                          "\x00\x00\x00\x00\x00\x00\x00\x00",
                          24));
}

struct PngCase {
    const char* name;
    Picture picture;
    int displayWidth, displayHeight;  // 0: the picture's
};

void PrintTo(const PngCase& c, std::ostream* out) { *out << c.name; }

class WriteHeightPngValues : public testing::TestWithParam<PngCase> {};

TEST_P(WriteHeightPngValues, ReadBackAsEveryPixelsValue)
{
    const PngCase& c = GetParam();
    ImageSurface surface = SurfaceWith(c.picture);
    if (c.displayWidth != 0)
        surface.setDisplaySize(c.displayWidth, c.displayHeight);
    const GreyPng png = ReadGreyPng(Export(MeshFormat::HeightPng, surface));
    ASSERT_TRUE(png.ok);
    EXPECT_EQ(png.chunkTypes.front(), "IHDR");
    EXPECT_EQ(png.width, std::uint32_t(surface.width()));
    EXPECT_EQ(png.height, std::uint32_t(surface.height()));
    EXPECT_EQ(png.interlace, 0);
    ASSERT_EQ(png.values.size(), std::size_t(surface.width()) * std::size_t(surface.height()));
    std::size_t wrong = 0;
    for (int y = 0; y < surface.height(); ++y)
        for (int x = 0; x < surface.width(); ++x) {
            const ColourValue colour = surface.pixel(x, y);
            const int sum = RedOf(colour) + GreenOf(colour) + BlueOf(colour);
            wrong += png.values[std::size_t(y) * std::size_t(surface.width()) + std::size_t(x)] != HeightMapValue(sum);
        }
    EXPECT_EQ(wrong, 0u);
}

Picture EverySum(int width, int height)
{
    Picture picture = MakePicture(width, height, kBlack);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            SetPixel(picture, x, y, MakeColour((x * 37) % 256, (y * 11 + x) % 256, (x ^ y) % 256));
    return picture;
}

INSTANTIATE_TEST_SUITE_P(
    Pictures, WriteHeightPngValues,
    testing::Values(PngCase{"Small", SmallPicture(), 0, 0}, PngCase{"OnePixel", MakePicture(1, 1, kWhite), 0, 0},
                    PngCase{"BlackBeyondThePicture", SmallPicture(), 5, 4},
                    PngCase{"EveryKindOfPixel", EverySum(300, 257), 0, 0},
                    PngCase{"OneLongRow", EverySum(40000, 1), 0, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(HeightMapFormatOf, TheNamesExtensionChoosesRawElsePng)
{
    EXPECT_EQ(HeightMapFormatOf("a/terrain.r16"), MeshFormat::HeightRaw);
    EXPECT_EQ(HeightMapFormatOf("TERRAIN.RAW"), MeshFormat::HeightRaw);
    EXPECT_EQ(HeightMapFormatOf("terrain.R16"), MeshFormat::HeightRaw);
    EXPECT_EQ(HeightMapFormatOf("terrain.png"), MeshFormat::HeightPng);
    EXPECT_EQ(HeightMapFormatOf("terrain"), MeshFormat::HeightPng);
    EXPECT_EQ(HeightMapFormatOf("r16"), MeshFormat::HeightPng);
    EXPECT_EQ(HeightMapFormatOf("raw.png"), MeshFormat::HeightPng);
}

TEST(WriteHeightMap, FailsForAPictureWithoutUsablePixelsBeforeTheFileIsTouched)
{
    Picture unusable = MakePicture(4, 4, kWhite);
    unusable.pixelsUnusable = true;
    ImageSurface noDisplay;
    const std::pair<ImageSurface, Failure> cases[] = {{IconSurface(), Failure::NotABitmap},
                                                      {SurfaceWith(std::move(unusable)), Failure::BitmapNotValid},
                                                      {std::move(noDisplay), Failure::BitmapNotValid}};
    for (const auto& [surface, failure] : cases)
        for (MeshFormat format : {MeshFormat::HeightPng, MeshFormat::HeightRaw}) {
            EditorState state;
            const TempFolder folder;
            WriteWholeFile(folder.file("old"), "old");
            EXPECT_EQ(FailureOf([&] { WriteMesh(format, state, surface, folder.file("old")); }), failure);
            EXPECT_EQ(ReadWholeFile(folder.file("old")), "old");
        }
}

TEST(WriteHeightMap, WriteFailuresNameTheirCauseAndKeepTheOldFile)
{
    // 2048 x 1024 x 2 bytes: the R16 fails in its second block, the PNG in its first.
    const ImageSurface surface = SurfaceWith(EverySum(2048, 1024));
    for (auto [format, failing] : {std::pair{MeshFormat::HeightPng, 1}, {MeshFormat::HeightRaw, 2}}) {
        const TempFolder folder;
        WriteWholeFile(folder.file("old"), "old");
        ScriptedFileOps ops;
        ops.failWriteNumber = failing;
        ops.failWriteWith = ENOSPC;
        EditorState state;
        try {
            WriteMesh(format, state, surface, folder.file("old"), ops);
            FAIL() << "no error";
        } catch (const EditorError& error) {
            EXPECT_EQ(error.failure(), Failure::Io);
            EXPECT_EQ(std::string(error.what()), "I/O error " + std::to_string(ENOSPC));
        }
        EXPECT_EQ(ReadWholeFile(folder.file("old")), "old");
        EXPECT_EQ(folder.names(), std::vector<std::string>{"old"});
    }
}

// The height map takes the picture as it is: no sampling, the grid untouched.
TEST(WriteHeightMap, LeavesTheHeightGridAlone)
{
    const ImageSurface surface = SurfaceWith(SmallPicture());
    EditorState state;
    ResetGrid(state, surface);
    const TempFolder folder;
    WriteMesh(MeshFormat::HeightPng, state, surface, folder.file("a.png"));
    for (int i = 0; i <= HeightGrid::kMaxIndex; ++i)
        for (int j = 0; j <= HeightGrid::kMaxIndex; ++j)
            ASSERT_EQ(state.heights.at(i, j), 0.0) << i << ", " << j;
}

} // namespace
