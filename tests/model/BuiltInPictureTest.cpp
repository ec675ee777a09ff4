#include "model/BuiltInPicture.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace {

struct Rgb {
    int red, green, blue;
    int sum() const { return red + green + blue; }
    bool grey() const { return red == green && green == blue; }
};

class BuiltInPictureTest : public testing::Test {
protected:
    static void SetUpTestSuite() { picture_ = new Picture(BuiltInPicture()); }
    static void TearDownTestSuite() { delete picture_; }

    static Rgb at(int x, int y)
    {
        const std::uint32_t p = picture_->pixels[static_cast<std::size_t>(y) * 320 + x];
        return {RedOf(p), GreenOf(p), BlueOf(p)};
    }
    template <typename F>
    static void forEach(F f)
    {
        for (int y = 0; y < 200; ++y)
            for (int x = 0; x < 320; ++x)
                f(x, y, at(x, y));
    }

    static Picture* picture_;
};

Picture* BuiltInPictureTest::picture_ = nullptr;

std::uint32_t Field32(std::span<const std::uint8_t> file, std::size_t at)
{
    return file[at] | (file[at + 1] << 8) | (file[at + 2] << 16) | (std::uint32_t{file[at + 3]} << 24);
}

TEST(BuiltInPictureFile, IsA24BitBottomUpBmpWithoutColourTable)
{
    const auto file = BuiltInPictureFile();
    ASSERT_EQ(file.size(), 192054u);
    EXPECT_EQ(file[0], 'B');
    EXPECT_EQ(file[1], 'M');
    EXPECT_EQ(Field32(file, 2), 192054u);   // file size
    EXPECT_EQ(Field32(file, 10), 54u);      // pixel data right behind the headers
    EXPECT_EQ(Field32(file, 14), 40u);      // information header size
    EXPECT_EQ(Field32(file, 18), 320u);
    EXPECT_EQ(Field32(file, 22), 200u);     // positive: bottom-up
    EXPECT_EQ(file[26] | file[27] << 8, 1);   // planes
    EXPECT_EQ(file[28] | file[29] << 8, 24);  // bits per pixel
    EXPECT_EQ(Field32(file, 30), 0u);       // uncompressed
    EXPECT_EQ(Field32(file, 46), 0u);       // no colour table
}

TEST_F(BuiltInPictureTest, IsABitmapKeepingItsEncoding)
{
    EXPECT_EQ(picture_->kind, PictureKind::Bitmap);
    EXPECT_EQ(picture_->width, 320);
    EXPECT_EQ(picture_->height, 200);
    ASSERT_EQ(picture_->pixels.size(), 64000u);
    const auto file = BuiltInPictureFile();
    EXPECT_TRUE(std::equal(file.begin(), file.end(), picture_->sourceFile.begin(), picture_->sourceFile.end()));
    EXPECT_TRUE(picture_->encodingKept);
    EXPECT_EQ(picture_->keptPixelOffset, 54u);
    EXPECT_FALSE(picture_->pixelsUnusable);
}

TEST_F(BuiltInPictureTest, DecodesRowsBottomUpAsBlueGreenRed)
{
    const auto file = BuiltInPictureFile();
    for (auto [x, y] : {std::pair{0, 0}, {319, 0}, {0, 199}, {319, 199}, {123, 45}}) {
        const std::size_t stored = 54 + static_cast<std::size_t>(199 - y) * 960 + 3 * static_cast<std::size_t>(x);
        const Rgb p = at(x, y);
        EXPECT_EQ(p.blue, file[stored]) << x << "," << y;
        EXPECT_EQ(p.green, file[stored + 1]) << x << "," << y;
        EXPECT_EQ(p.red, file[stored + 2]) << x << "," << y;
        EXPECT_EQ(picture_->pixels[static_cast<std::size_t>(y) * 320 + x] >> 24, 0xFFu);
    }
}

