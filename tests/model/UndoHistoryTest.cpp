// The undo history: steps recorded from the surface's own changes, undone and redone
// back to the exact earlier pictures (pixels, size, kind and kept encoding), what a
// step keeps, and the memory limit.
#include "model/UndoHistory.h"

#include <functional>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

#include "files/BitmapCommands.h"
#include "model/EditorError.h"
#include "model/EditorState.h"
#include "paint/BlurImage.h"
#include "paint/PaintStep.h"
#include "tests/support/AllocationCount.h"
#include "tests/support/Failures.h"
#include "tests/support/PictureBuilder.h"

namespace {

constexpr std::size_t kTileBytes = kTilePixels * sizeof(std::uint32_t);

// Every pixel differs from its neighbours, so a tile put back in the wrong place shows.
Picture Patterned(int width, int height, int seed)
{
    Picture picture = MakePicture(width, height, kBlack);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            SetPixel(picture, x, y, MakeColour((x * 7 + seed) & 0xFF, (y * 13 + seed) & 0xFF, (x ^ y) & 0xFF));
    return picture;
}

// A bitmap that still has the encoding it was loaded from (the bytes need not decode).
Picture Loaded(int width, int height, int seed)
{
    Picture picture = Patterned(width, height, seed);
    picture.sourceFile.assign(100 + static_cast<std::size_t>(seed), static_cast<std::uint8_t>(seed));
    picture.encodingKept = true;
    picture.keptPixelOffset = 1078;
    return picture;
}

// Where two pictures differ, as the test output should say it; empty when they agree.
std::string Differences(const Picture& actual, const Picture& expected)
{
    std::ostringstream out;
    if (actual.kind != expected.kind)
        out << "kind ";
    if (actual.width != expected.width || actual.height != expected.height)
        out << "size " << actual.width << "x" << actual.height << " not " << expected.width << "x" << expected.height
            << " ";
    if (actual.pixelsUnusable != expected.pixelsUnusable)
        out << "pixelsUnusable ";
    if (actual.encodingKept != expected.encodingKept || actual.sourceFile != expected.sourceFile ||
        actual.keptPixelOffset != expected.keptPixelOffset)
        out << "kept encoding ";
    if (actual.pixels.size() != expected.pixels.size()) {
        out << "pixel count";
    } else {
        std::size_t differing = 0;
        for (std::size_t k = 0; k < actual.pixels.size(); ++k)
            differing += actual.pixels[k] != expected.pixels[k];
        if (differing > 0)
            out << differing << " pixels";
    }
    return out.str();
}

class UndoHistoryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        surface.setDisplaySize(300, 200);
        surface.putPicture(Loaded(300, 200, 1));
        ResetGrid(state, surface);
        state.nibSize = 10;
        state.drawing = true;
    }

    // One step around `change`, as the window records its commands.
    bool Record(const std::string& name, StepScope scope, const std::function<void()>& change)
    {
        history.beginStep(surface, name, scope);
        try {
            change();
        } catch (...) {
            history.abandonStep();
            throw;
        }
        return history.endStep();
    }

    // A stroke through the brush, one move per point.
    bool Stroke(std::initializer_list<std::pair<int, int>> moves, ColourValue colour = kMaroon)
    {
        return Record("Stroke", StepScope::Tiles, [&] {
            for (const auto& [x, y] : moves)
                PaintStep(state, surface, colour, kLeftButton, x, y);
        });
    }

    bool Blur()
    {
        return Record("Blur", StepScope::WholePicture, [&] { BlurImage(state, surface); });
    }

    bool New()
    {
        return Record("New BMP", StepScope::WholePicture, [&] { NewBitmap(surface); });
    }

    bool Load(Picture picture)
    {
        return Record("Load BMP", StepScope::WholePicture, [&] { surface.putPicture(std::move(picture)); });
    }

    const Picture& now() const { return surface.picture(); }

    ImageSurface surface;
    EditorState state;
    UndoHistory history;
};

// ---- Undo and redo ----------------------------------------------------------------------

