#include "model/ImageSurface.h"

#include <climits>
#include <gtest/gtest.h>
#include <vector>

#include "model/BuiltInPicture.h"
#include "model/EditorError.h"
#include "tests/support/AllocationCount.h"
#include "tests/support/Failures.h"
#include "tests/support/PictureBuilder.h"

namespace {

constexpr ColourValue kGrey = MakeColour(90, 90, 120);
constexpr ColourValue kRed = MakeColour(255, 0, 0);

// Records every change notification with the display size seen at that moment.
struct ChangeLog {
    struct Entry {
        Rect changed;
        int displayWidth, displayHeight;
    };
    std::vector<Entry> entries;

    void attach(ImageSurface& surface)
    {
        surface.setChangeListener([this, &surface](const Rect& changed) {
            entries.push_back({changed, surface.width(), surface.height()});
        });
    }
};

ImageSurface GreySurface() { return SurfaceWith(MakePicture(320, 200, kGrey, {{319, 199, kWhite}})); }

// Which pixels of the 320 x 200 grey picture hold the brush colour.
std::vector<bool> PaintedMask(const ImageSurface& surface)
{
    std::vector<bool> painted;
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 320; ++x)
            painted.push_back(surface.pixel(x, y) == kRed);
    return painted;
}

std::vector<bool> MaskOf(int left, int top, int right, int bottom)
{
    std::vector<bool> mask;
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 320; ++x)
            mask.push_back(x >= left && x < right && y >= top && y < bottom);
    return mask;
}

// ---- Pixel read ---------------------------------------------------------------------

struct ReadCase {
    int x, y;
    ColourValue colour;
};

class PixelReadTest : public testing::TestWithParam<ReadCase> {};

TEST_P(PixelReadTest, OutsideReadsBlack)
{
    const ImageSurface surface = GreySurface();
    EXPECT_EQ(surface.pixel(GetParam().x, GetParam().y), GetParam().colour);
}

INSTANTIATE_TEST_SUITE_P(Points, PixelReadTest,
                         testing::Values(ReadCase{-1, 0, kBlack}, ReadCase{320, 0, kBlack},
                                         ReadCase{0, 200, kBlack}, ReadCase{0, -1, kBlack},
                                         ReadCase{INT_MIN, INT_MIN, kBlack},
                                         ReadCase{INT_MAX, 5, kBlack}, ReadCase{319, 199, kWhite},
                                         ReadCase{0, 0, kGrey}, ReadCase{318, 199, kGrey}));

TEST(PixelRead, GivesThePlainColourValue)
{
    const ImageSurface surface = SurfaceWith(MakePicture(2, 1, kBlack, {{1, 0, MakeColour(1, 2, 3)}}));
    EXPECT_EQ(surface.pixel(1, 0), 0x00030201u);
}

TEST(PixelRead, OnTheBuiltInPictureMatchesItsFile)
{
    const ImageSurface surface = SurfaceWith(BuiltInPicture());
    const auto file = BuiltInPictureFile();
    // (319, 199) is the last pixel of the first stored (bottom) row.
    const std::size_t at = 54 + 319 * 3;
    EXPECT_EQ(surface.pixel(319, 199), MakeColour(file[at + 2], file[at + 1], file[at]));
    EXPECT_EQ(surface.pixel(320, 0), kBlack);
}

// ---- Rectangle fill -----------------------------------------------------------------

struct FillCase {
    Rect fill;
    Rect painted;  // what must hold the brush colour afterwards
};

class FillTest : public testing::TestWithParam<FillCase> {};

TEST_P(FillTest, PaintsTheClippedRectangleAndNotifies)
{
    ImageSurface surface = GreySurface();
    ChangeLog log;
    log.attach(surface);
    surface.setBrushColour(kRed);
    const Rect& f = GetParam().fill;
    surface.fillRect(f.left, f.top, f.right, f.bottom);
    const Rect& p = GetParam().painted;
    EXPECT_EQ(PaintedMask(surface), MaskOf(p.left, p.top, p.right, p.bottom));
    ASSERT_EQ(log.entries.size(), 1u);
    EXPECT_EQ(log.entries[0].changed, p.isEmpty() ? Rect{} : p);
    EXPECT_FALSE(surface.picture().encodingKept);
}

INSTANTIATE_TEST_SUITE_P(
    Rectangles, FillTest,
    testing::Values(FillCase{{0, 0, 300, 300}, {0, 0, 300, 200}},
                    FillCase{{-5, -5, 3, 3}, {0, 0, 3, 3}},
                    FillCase{{5, 5, 5, 9}, {}}, FillCase{{5, 5, 9, 5}, {}},
                    FillCase{{9, 9, 5, 5}, {}},
                    FillCase{{320, 0, 400, 10}, {}}, FillCase{{-10, -10, 0, 0}, {}},
                    FillCase{{INT_MIN, INT_MIN, INT_MAX, INT_MAX}, {0, 0, 320, 200}},
                    FillCase{{10, 20, 11, 21}, {10, 20, 11, 21}}));