TEST_F(BuiltInPictureTest, RedEqualsGreenAndBlueIsAtLeastAsLarge)
{
    int faults = 0;
    forEach([&](int, int, Rgb p) { faults += p.red != p.green || p.blue < p.red; });
    EXPECT_EQ(faults, 0);
}

TEST_F(BuiltInPictureTest, AFifthAreGreysInTheTopLeftCorner)
{
    int greys = 0, outside = 0, lowest = 255, highest = 0;
    forEach([&](int x, int y, Rgb p) {
        if (!p.grey())
            return;
        ++greys;
        outside += x >= 179 || y >= 179;
        lowest = std::min(lowest, p.red);
        highest = std::max(highest, p.red);
    });
    EXPECT_GE(greys, 64000 * 18 / 100);
    EXPECT_LE(greys, 64000 * 22 / 100);
    EXPECT_EQ(outside, 0);
    EXPECT_EQ(lowest, 7);
    EXPECT_EQ(highest, 225);
}

TEST_F(BuiltInPictureTest, GreyPatchesAreLightInsideAndDarkAtTheirRim)
{
    // A rim pixel is a grey with a tinted neighbour; an inner one has only grey neighbours.
    long rimSum = 0, rimCount = 0, innerSum = 0, innerCount = 0;
    forEach([&](int x, int y, Rgb p) {
        if (!p.grey())
            return;
        bool rim = false;
        for (auto [dx, dy] : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}})
            rim = rim || !at(std::clamp(x + dx, 0, 319), std::clamp(y + dy, 0, 199)).grey();
        (rim ? rimSum : innerSum) += p.red;
        ++(rim ? rimCount : innerCount);
    });
    ASSERT_GT(rimCount, 0);
    ASSERT_GT(innerCount, 0);
    EXPECT_LT(rimSum / rimCount, 60);
    EXPECT_GT(innerSum / innerCount, 2 * (rimSum / rimCount));
    EXPECT_GT(innerSum / innerCount, 120);
}

TEST_F(BuiltInPictureTest, TheRestIsTintedMostStronglyWhereLight)
{
    long darkTint = 0, darkCount = 0, lightTint = 0, lightCount = 0;
    int untinted = 0, fullBlueAt200 = 0;
    forEach([&](int, int, Rgb p) {
        if (p.grey())
            return;
        untinted += p.blue <= p.red;
        fullBlueAt200 += p.blue == 255 && p.red >= 190 && p.red <= 210;
        if (p.red < 80) {
            darkTint += p.blue - p.red;
            ++darkCount;
        } else if (p.red > 160) {
            lightTint += p.blue - p.red;
            ++lightCount;
        }
    });
    EXPECT_EQ(untinted, 0);
    EXPECT_GT(fullBlueAt200, 0);
    ASSERT_GT(darkCount, 0);
    ASSERT_GT(lightCount, 0);
    EXPECT_GT(lightTint / lightCount, 2 * (darkTint / darkCount));
}

TEST_F(BuiltInPictureTest, IntensityRunsFromSixTo225AroundAMeanOf133)
{
    int lowestSum = 765, highestSum = 0;
    double total = 0;
    forEach([&](int, int, Rgb p) {
        lowestSum = std::min(lowestSum, p.sum());
        highestSum = std::max(highestSum, p.sum());
        total += p.sum() / 3.0;
    });
    EXPECT_EQ(lowestSum / 3, 6);
    EXPECT_EQ(highestSum, 3 * 225);
    EXPECT_NEAR(total / 64000, 133, 1.0);
}

TEST_F(BuiltInPictureTest, BrightnessVariesSmoothly)
{
    // Cloud-like: outside the grey patches' rims neighbours differ by little.
    long jumps = 0;
    forEach([&](int x, int y, Rgb p) {
        if (x + 1 < 320 && !p.grey() && !at(x + 1, y).grey())
            jumps += std::abs(p.sum() - at(x + 1, y).sum()) > 3 * 12;
    });
    EXPECT_EQ(jumps, 0);
}

} // namespace
