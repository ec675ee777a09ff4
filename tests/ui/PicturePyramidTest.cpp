// The pyramid of block means: exact means of the picture's own pixels at every level,
// odd edges included, whatever route brought a level up to date.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/support/PictureBuilder.h"
#include "ui/PicturePyramid.h"

namespace {

struct Bgr {
    int blue, green, red;
    bool operator==(const Bgr&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Bgr& c)
{
    return out << "(b " << c.blue << ", g " << c.green << ", r " << c.red << ")";
}

Bgr LevelPixel(const PicturePyramid& pyramid, int k, int x, int y)
{
    const PicturePyramid::Level level = pyramid.level(k);
    const std::uint8_t* at = level.data + static_cast<std::size_t>(y) * level.stride + 3 * static_cast<std::size_t>(x);
    return {at[0], at[1], at[2]};
}

// The rounded mean of the picture pixels under level pixel (x, y), worked out here
// pixel by pixel.
Bgr BlockMean(const Picture& picture, int k, int x, int y)
{
    long red = 0, green = 0, blue = 0, count = 0;
    for (int py = y << k; py < std::min((y + 1) << k, picture.height); ++py)
        for (int px = x << k; px < std::min((x + 1) << k, picture.width); ++px) {
            const ColourValue c = picture.pixels[static_cast<std::size_t>(py) * picture.width + px] & 0xFFFFFFu;
            red += RedOf(c);
            green += GreenOf(c);
            blue += BlueOf(c);
            ++count;
        }
    return {static_cast<int>((blue + count / 2) / count), static_cast<int>((green + count / 2) / count),
            static_cast<int>((red + count / 2) / count)};
}

// The number of level pixels that differ from the block means (-1 for a level never made).
int Wrong(const PicturePyramid& pyramid, const Picture& picture, int k)
{
    const PicturePyramid::Level level = pyramid.level(k);
    if (!level.data)
        return -1;
    int wrong = 0;
    for (int y = 0; y < level.height; ++y)
        for (int x = 0; x < level.width; ++x)
            wrong += !(LevelPixel(pyramid, k, x, y) == BlockMean(picture, k, x, y));
    return wrong;
}

// A fill clipped to the picture, as the surface's.
void Fill(Picture& picture, const Rect& r, ColourValue colour)
{
    for (int y = std::max(r.top, 0); y < std::min(r.bottom, picture.height); ++y)
        for (int x = std::max(r.left, 0); x < std::min(r.right, picture.width); ++x)
            SetPixel(picture, x, y, colour);
}

// Mean of means would round twice: blocks of sums 2, 2, 2, 0 have means 1, 1, 1, 0, whose
// mean rounds to 1; the sixteen pixels' mean, 6 / 16, rounds to 0.
TEST(PicturePyramid, EachLevelIsTheMeanOfThePicturesOwnPixels)
{
    Picture picture = MakePicture(4, 4, kBlack);
    for (const auto& [x, y] : {std::pair{0, 0}, {1, 0}, {2, 0}, {3, 0}, {0, 2}, {1, 2}})
        SetPixel(picture, x, y, MakeColour(1, 0, 0));
    PicturePyramid pyramid;
    pyramid.reset(4, 4);
    pyramid.update(picture, 1);
    EXPECT_EQ(LevelPixel(pyramid, 1, 0, 0), (Bgr{0, 0, 1}));
    EXPECT_EQ(LevelPixel(pyramid, 1, 1, 1), (Bgr{0, 0, 0}));
    pyramid.update(picture, 2);
    EXPECT_EQ(LevelPixel(pyramid, 2, 0, 0), (Bgr{0, 0, 0}));
}

TEST(PicturePyramid, AnOddEdgeAveragesOnlyThePixelsThatExist)
{
    const Picture picture = MakePicture(3, 1, kBlack, {{2, 0, kWhite}});
    PicturePyramid pyramid;
    pyramid.reset(3, 1);
    pyramid.update(picture, 1);
    EXPECT_EQ(LevelPixel(pyramid, 1, 0, 0), (Bgr{0, 0, 0}));
    EXPECT_EQ(LevelPixel(pyramid, 1, 1, 0), (Bgr{255, 255, 255}));
    EXPECT_EQ(LevelPixel(pyramid, 2, 0, 0), (Bgr{85, 85, 85})) << "765 / 3, not the mean of 0 and 255";
}

// Whole tiles go the vectorised way, edge tiles pixel by pixel: both must give the block
// means, at every level.
// A level asked for comes with the coarser ones only.
TEST(PicturePyramid, EveryLevelEqualsTheBlockMeansOnWholeAndEdgeTiles)
{
    // Five by five tiles: shared between two threads.
    const Picture picture = NoisePicture(1101, 1031);
    PicturePyramid pyramid;
    pyramid.reset(1101, 1031);
    pyramid.update(picture, 3);
    EXPECT_EQ(pyramid.level(2).data, nullptr);
    EXPECT_TRUE(pyramid.stale(2));
    pyramid.update(picture, 1);
    for (int k = 1; k <= PicturePyramid::kLevels; ++k) {
        EXPECT_EQ(Wrong(pyramid, picture, k), 0) << "level " << k;
        EXPECT_FALSE(pyramid.stale(k));
    }
}

struct ChangeRow {
    const char* name;
    std::vector<Rect> changes;
    int updateLevel;  // the level drawn after the changes; refine() does the rest
};

class PyramidAfterChanges : public ::testing::TestWithParam<ChangeRow> {};

// Changes, a draw at one level, the idle work: the same as a pyramid built afresh.
TEST_P(PyramidAfterChanges, EqualsAFreshOne)
{
    Picture picture = NoisePicture(1101, 1031, 7);
    PicturePyramid pyramid;
    pyramid.reset(1101, 1031);
    pyramid.update(picture, 1);
    ColourValue colour = MakeColour(200, 17, 90);
    for (const Rect& change : GetParam().changes) {
        Fill(picture, change, colour);
        pyramid.invalidate(change);
        colour = (colour * 2654435761u) & 0xFFFFFFu;
    }
    pyramid.update(picture, GetParam().updateLevel);
    EXPECT_FALSE(pyramid.stale(GetParam().updateLevel));
    while (pyramid.refine(picture, 3)) {
    }
    PicturePyramid fresh;
    fresh.reset(1101, 1031);
    fresh.update(picture, 1);
    for (int k = 1; k <= PicturePyramid::kLevels; ++k) {
        const PicturePyramid::Level a = pyramid.level(k);
        const PicturePyramid::Level b = fresh.level(k);
        ASSERT_EQ(a.stride, b.stride);
        EXPECT_EQ(std::memcmp(a.data, b.data, a.stride * static_cast<std::size_t>(a.height)), 0) << "level " << k;
        EXPECT_FALSE(pyramid.stale(k));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Changes, PyramidAfterChanges,
    ::testing::Values(ChangeRow{"SquareAcrossFourTiles", {{250, 250, 262, 262}}, 3},
                      ChangeRow{"OnePixelAtTheOddCorner", {{1100, 1030, 1101, 1031}}, 6},
                      ChangeRow{"ClippedPastTheEdges", {{-50, -50, 5, 5}, {1090, 1020, 1300, 1300}}, 2},
                      ChangeRow{"ManySmall", {{0, 0, 3, 3}, {300, 100, 303, 103}, {512, 256, 513, 257}, {1, 500, 9, 530}}, 4},
                      ChangeRow{"WholePicture", {{0, 0, 1101, 1031}}, 5}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PicturePyramid, OnlyTheTouchedTilesGoStale)
{
    const Picture picture = NoisePicture(600, 300);
    PicturePyramid pyramid;
    pyramid.reset(600, 300);
    pyramid.update(picture, 1);
    pyramid.invalidate({590, 290, 600, 300});
    EXPECT_TRUE(pyramid.stale(1));
    EXPECT_TRUE(pyramid.stale(6));
    // Brought up to date by one of the tiles' worth of idle work.
    EXPECT_FALSE(pyramid.refine(picture, 1));
    EXPECT_FALSE(pyramid.stale(1));
    EXPECT_FALSE(pyramid.stale(6));
}

}  // namespace
