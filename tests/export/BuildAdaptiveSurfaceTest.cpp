// The adaptive surface must keep every pixel within the error, exactly, and be a proper
// triangulation of the whole picture (ExamineSurface checks both without the meshing's
// own code): on sharp features, noise, and whole or in tiles. Plain pictures take the
// fewest triangles there are; sizes without area give nothing; a stopped run gives
// nothing; the same input always gives the same bytes.
#include "export/BuildAdaptiveSurface.h"

#include <gtest/gtest.h>
#include <new>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/support/AllocationCount.h"
#include "tests/support/SurfaceChecks.h"

namespace {

struct Picture {
    const char* name;
    Sums sums;
};

std::vector<Picture> SharpPictures()
{
    return {
        {"spike", MakeSums(9, 7, [](int c, int r) { return c == 4 && r == 3 ? 765 : 0; })},
        {"corner spike", MakeSums(6, 5, [](int c, int r) { return c == 5 && r == 0 ? 765 : 12; })},
        {"cliff", MakeSums(23, 17, [](int c, int) { return c < 11 ? 30 : 700; })},
        {"diagonal ridge", MakeSums(31, 29, [](int c, int r) { return std::max(0, 765 - 90 * std::abs(c - r)); })},
        {"checkerboard", MakeSums(12, 10, [](int c, int r) { return (c + r) % 2 ? 765 : 0; })},
        {"noise", MakeSums(40, 33, [](int c, int r) { return NoiseSum(c, r); })},
        {"terraces", MakeSums(37, 41, [](int c, int r) { return 3 * ((c * c + 2 * r * r) / 40 % 256); })},
    };
}

struct Way {
    const char* name;
    AdaptiveSurfaceOptions options;
};

void PrintTo(const Way& way, std::ostream* out) { *out << way.name; }

AdaptiveSurfaceOptions Tiled(int tileSide, int threads)
{
    AdaptiveSurfaceOptions options;
    options.wholeTriangleLimit = 1;  // no picture here fits: straight to tiles
    options.tileSide = tileSide;
    options.threads = threads;
    return options;
}

const std::vector<Way> kWays = {{"whole", {}}, {"tiles of 4", Tiled(4, 2)}, {"tiles of 7, one thread", Tiled(7, 1)}};
const int kErrorsInThousandths[] = {0, 400, 1000, 7650, 100000};

class WithinError : public testing::TestWithParam<int> {};

TEST_P(WithinError, AtEveryPixelWholeOrInTiles)
{
    const int thousandths = GetParam();
    for (const Picture& picture : SharpPictures())
        for (const Way& way : kWays) {
            SCOPED_TRACE(std::string(picture.name) + ", " + way.name);
            const HeightField field = picture.sums.field();
            const AdaptiveSurface surface = BuildAdaptiveSurfaceThousandths(field, thousandths, way.options);
            const SurfaceReport report = ExamineSurface(field, surface);
            EXPECT_EQ(report.fault, "");
            EXPECT_LE(report.worstTimes1000, thousandths);
        }
}

INSTANTIATE_TEST_SUITE_P(Errors, WithinError, testing::ValuesIn(kErrorsInThousandths));

TEST(AdaptiveSurface, UsesTheErrorItIsAllowed)
{
    // A ridge half an error too high for 7.6 but low enough for 7.7 above a flat floor.
    const Sums sums = MakeSums(21, 21, [](int c, int r) { return c == 10 && r == 10 ? 200 : 0; });
    const auto trianglesAt = [&](int tenths) { return BuildAdaptiveSurface(sums.field(), tenths).triangleCount(); };
    EXPECT_EQ(trianglesAt(2000), 2u);
    EXPECT_GT(trianglesAt(1999), 2u);
}

TEST(AdaptiveSurface, PlainPicturesTakeTwoTriangles)
{
    const Sums flat = MakeSums(50, 31, [](int, int) { return 400; });
    const Sums ramp = MakeSums(50, 31, [](int c, int r) { return 7 * c + 3 * r + 10; });
    for (const Sums* sums : {&flat, &ramp}) {
        const AdaptiveSurface surface = BuildAdaptiveSurface(sums->field(), 0);
        EXPECT_EQ(surface.triangleCount(), 2u);
        EXPECT_EQ(surface.vertexCount(), 4u);
        EXPECT_EQ(ExamineSurface(sums->field(), surface).worstTimes1000, 0);
    }
}

TEST(AdaptiveSurface, TrianglesRunCounterClockwiseSeenFromAboveWithMirroredX)
{
    const Sums sums = MakeSums(2, 2, [](int c, int r) { return 100 * c + 7 * r; });
    const AdaptiveSurface surface = BuildAdaptiveSurface(sums.field(), 0);
    const std::vector<PackedPoint> v = surface.allVertices();
    ASSERT_EQ(surface.triangleCount(), 2u);
    surface.forEachTriangle([&](std::uint32_t a, std::uint32_t b, std::uint32_t c) {
        const int c0 = v[a].c, r0 = v[a].r, c1 = v[b].c, r1 = v[b].r, c2 = v[c].c, r2 = v[c].r;
        EXPECT_EQ((c1 - c0) * (r2 - r0) - (r1 - r0) * (c2 - c0), -1);
        // In (X, Y) = (-c, r) the same corners turn left: counter-clockwise from above.
        EXPECT_EQ((-c1 + c0) * (r2 - r0) - (r1 - r0) * (-c2 + c0), 1);
    });
}

TEST(AdaptiveSurface, SizesWithoutAreaGiveNothing)
{
    for (const auto& [width, height] : {std::pair{1, 1}, std::pair{1, 40}, std::pair{40, 1}}) {
        const Sums sums = MakeSums(width, height, [](int c, int r) { return NoiseSum(c, r); });
        const AdaptiveSurface surface = BuildAdaptiveSurface(sums.field(), 0);
        EXPECT_EQ(surface.width, width);
        EXPECT_EQ(surface.height, height);
        EXPECT_EQ(surface.vertexCount(), 0u);
        EXPECT_EQ(surface.triangleCount(), 0u);
    }
    const Sums square = MakeSums(2, 2, [](int c, int r) { return NoiseSum(c, r); });
    const AdaptiveSurface smallest = BuildAdaptiveSurface(square.field(), 0);
    EXPECT_EQ(smallest.triangleCount(), 2u);
    EXPECT_EQ(ExamineSurface(square.field(), smallest).fault, "");
}

TEST(AdaptiveSurface, RefusesWhatItCannotMesh)
{
    Sums sums = MakeSums(4, 4, [](int, int) { return 0; });
    EXPECT_THROW(BuildAdaptiveSurface(sums.field(), 7651), std::invalid_argument);
    EXPECT_THROW(BuildAdaptiveSurface(sums.field(), -1), std::invalid_argument);
    EXPECT_THROW(BuildAdaptiveSurface(HeightField{0, 4, sums.values.data()}, 0), std::invalid_argument);
    EXPECT_THROW(BuildAdaptiveSurface(HeightField{65536, 1, sums.values.data()}, 0), std::invalid_argument);
    EXPECT_THROW(BuildAdaptiveSurface(HeightField{4, 4, nullptr}, 0), std::invalid_argument);
    sums.at(3, 3) = 766;
    EXPECT_THROW(BuildAdaptiveSurface(sums.field(), 0), std::invalid_argument);
}

TEST(AdaptiveSurface, TheSameInputGivesTheSameSurfaceOnAnyNumberOfThreads)
{
    const Sums sums = MakeSums(90, 70, [](int c, int r) { return (NoiseSum(c / 6, r / 6) + 3 * c) % 766; });
    const auto blocks = [&](AdaptiveSurfaceOptions options) {
        const AdaptiveSurface surface = BuildAdaptiveSurface(sums.field(), 20, options);
        std::vector<std::uint32_t> bytes;
        surface.forEachVertex([&](std::uint32_t n, LatticePoint p) { bytes.insert(bytes.end(), {n, std::uint32_t(p.c), std::uint32_t(p.r)}); });
        surface.forEachTriangle([&](std::uint32_t a, std::uint32_t b, std::uint32_t c) { bytes.insert(bytes.end(), {a, b, c}); });
        return bytes;
    };
    EXPECT_EQ(blocks({}), blocks({}));
    EXPECT_EQ(blocks(Tiled(9, 2)), blocks(Tiled(9, 1)));
    EXPECT_EQ(blocks(Tiled(9, 2)), blocks(Tiled(9, 2)));
}

TEST(AdaptiveSurface, TiledBlocksNumberTheirCornersInSixteenBits)
{
    const Sums sums = MakeSums(60, 45, [](int c, int r) { return NoiseSum(c, r) / 4; });
    const AdaptiveSurface surface = BuildAdaptiveSurface(sums.field(), 0, Tiled(20, 2));
    ASSERT_EQ(surface.blocks.size(), 9u);  // 59 and 44 pixel steps in threes
    std::size_t vertices = 0;
    for (const SurfaceBlock& block : surface.blocks) {
        EXPECT_TRUE(block.wideCorners.empty());
        EXPECT_EQ(block.firstVertex, vertices);
        vertices += block.vertices.size();
    }
    EXPECT_EQ(ExamineSurface(sums.field(), surface).fault, "");
}

TEST(AdaptiveSurface, LongPicturesComeInTwoHalvesAcrossTheLongerSide)
{
    for (const auto& [width, height] : {std::pair{600, 40}, std::pair{40, 600}}) {
        const Sums sums = MakeSums(width, height, [](int c, int r) { return (3 * c + 5 * r + (c * r) % 97) % 766; });
        AdaptiveSurfaceOptions options;
        options.wholeTriangleLimit = 1000000;
        const AdaptiveSurface surface = BuildAdaptiveSurface(sums.field(), 30, options);
        ASSERT_EQ(surface.blocks.size(), 2u);
        EXPECT_EQ(surface.blocks[1].firstVertex, surface.blocks[0].vertices.size());
        // The first half borrows the points of the border between them from the second.
        EXPECT_FALSE(surface.blocks[0].borrowed.empty());
        const SurfaceReport report = ExamineSurface(sums.field(), surface);
        EXPECT_EQ(report.fault, "");
        EXPECT_LE(report.worstTimes1000, 3000);
    }
}

TEST(AdaptiveSurface, DenseSurfacesGoToTilesOnTheirOwn)
{
    // Past max(4096, 20 a small tile) triangles: noise at error 0 on 300 x 300 needs
    // some 170,000.
    const Sums sums = MakeSums(300, 300, [](int c, int r) { return NoiseSum(c, r); });
    const AdaptiveSurface surface = BuildAdaptiveSurface(sums.field(), 0);
    EXPECT_EQ(surface.blocks.size(), 4u);
    const SurfaceReport report = ExamineSurface(sums.field(), surface);
    EXPECT_EQ(report.fault, "");
    EXPECT_EQ(report.worstTimes1000, 0);

    // Allowed that many, it stays whole, its 90,000 points numbered in 32 bits.
    AdaptiveSurfaceOptions options;
    options.wholeTriangleLimit = 200000;
    const AdaptiveSurface whole = BuildAdaptiveSurface(sums.field(), 0, options);
    ASSERT_EQ(whole.blocks.size(), 1u);
    EXPECT_TRUE(whole.blocks[0].narrowCorners.empty());
    EXPECT_GT(whole.vertexCount(), 65536u);
    EXPECT_EQ(ExamineSurface(sums.field(), whole).fault, "");
}

// ---- Progress and stopping ---------------------------------------------------------------

class Stopping : public testing::TestWithParam<Way> {};

TEST_P(Stopping, ReportsPartsDoneInOrderFromZeroToOne)
{
    const Sums sums = MakeSums(200, 150, [](int c, int r) { return NoiseSum(c, r); });
    std::vector<double> reports;
    AdaptiveSurfaceOptions options = GetParam().options;
    options.progress = [&](double fraction) {
        reports.push_back(fraction);
        return true;
    };
    BuildAdaptiveSurface(sums.field(), 0, options);
    ASSERT_GE(reports.size(), 3u);
    EXPECT_EQ(reports.front(), 0.0);
    EXPECT_EQ(reports.back(), 1.0);
    EXPECT_TRUE(std::is_sorted(reports.begin(), reports.end()));
}

TEST_P(Stopping, WhenTheCallbackSaysSoThrowsAndKeepsNothing)
{
    const Sums sums = MakeSums(200, 150, [](int c, int r) { return NoiseSum(c, r); });
    for (const int allowed : {0, 1, 3}) {
        int calls = 0;
        AdaptiveSurfaceOptions options = GetParam().options;
        options.progress = [&](double) { return calls++ < allowed; };
        AdaptiveSurface surface;
        surface.width = -5;
        EXPECT_THROW(surface = BuildAdaptiveSurface(sums.field(), 0, options), MeshingCancelled);
        EXPECT_EQ(calls, allowed + 1);  // not asked again once told to stop
        EXPECT_EQ(surface.width, -5);
    }
}

TEST_P(Stopping, OutOfMemoryComesOutAsBadAlloc)
{
    const Sums sums = MakeSums(200, 150, [](int c, int r) { return NoiseSum(c, r); });
    FailAllocations(1, 4096);
    EXPECT_THROW(BuildAdaptiveSurface(sums.field(), 0, GetParam().options), std::bad_alloc);
    FailAllocations(0);
}

INSTANTIATE_TEST_SUITE_P(Ways, Stopping, testing::Values(kWays[0], Way{"tiles", Tiled(30, 2)}),
                         [](const testing::TestParamInfo<Way>& info) { return info.index == 0 ? "whole" : "tiles"; });

} // namespace
