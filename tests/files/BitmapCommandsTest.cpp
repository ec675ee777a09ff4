// New and Load: the black picture at its own size, the display steps, and loads that
// either replace picture and heights or, failing, change nothing.
#include <gtest/gtest.h>

#include "files/BitmapCommands.h"
#include "files/BmpWriter.h"
#include "files/PictureFile.h"
#include "model/BuiltInPicture.h"
#include "model/EditorError.h"
#include "model/EditorState.h"
#include "model/ImageSurface.h"
#include "model/SampleHeights.h"
#include "tests/support/BmpBuilder.h"
#include "tests/support/Failures.h"
#include "tests/support/PictureCrc.h"
#include "tests/support/TestData.h"


namespace {

// The surface as the program has it at start: the built-in picture, display 320 x 200.
ImageSurface StartSurface()
{
    ImageSurface surface;
    surface.setDisplaySize(320, 200);
    surface.putPicture(BuiltInPicture());
    return surface;
}

Picture Grey(int width, int height)
{
    Picture p;
    p.width = width;
    p.height = height;
    p.pixels.assign(static_cast<std::size_t>(width * height), StoredPixel(0x808080));
    return p;
}

bool AllBlack(const Picture& picture)
{
    return std::all_of(picture.pixels.begin(), picture.pixels.end(), [](std::uint32_t p) { return p == kOpaque; });
}

// --- New ----------------------------------------------------------------------------------

struct NewCase {
    const char* name;
    int width, height;
};

std::ostream& operator<<(std::ostream& out, const NewCase& c) { return out << c.name; }

class NewBitmapTest : public ::testing::TestWithParam<NewCase> {};

TEST_P(NewBitmapTest, MakesThePictureBlackAtItsOwnSize)
{
    const NewCase c = GetParam();
    ImageSurface surface;
    surface.putPicture(Grey(c.width, c.height));
    NewBitmap(surface);
    EXPECT_EQ(surface.picture().width, c.width);
    EXPECT_EQ(surface.picture().height, c.height);
    EXPECT_TRUE(AllBlack(surface.picture()));
    EXPECT_EQ(surface.width(), c.width);
    EXPECT_EQ(surface.height(), c.height);
    EXPECT_FALSE(surface.picture().encodingKept);
}

INSTANTIATE_TEST_SUITE_P(Sizes, NewBitmapTest,
                         ::testing::Values(NewCase{"smaller_than_300", 64, 48}, NewCase{"built_in_size", 320, 200},
                                           NewCase{"larger", 640, 480}, NewCase{"tall", 10, 900}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(NewBitmap, OnTheBuiltInPictureLeavesTheStateAlone)
{
    ImageSurface surface = StartSurface();
    EditorState state;
    state.heights.set(3, 4, 5.5);
    NewBitmap(surface);
    EXPECT_TRUE(AllBlack(surface.picture()));
    EXPECT_EQ(surface.width(), 320);
    EXPECT_EQ(surface.height(), 200);
    EXPECT_EQ(state.imageWidth, 320);
    EXPECT_EQ(state.gridSize, 50);
    EXPECT_EQ(state.heights.at(3, 4), 5.5);
}

TEST(NewBitmap, EmptyPictureKeepsTheSquareDisplay)
{
    ImageSurface surface = StartSurface();
    surface.putPicture(Picture{});
    NewBitmap(surface);
    EXPECT_TRUE(surface.picture().isEmpty());
    EXPECT_EQ(surface.width(), 300);
    EXPECT_EQ(surface.height(), 300);
}

TEST(NewBitmap, IconPictureFailsAndChangesNothing)
{
    ImageSurface surface;
    surface.setDisplaySize(320, 200);
    Picture icon;
    icon.kind = PictureKind::Icon;
    icon.width = icon.height = 32;
    icon.sourceFile = {0, 0, 1, 0};
    surface.putPicture(icon);
    EXPECT_EQ(FailureOf([&] { NewBitmap(surface); }), Failure::NotABitmap);
    EXPECT_EQ(surface.width(), 32);
    EXPECT_EQ(surface.height(), 32);
    EXPECT_EQ(surface.picture().sourceFile, icon.sourceFile);
}

// --- Load ---------------------------------------------------------------------------------

TEST(LoadBitmap, ReplacesThePictureAndClearsTheHeights)
{
    const TempFolder folder;
    WriteBytes(folder.file("small.bmp"), EncodeBmp24(Grey(64, 48)));
    ImageSurface surface = StartSurface();
    EditorState state;
    state.heights.set(300, 300, 7.0);
    LoadBitmap(surface, state, folder.file("small.bmp"));
    EXPECT_EQ(surface.picture().width, 64);
    EXPECT_EQ(surface.width(), 64);
    EXPECT_EQ(surface.height(), 48);
    EXPECT_EQ(surface.pixel(10, 10), 0x808080u);
    EXPECT_EQ(state.heights.at(300, 300), 0.0);

    ResetGrid(state, surface);  // the command's next step
    EXPECT_EQ(state.imageWidth, 64);
    EXPECT_EQ(state.imageHeight, 48);
    EXPECT_EQ(state.stepX, 1.28);
    EXPECT_EQ(state.stepY, 0.96);
}

TEST(LoadBitmap, ZeroLengthFileGivesTheEmptyPictureAndKeepsTheDisplay)
{
    const TempFolder folder;
    WriteBytes(folder.file("empty.bmp"), {});
    ImageSurface surface = StartSurface();
    EditorState state;
    LoadBitmap(surface, state, folder.file("empty.bmp"));
    EXPECT_TRUE(surface.picture().isEmpty());
    EXPECT_EQ(surface.width(), 320);
    EXPECT_EQ(surface.height(), 200);
    EXPECT_EQ(surface.pixel(0, 0), 0u);
}

struct FailingLoad {
    const char* name;
    const char* file;  // created with `bytes` unless null
    Bytes bytes;
    bool create;
    Failure failure;
};

std::ostream& operator<<(std::ostream& out, const FailingLoad& c) { return out << c.name; }

class FailingLoadTest : public ::testing::TestWithParam<FailingLoad> {};

TEST_P(FailingLoadTest, LeavesPictureDisplayAndHeightsAsTheyWere)
{
    const FailingLoad& c = GetParam();
    const TempFolder folder;
    const std::string name = folder.file(c.file);
    if (c.create)
        WriteBytes(name, c.bytes);
    ImageSurface surface = StartSurface();
    surface.setDisplaySize(123, 45);  // a display size of its own, to see it is not touched
    EditorState state;
    state.gridSize = 77;
    state.heights.set(1, 2, 3.25);
    const Picture before = surface.picture();

    EXPECT_EQ(FailureOf([&] { LoadBitmap(surface, state, name); }), c.failure);
    EXPECT_EQ(surface.picture().pixels, before.pixels);
    EXPECT_EQ(surface.picture().sourceFile, before.sourceFile);
    EXPECT_EQ(surface.width(), 123);
    EXPECT_EQ(surface.height(), 45);
    EXPECT_EQ(state.gridSize, 77);
    EXPECT_EQ(state.heights.at(1, 2), 3.25);
}

INSTANTIATE_TEST_SUITE_P(
    Messages, FailingLoadTest,
    ::testing::Values(FailingLoad{"unknown_extension", "hill.txt", {}, true, Failure::UnknownExtension},
                      FailingLoad{"missing_file", "gone.bmp", {}, false, Failure::CannotOpen},
                      FailingLoad{"too_short", "short.bmp", {'B', 'M', 1, 2, 3}, true, Failure::StreamRead},
                      FailingLoad{"not_a_bitmap", "text.bmp", Bytes(40, 'x'), true, Failure::BitmapNotValid},
                      FailingLoad{"truncated_rows", "cut.bmp", Prefix(EncodeBmp24(Grey(2, 2)), 60), true,
                                  Failure::BitmapNotValid},
                      FailingLoad{"bad_icon", "bad.ico", Bytes(40, 'x'), true, Failure::IconNotValid},
                      FailingLoad{"bad_metafile", "bad.emf", Bytes(40, 'x'), true, Failure::MetafileNotValid},
                      FailingLoad{"short_metafile", "short.wmf", Bytes(3, 0), true, Failure::StreamRead}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LoadBitmap, HugeDeclaredPictureIsTooLarge)
{
    const TempFolder folder;
    Bytes file = EncodeBmp24(Grey(1, 1));
    PutU32(&file[18], 70000);
    WriteBytes(folder.file("huge.bmp"), file);
    ImageSurface surface = StartSurface();
    EditorState state;
    EXPECT_EQ(FailureOf([&] { LoadBitmap(surface, state, folder.file("huge.bmp")); }), Failure::BitmapTooLarge);
    EXPECT_EQ(surface.picture().width, 320);
}

// A plane count other than 1 loads; every use of the pixels then fails.
TEST(LoadBitmap, BadPlaneCountLoadsButEveryPixelUseFails)
{
    ImageSurface surface = StartSurface();
    EditorState state;
    LoadBitmap(surface, state, (SuiteFolder() / "b/badplanes.bmp").string());
    EXPECT_EQ(surface.width(), 127);
    EXPECT_EQ(surface.height(), 64);
    const Failure invalid = Failure::BitmapNotValid;
    EXPECT_EQ(FailureOf([&] { surface.pixel(0, 0); }), invalid);
    EXPECT_EQ(FailureOf([&] { surface.setBrushColour(kWhite); }), invalid);
    EXPECT_EQ(FailureOf([&] { surface.fillRect(0, 0, 5, 5); }), invalid);
    EXPECT_EQ(FailureOf([&] { NewBitmap(surface); }), invalid);
    EXPECT_EQ(FailureOf([&] { SampleHeights(state, surface); }), invalid);
}

TEST(LoadBitmap, IconTakesTheStandardIconSize)
{
    const TempFolder folder;
    Bytes icon(6 + 16 + 40, 0);
    PutU16(&icon[2], 1);
    PutU16(&icon[4], 1);
    PutU32(&icon[6 + 8], 40);
    PutU32(&icon[6 + 12], 22);
    WriteBytes(folder.file("pin.ico"), icon);
    ImageSurface surface = StartSurface();
    EditorState state;
    LoadBitmap(surface, state, folder.file("pin.ico"));
    EXPECT_EQ(surface.kind(), PictureKind::Icon);
    EXPECT_EQ(surface.width(), 32);
    EXPECT_EQ(surface.height(), 32);
    EXPECT_EQ(FailureOf([&] { surface.pixel(0, 0); }), Failure::NotABitmap);
}

}  // namespace