TEST_F(UndoHistoryTest, MixedStepsUndoAndRedoThroughEveryEarlierPicture)
{
    std::vector<Picture> seen{now()};
    std::vector<std::string> names;
    auto step = [&](const char* name, bool kept) {
        ASSERT_TRUE(kept) << name;
        seen.push_back(now());
        names.emplace_back(name);
    };
    // Across tile borders, the right and bottom edge tiles, and off the picture.
    step("Stroke", Stroke({{5, 5}, {63, 60}, {64, 64}, {130, 70}, {295, 195}, {-5, 100}}));
    step("Blur", Blur());
    step("Stroke", Stroke({{150, 20}, {150, 30}}, kWhite));
    step("New BMP", New());
    step("Load BMP", Load(Loaded(100, 70, 9)));
    step("Stroke", Stroke({{99, 69}, {0, 0}}, kWhite));
    step("Load BMP", Load(Patterned(30, 20, 4)));
    step("Blur", Blur());

    ASSERT_EQ(history.size(), names.size());
    for (std::size_t i = 0; i < names.size(); ++i)
        EXPECT_EQ(history.name(i), names[i]);
    for (std::size_t k = seen.size() - 1; k > 0; --k) {
        ASSERT_TRUE(history.undo(surface));
        EXPECT_EQ(Differences(now(), seen[k - 1]), "") << "undo back to picture " << k - 1;
    }
    EXPECT_FALSE(history.undo(surface));
    EXPECT_EQ(Differences(now(), seen[0]), "");
    for (std::size_t k = 1; k < seen.size(); ++k) {
        ASSERT_TRUE(history.redo(surface));
        EXPECT_EQ(Differences(now(), seen[k]), "") << "redo to picture " << k;
    }
    EXPECT_FALSE(history.redo(surface));
    EXPECT_EQ(Differences(now(), seen.back()), "");
}

TEST_F(UndoHistoryTest, ANewStepDropsTheStepsThatCouldBeRedone)
{
    const Picture start = now();
    Stroke({{10, 10}});
    Blur();
    Stroke({{200, 100}});
    history.undo(surface);
    history.undo(surface);
    ASSERT_TRUE(history.canRedo());
    Stroke({{40, 40}}, kWhite);
    const Picture latest = now();
    EXPECT_FALSE(history.canRedo());
    ASSERT_EQ(history.size(), 2u);
    EXPECT_EQ(history.name(1), "Stroke");
    EXPECT_FALSE(history.redo(surface));
    EXPECT_EQ(Differences(now(), latest), "");
    history.undo(surface);
    history.undo(surface);
    EXPECT_EQ(Differences(now(), start), "");
}

// Undo runs the surface's change notification: the display follows the restored picture
// as after a load, and a stroke's undo reports the tiles it put back.
TEST_F(UndoHistoryTest, UndoAndRedoRunTheChangeNotification)
{
    Stroke({{70, 5}});
    Load(Patterned(40, 30, 2));
    std::vector<std::pair<Rect, std::pair<int, int>>> told;
    surface.setChangeListener([&](const Rect& changed) {
        told.push_back({changed, {surface.width(), surface.height()}});
    });
    history.undo(surface);
    history.undo(surface);
    history.redo(surface);
    const std::vector<std::pair<Rect, std::pair<int, int>>> expected = {
        {Rect{0, 0, 300, 200}, {300, 200}}, {Rect{64, 0, 128, 64}, {300, 200}}, {Rect{64, 0, 128, 64}, {300, 200}}};
    EXPECT_EQ(told, expected);
    history.redo(surface);
    EXPECT_EQ(told.back(), (std::pair<Rect, std::pair<int, int>>{Rect{0, 0, 40, 30}, {40, 30}}));
}

// Undo and redo exchange the step's state with the picture's: nothing is copied, nothing
// allocated, whether the step is a stroke's tiles or a whole blurred picture.
TEST_F(UndoHistoryTest, UndoAndRedoAllocateNothing)
{
    Stroke({{5, 5}, {100, 100}, {250, 150}});
    Blur();
    const std::size_t bytes = history.bytes();
    const long before = AllocationCount();
    for (int round = 0; round < 3; ++round) {
        history.undo(surface);
        history.undo(surface);
        history.redo(surface);
        history.redo(surface);
    }
    EXPECT_EQ(AllocationCount(), before);
    EXPECT_EQ(history.bytes(), bytes);
}