TEST(Fill, EmptyRectangleDropsTheKeptEncodingAndStillSizesTheDisplay)
{
    ImageSurface surface = SurfaceWith(BuiltInPicture());
    ASSERT_TRUE(surface.picture().encodingKept);
    ChangeLog log;
    log.attach(surface);
    surface.setDisplaySize(300, 300);
    surface.setBrushColour(kRed);
    surface.fillRect(5, 5, 5, 9);
    EXPECT_FALSE(surface.picture().encodingKept);
    EXPECT_TRUE(surface.picture().sourceFile.empty());
    ASSERT_EQ(log.entries.size(), 1u);
    EXPECT_EQ(log.entries[0].displayWidth, 320);  // sized before the listener runs
    EXPECT_EQ(log.entries[0].displayHeight, 200);
    EXPECT_EQ(surface.width(), 320);
    EXPECT_EQ(surface.height(), 200);
}

TEST(Fill, BrushColourPassesThroughTheConversion)
{
    ImageSurface surface = GreySurface();
    surface.setBrushColour(0xFFFFFFFF);  // names no system colour
    surface.fillRect(0, 0, 1, 1);
    EXPECT_EQ(surface.pixel(0, 0), kBlack);
    surface.setBrushColour(MakeColour(12, 34, 56));
    EXPECT_EQ(surface.brushColour(), MakeColour(12, 34, 56));
    surface.fillRect(1, 0, 2, 1);
    EXPECT_EQ(surface.pixel(1, 0), MakeColour(12, 34, 56));
}

TEST(Fill, ReadAndFillAllocateNothing)
{
    ImageSurface surface = SurfaceWith(BuiltInPicture());
    surface.setBrushColour(kRed);
    surface.fillRect(0, 0, 1, 1);  // the first fill frees the kept encoding
    const long before = AllocationCount();
    ColourValue sum = 0;
    for (int k = 0; k < 100; ++k) {
        surface.fillRect(k, k, k + 10, k + 10);
        sum += surface.pixel(k, k + 1) + surface.pixel(-k, 500);
    }
    EXPECT_EQ(AllocationCount(), before);
    EXPECT_EQ(sum, 100 * kRed);
}

// ---- Picture kinds --------------------------------------------------------------------

class NonBitmapTest : public testing::TestWithParam<PictureKind> {};

TEST_P(NonBitmapTest, RefusesEveryPixelOperationAndChangesNothing)
{
    Picture picture = MakePicture(32, 32, kGrey);
    picture.kind = GetParam();
    picture.sourceFile = {1, 2, 3};
    ImageSurface surface = SurfaceWith(std::move(picture));
    EXPECT_EQ(surface.width(), 32);
    ChangeLog log;
    log.attach(surface);
    EXPECT_EQ(FailureOf([&] { surface.pixel(0, 0); }), Failure::NotABitmap) << "pixel read";
    EXPECT_EQ(FailureOf([&] { surface.setBrushColour(kRed); }), Failure::NotABitmap) << "brush colour";
    surface.setDisplaySize(300, 300);
    EXPECT_EQ(FailureOf([&] { surface.fillRect(0, 0, 10, 10); }), Failure::NotABitmap) << "fill";
    EXPECT_TRUE(log.entries.empty());
    EXPECT_EQ(surface.width(), 300);  // no automatic sizing after a refused fill
    EXPECT_EQ(surface.brushColour(), kBlack);
    EXPECT_EQ(surface.picture().sourceFile, (std::vector<std::uint8_t>{1, 2, 3}));
}

INSTANTIATE_TEST_SUITE_P(Kinds, NonBitmapTest, testing::Values(PictureKind::Icon, PictureKind::Metafile));

TEST(UnusablePixels, FailWithInvalidBitmap)
{
    Picture picture = MakePicture(4, 4, kGrey);
    picture.pixelsUnusable = true;
    ImageSurface surface = SurfaceWith(std::move(picture));
    EXPECT_EQ(FailureOf([&] { surface.pixel(0, 0); }), Failure::BitmapNotValid);
}

// ---- Automatic sizing -------------------------------------------------------------------

TEST(AutomaticSizing, PuttingInAPictureSizesTheDisplayAndNotifies)
{
    ImageSurface surface;
    ChangeLog log;
    log.attach(surface);
    surface.putPicture(MakePicture(7, 3, kGrey));
    EXPECT_EQ(surface.width(), 7);
    EXPECT_EQ(surface.height(), 3);
    ASSERT_EQ(log.entries.size(), 1u);
    EXPECT_EQ(log.entries[0].changed, (Rect{0, 0, 7, 3}));
}

TEST(AutomaticSizing, TheEmptyPictureKeepsTheDisplaySize)
{
    ImageSurface surface = GreySurface();
    ChangeLog log;
    log.attach(surface);
    surface.putPicture(Picture{});
    EXPECT_EQ(surface.width(), 320);
    EXPECT_EQ(surface.height(), 200);
    surface.setDisplaySize(300, 300);
    surface.setBrushColour(kRed);
    surface.fillRect(0, 0, 10, 10);
    EXPECT_EQ(surface.width(), 300);
    EXPECT_EQ(surface.height(), 300);
    EXPECT_EQ(surface.pixel(0, 0), kBlack);
    EXPECT_EQ(log.entries.size(), 2u);  // the put and the fill both notify
}

TEST(AutomaticSizing, KeepingAFreshEncodingIsNoChange)
{
    ImageSurface surface = GreySurface();
    ChangeLog log;
    log.attach(surface);
    surface.keepEncoding({9, 8, 7}, 54);
    EXPECT_TRUE(log.entries.empty());
    EXPECT_TRUE(surface.picture().encodingKept);
    EXPECT_EQ(surface.picture().keptPixelOffset, 54u);
}

} // namespace