// A fill that misses the picture still drops its kept encoding, so it is a step.
TEST_F(UndoHistoryTest, AStrokeOffThePictureIsAStepWhenItDropsTheKeptEncoding)
{
    const Picture start = now();
    EXPECT_TRUE(Stroke({{-20, 50}}));
    EXPECT_FALSE(now().encodingKept);
    EXPECT_LT(history.bytes(), kTileBytes) << "no tile kept";
    history.undo(surface);
    EXPECT_EQ(Differences(now(), start), "");
    history.redo(surface);
    EXPECT_FALSE(Stroke({{-20, 50}})) << "nothing left to drop";
}

// ---- What a step keeps ----------------------------------------------------------------------

TEST_F(UndoHistoryTest, AStrokeKeepsEachTileItTouchesOnce)
{
    surface.putPicture(Patterned(640, 640, 3));
    state.nibSize = 20;
    // Tile (0, 0) twice, then a square across the four tiles around (64, 64), then (0, 0)
    // again: five tiles, not seven.
    Stroke({{10, 10}, {30, 30}, {60, 60}, {0, 0}, {600, 600}});
    EXPECT_GE(history.bytes(), 5 * kTileBytes);
    EXPECT_LT(history.bytes(), 6 * kTileBytes);
}

TEST_F(UndoHistoryTest, FillsAllocateOnlyWhenTheyFirstTouchATile)
{
    surface.setBrushColour(kWhite);
    history.beginStep(surface, "Stroke", StepScope::Tiles);
    surface.fillRect(5, 5, 15, 15);
    long before = AllocationCount();
    surface.fillRect(20, 20, 40, 40);
    surface.fillRect(0, 0, 64, 64);
    EXPECT_EQ(AllocationCount(), before) << "the tile was kept already";
    surface.fillRect(60, 5, 70, 15);
    EXPECT_GT(AllocationCount(), before) << "a new tile is kept";
    before = AllocationCount();
    for (int k = 0; k < 100; ++k)
        surface.fillRect(k % 70, 3, k % 70 + 10, 13);
    EXPECT_EQ(AllocationCount(), before);
    EXPECT_TRUE(history.endStep());
}

// A load inside a stroke's step (never from the window, but possible for the core's
// callers) turns the step into the picture the stroke started from.
TEST_F(UndoHistoryTest, AReplacementDuringAStrokeKeepsThePictureTheStrokeStartedFrom)
{
    const Picture start = now();
    Record("Stroke", StepScope::Tiles, [&] {
        PaintStep(state, surface, kMaroon, kLeftButton, 100, 100);
        surface.putPicture(Patterned(50, 50, 5));
        PaintStep(state, surface, kMaroon, kLeftButton, 10, 10);
    });
    const Picture after = now();
    ASSERT_EQ(history.size(), 1u);
    history.undo(surface);
    EXPECT_EQ(Differences(now(), start), "");
    history.redo(surface);
    EXPECT_EQ(Differences(now(), after), "");
}

// ---- Changes that leave no step ---------------------------------------------------------------

struct NoStepCase {
    const char* name;
    std::function<void(ImageSurface&, EditorState&)> change;
    std::optional<Failure> failure;
};

void PrintTo(const NoStepCase& row, std::ostream* out) { *out << row.name; }

class ChangesThatLeaveNoStep : public UndoHistoryTest, public ::testing::WithParamInterface<NoStepCase> {};

TEST_P(ChangesThatLeaveNoStep, KeepTheHistoryAsItWas)
{
    Stroke({{10, 10}});
    Stroke({{20, 20}});
    history.undo(surface);
    const Picture before = now();
    const std::size_t bytes = history.bytes();

    history.beginStep(surface, GetParam().name, StepScope::WholePicture);
    const std::optional<Failure> failure = FailureOf([&] { GetParam().change(surface, state); });
    EXPECT_EQ(failure, GetParam().failure);
    EXPECT_FALSE(failure ? history.abandonStep() : history.endStep());

    EXPECT_EQ(Differences(now(), before), "");
    EXPECT_EQ(history.size(), 2u);
    EXPECT_EQ(history.undoCount(), 1u);
    EXPECT_EQ(history.bytes(), bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Changes, ChangesThatLeaveNoStep,
    ::testing::Values(
        NoStepCase{"PressAndRelease", [](ImageSurface&, EditorState&) {}, std::nullopt},
        NoStepCase{"NibZero",
                   [](ImageSurface& s, EditorState& state) {
                       state.nibSize = 0;
                       PaintStep(state, s, kWhite, kLeftButton, 10, 10);
                   },
                   std::nullopt},
        NoStepCase{"FailedLoad",
                   [](ImageSurface& s, EditorState& state) { LoadBitmap(s, state, "/no/such/folder/gone.bmp"); },
                   Failure::CannotOpen}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(UndoHistoryTest, NewOnTheEmptyPictureChangesNothingAndLeavesNoStep)
{
    surface.putPicture(Picture{});
    EXPECT_FALSE(New());
    EXPECT_EQ(history.size(), 0u);
}

// A change that fails part-way is put back, so the picture stays as it was and the
// history still leads to it.
TEST_F(UndoHistoryTest, AChangeThatFailsPartWayIsPutBack)
{
    Stroke({{10, 10}});
    const Picture before = now();
    for (StepScope scope : {StepScope::WholePicture, StepScope::Tiles}) {
        EXPECT_EQ(FailureOf([&] {
                      Record("Import", scope, [&] {
                          surface.setBrushColour(kWhite);
                          surface.fillRect(0, 0, 200, 100);
                          throw EditorError(Failure::BitmapNotValid);
                      });
                  }),
                  Failure::BitmapNotValid);
        EXPECT_EQ(Differences(now(), before), "");
        EXPECT_EQ(history.size(), 1u);
    }
}

// A tile step cannot be put on a picture of another size: only a change that went round
// the history can bring that about, and then the step is skipped, never misapplied.
TEST_F(UndoHistoryTest, ATileStepNeverWritesIntoAPictureOfAnotherSize)
{
    Stroke({{295, 195}});
    surface.putPicture(Patterned(30, 30, 6));
    const Picture other = now();
    EXPECT_FALSE(history.undo(surface));
    EXPECT_EQ(Differences(now(), other), "");
}

// ---- Out of memory ------------------------------------------------------------------------------

// When memory for a snapshot runs out, the history lets its old steps go to keep the new
// one; when that is not enough either, the change fails before it changes anything.
TEST_F(UndoHistoryTest, OutOfMemoryForASnapshotDropsTheOldStepsFirst)
{
    Stroke({{10, 10}});
    Stroke({{100, 100}});
    const Picture before = now();
    for (StepScope scope : {StepScope::Tiles, StepScope::WholePicture}) {
        history.beginStep(surface, "Fill", scope);
        surface.setBrushColour(kWhite);
        FailAllocations(1, kTileBytes);
        surface.fillRect(150, 150, 160, 160);
        FailAllocations(0);
        EXPECT_TRUE(history.endStep());
        EXPECT_EQ(history.size(), 1u) << "the older steps went";
        history.undo(surface);
        EXPECT_EQ(Differences(now(), before), "");
        history.redo(surface);
        history.undo(surface);
    }
}

TEST_F(UndoHistoryTest, NoMemoryAtAllForASnapshotFailsTheChangeBeforeItChangesAnything)
{
    Stroke({{10, 10}});
    const Picture before = now();
    for (StepScope scope : {StepScope::Tiles, StepScope::WholePicture}) {
        history.beginStep(surface, "Fill", scope);
        surface.setBrushColour(kWhite);
        FailAllocations(1000000, kTileBytes);
        const std::optional<Failure> failure = FailureOf([&] { surface.fillRect(150, 150, 160, 160); });
        FailAllocations(0);
        EXPECT_EQ(failure, Failure::OutOfMemory);
        EXPECT_FALSE(history.abandonStep());
        EXPECT_EQ(Differences(now(), before), "");
    }
}

// ---- The memory limit -------------------------------------------------------------------------

TEST(UndoHistoryLimit, PastTheLimitTheOldestStepsGo)
{
    // Room for three one-tile strokes, not four.
    UndoHistory history(3 * kTileBytes + 3 * 1024);
    ImageSurface surface = SurfaceWith(Patterned(640, 64, 8));
    surface.setBrushColour(kWhite);
    for (int stroke = 0; stroke < 6; ++stroke) {
        history.beginStep(surface, "Stroke", StepScope::Tiles);
        surface.fillRect(stroke * 64 + 5, 5, stroke * 64 + 15, 15);
        history.endStep();
        EXPECT_LE(history.bytes(), history.limit());
    }
    ASSERT_EQ(history.size(), 3u);
    while (history.undo(surface)) {
    }
    // The three oldest strokes stay painted; the three newest are undone.
    for (int stroke = 0; stroke < 6; ++stroke)
        EXPECT_EQ(PixelOf(surface, stroke * 64 + 10, 10) == kWhite, stroke < 3) << "stroke " << stroke;
}

// Strokes of `tiles` tiles each, side by side along the top of the surface.
void OneTileStrokes(UndoHistory& history, ImageSurface& surface, int count, int firstTile = 0, int tiles = 1)
{
    surface.setBrushColour(kWhite);
    for (int stroke = 0; stroke < count; ++stroke) {
        history.beginStep(surface, "Stroke", StepScope::Tiles);
        for (int tile = 0; tile < tiles; ++tile) {
            const int left = (firstTile + stroke * tiles + tile) * 64;
            surface.fillRect(left + 5, 5, left + 15, 15);
        }
        history.endStep();
    }
}

// What the history holds for one of those strokes.
std::size_t OneTileStepBytes()
{
    UndoHistory measure;
    ImageSurface scratch = SurfaceWith(Patterned(640, 64, 8));
    OneTileStrokes(measure, scratch, 1);
    return measure.bytes();
}

// The limit is the most the steps may hold: holding exactly that much is within it.
TEST(UndoHistoryLimit, StepsHoldingExactlyTheLimitAreAllKept)
{
    const std::size_t stepBytes = OneTileStepBytes();
    UndoHistory history(3 * stepBytes);
    ImageSurface surface = SurfaceWith(Patterned(640, 64, 8));
    OneTileStrokes(history, surface, 3);
    EXPECT_EQ(history.bytes(), history.limit());
    EXPECT_EQ(history.size(), 3u);
    OneTileStrokes(history, surface, 1, 3);
    EXPECT_EQ(history.size(), 3u) << "one step more is past the limit";
}

// A large step makes room for itself by dropping as many old steps as it takes.
TEST(UndoHistoryLimit, ALargeStepDropsEveryOldStepItNeedsRoomFrom)
{
    const std::size_t stepBytes = OneTileStepBytes();
    UndoHistory history(4 * stepBytes);
    ImageSurface surface = SurfaceWith(Patterned(640, 64, 8));
    OneTileStrokes(history, surface, 4);
    ASSERT_EQ(history.size(), 4u);
    OneTileStrokes(history, surface, 1, 4, 3);  // three tiles: room for at most one old step
    EXPECT_LE(history.bytes(), history.limit());
    EXPECT_LE(history.size(), 2u);
    EXPECT_GT(history.bytes() + stepBytes, history.limit()) << "no more old steps went than it took";
}

TEST(UndoHistoryLimit, AStepLargerThanTheLimitIsKeptAsTheOnlyOne)
{
    UndoHistory history(8 * 1024);
    ImageSurface surface = SurfaceWith(Patterned(100, 100, 8));
    const Picture start = surface.picture();
    history.beginStep(surface, "Stroke", StepScope::Tiles);
    surface.setBrushColour(kWhite);
    surface.fillRect(0, 0, 5, 5);
    history.endStep();
    history.beginStep(surface, "New BMP", StepScope::WholePicture);
    NewBitmap(surface);
    history.endStep();
    ASSERT_EQ(history.size(), 1u);
    EXPECT_EQ(history.name(0), "New BMP");
    EXPECT_GT(history.bytes(), history.limit());
    history.undo(surface);
    EXPECT_EQ(PixelOf(surface, 50, 50), PixelOf(SurfaceWith(Patterned(100, 100, 8)), 50, 50));
    EXPECT_EQ(PixelOf(surface, 2, 2), kWhite) << "the stroke's step went";
    EXPECT_FALSE(history.canUndo());
}

} // namespace
