// The solid for printing over every pixel of a picture, as the exports write it: read
// back from the STL file, every pixel centre lies within the error of the top surface;
// the solid is closed and wound outward; it stands where the settings place it, in
// millimetres; and a cancel, a picture it cannot mesh or memory running out leave the
// old file as it was.
#include "export/WholePictureSolid.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <set>

#include "export/MeshExport.h"
#include "model/EditorError.h"
#include "model/EditorState.h"
#include "model/ImageSurface.h"
#include "tests/support/AllocationCount.h"
#include "tests/support/Failures.h"
#include "tests/support/MeshFiles.h"
#include "tests/support/PictureBuilder.h"
#include "tests/support/TempFolder.h"

namespace {

using SumAt = std::function<int(int c, int r)>;

Picture PictureOfSums(int width, int height, const SumAt& sum)
{
    Picture picture = MakePicture(width, height, kBlack);
    for (int r = 0; r < height; ++r)
        for (int c = 0; c < width; ++c)
            SetPixel(picture, c, r, ColourOfSum(sum(c, r)));
    return picture;
}

SolidSettings WholePicture(int errorTenths)
{
    SolidSettings solid;
    solid.detail = SolidDetail::WholePicture;
    solid.maxErrorTenths = errorTenths;
    return solid;
}

// Writes the picture's solid through the one export entry, as the window does.
std::string ExportSolid(const Picture& picture, const SolidSettings& solid, MeshFormat format = MeshFormat::Stl,
                        const ProgressCallback& progress = {})
{
    ImageSurface surface;
    EditorState state;
    PrepareExport(state, surface, picture, 50, {}, solid);
    const TempFolder folder;
    WriteMesh(format, state, surface, folder.file("solid"), SystemFileOps(), progress);
    return ReadWholeFile(folder.file("solid"));
}

struct PlacedPicture {
    int width, height;
    SolidSettings solid;
    double px, py;  // millimetres between pixel centres
    double z(int sum) const
    {
        return solid.baseMm + solid.reliefMm * ((solid.invert ? 765 - sum : sum) / 765.0);
    }
};

PlacedPicture Placement(int width, int height, const SolidSettings& solid)
{
    const int longest = std::max(width, height);
    const double px = solid.longestSideMm / (solid.keepProportions ? longest - 1 : width - 1);
    const double py = solid.longestSideMm / (solid.keepProportions ? longest - 1 : height - 1);
    return {width, height, solid, px, py};
}

// The top surface read back from the STL: the triangles none of whose corners lies on
// the bottom (every top point stands at least the base high).
std::vector<StlTriangle> TopOf(const StlFile& stl)
{
    std::vector<StlTriangle> top;
    for (const StlTriangle& t : stl.triangles)
        if (std::all_of(t.corners.begin(), t.corners.end(), [](const StlVertex& v) { return v.z > 0; }))
            top.push_back(t);
    return top;
}

// The surface's height over (x, y), from the first top triangle that holds the point,
// or NaN when none does.
double SurfaceAt(const std::vector<StlTriangle>& top, double x, double y)
{
    constexpr double kSlack = 1e-6;
    for (const StlTriangle& t : top) {
        const StlVertex &a = t.corners[0], &b = t.corners[1], &c = t.corners[2];
        const double det = (double(b.x) - a.x) * (double(c.y) - a.y) - (double(c.x) - a.x) * (double(b.y) - a.y);
        const double u = ((x - a.x) * (double(c.y) - a.y) - (double(c.x) - a.x) * (y - a.y)) / det;
        const double v = ((double(b.x) - a.x) * (y - a.y) - (x - a.x) * (double(b.y) - a.y)) / det;
        if (u >= -kSlack && v >= -kSlack && u + v <= 1 + kSlack)
            return a.z + u * (double(b.z) - a.z) + v * (double(c.z) - a.z);
    }
    return std::nan("");
}

// The largest distance, in height steps, between a pixel's height and the surface read
// back over its centre.
double LargestErrorInSteps(const Picture& picture, const SumAt& sum, const SolidSettings& solid)
{
    const PlacedPicture placed = Placement(picture.width, picture.height, solid);
    const std::vector<StlTriangle> top = TopOf(ParseStl(ExportSolid(picture, solid)));
    double largest = 0;
    for (int r = 0; r < picture.height; ++r) {
        for (int c = 0; c < picture.width; ++c) {
            const double z = SurfaceAt(top, (picture.width - 1 - c) * placed.px, r * placed.py);
            EXPECT_FALSE(std::isnan(z)) << "no surface over pixel " << c << ", " << r;
            largest = std::max(largest, std::abs(z - placed.z(sum(c, r))) * 765 / solid.reliefMm);
        }
    }
    return largest;
}

struct ErrorCase {
    const char* name;
    int width, height;
    SumAt sum;
};

void PrintTo(const ErrorCase& c, std::ostream* out) { *out << c.name; }

int Noise(int c, int r)
{
    return static_cast<int>((static_cast<unsigned>(c) * 2654435761u ^ static_cast<unsigned>(r) * 40503u) % 766u);
}

const ErrorCase kPictures[] = {
    {"Spike", 9, 7, [](int c, int r) { return c == 4 && r == 3 ? 765 : 0; }},
    {"Cliff", 12, 9, [](int c, int) { return c < 5 ? 100 : 700; }},
    {"DiagonalRidge", 11, 11, [](int c, int r) { return std::max(0, 765 - 150 * std::abs(c - r)); }},
    {"Checkerboard", 8, 6, [](int c, int r) { return (c + r) % 2 ? 765 : 0; }},
    {"Noise", 13, 10, Noise},
};

class WholePictureError : public testing::TestWithParam<ErrorCase> {};

// Float coordinates in the file cost a few millionths of a step at most.
TEST_P(WholePictureError, EveryPixelCentreLiesWithinTheErrorOfTheSurfaceInTheFile)
{
    const ErrorCase& c = GetParam();
    const Picture picture = PictureOfSums(c.width, c.height, c.sum);
    for (const int tenths : {0, 10, 76, 2000}) {
        for (const bool invert : {false, true}) {
            SolidSettings solid = WholePicture(tenths);
            solid.invert = invert;
            EXPECT_LE(LargestErrorInSteps(picture, c.sum, solid), tenths / 10.0 + 1e-3)
                << "error " << tenths / 10.0 << (invert ? " inverted" : "");
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Pictures, WholePictureError, testing::ValuesIn(kPictures),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- The solid: closed, wound outward, in millimetres ---------------------------------

TEST(WholePictureSolidFile, IsClosedWoundOutwardAndHasNoFlatTriangle)
{
    const Picture picture = PictureOfSums(23, 17, Noise);
    const StlFile stl = ParseStl(ExportSolid(picture, WholePicture(150)));
    ASSERT_TRUE(stl.sizeMatches);
    std::map<std::pair<StlVertex, StlVertex>, int> edges;
    double volume = 0;
    for (const StlTriangle& t : stl.triangles) {
        const StlVertex &a = t.corners[0], &b = t.corners[1], &c = t.corners[2];
        const double cx = (double(b.y) - a.y) * (double(c.z) - a.z) - (double(b.z) - a.z) * (double(c.y) - a.y);
        const double cy = (double(b.z) - a.z) * (double(c.x) - a.x) - (double(b.x) - a.x) * (double(c.z) - a.z);
        const double cz = (double(b.x) - a.x) * (double(c.y) - a.y) - (double(b.y) - a.y) * (double(c.x) - a.x);
        EXPECT_GT(cx * cx + cy * cy + cz * cz, 0) << "a flat triangle";
        for (int k = 0; k < 3; ++k)
            ++edges[{t.corners[k], t.corners[(k + 1) % 3]}];
        volume += (double(a.x) * (double(b.y) * c.z - double(b.z) * c.y) - double(a.y) * (double(b.x) * c.z - double(b.z) * c.x) +
                   double(a.z) * (double(b.x) * c.y - double(b.y) * c.x)) / 6;
    }
    for (const auto& [edge, count] : edges) {
        EXPECT_EQ(count, 1) << "an edge used twice the same way";
        EXPECT_EQ(edges.count({edge.second, edge.first}), 1u) << "an edge without its other side";
    }
    EXPECT_GT(volume, 0) << "wound inward";
}

struct PlacementCase {
    const char* name;
    int width, height;
    SolidSettings solid;
    float sizeX, sizeY;
};

void PrintTo(const PlacementCase& c, std::ostream* out) { *out << c.name; }

SolidSettings Sized(double side, double relief, double base, bool proportions, bool invert)
{
    SolidSettings solid = WholePicture(0);
    solid.longestSideMm = side;
    solid.reliefMm = relief;
    solid.baseMm = base;
    solid.keepProportions = proportions;
    solid.invert = invert;
    return solid;
}

class WholePicturePlacement : public testing::TestWithParam<PlacementCase> {};

// Every point where the settings put it: X = (W - 1 - c) px, Y = r py, Z from the sum,
// the bottom at 0; the footprint's longer side the longest side exactly.
TEST_P(WholePicturePlacement, EveryPointStandsWhereTheSettingsPutIt)
{
    const PlacementCase& c = GetParam();
    const auto sum = [](int col, int row) { return (col * 97 + row * 251) % 766; };
    const Picture picture = PictureOfSums(c.width, c.height, sum);
    const PlacedPicture placed = Placement(c.width, c.height, c.solid);
    const StlFile stl = ParseStl(ExportSolid(picture, c.solid));
    std::set<StlVertex> expected;
    for (int r = 0; r < c.height; ++r)
        for (int col = 0; col < c.width; ++col)
            expected.insert({static_cast<float>((c.width - 1 - col) * placed.px), static_cast<float>(r * placed.py),
                             static_cast<float>(placed.z(sum(col, r)))});
    float maxX = 0, maxY = 0, minX = 1e9f, minY = 1e9f, minZ = 1e9f;
    for (const StlTriangle& t : stl.triangles) {
        for (const StlVertex& v : t.corners) {
            maxX = std::max(maxX, v.x), maxY = std::max(maxY, v.y);
            minX = std::min(minX, v.x), minY = std::min(minY, v.y), minZ = std::min(minZ, v.z);
            if (v.z == 0)
                continue;  // the bottom
            // A top point is a pixel centre, at its height to the float's last bit.
            const float slack = 1e-6f * static_cast<float>(c.solid.longestSideMm);
            const auto near = std::find_if(expected.begin(), expected.end(), [&](const StlVertex& e) {
                return std::abs(e.x - v.x) <= slack && std::abs(e.y - v.y) <= slack && e.z == v.z;
            });
            EXPECT_NE(near, expected.end()) << v.x << ", " << v.y << ", " << v.z;
        }
    }
    EXPECT_EQ(minX, 0.0f);
    EXPECT_EQ(minY, 0.0f);
    EXPECT_EQ(minZ, 0.0f);
    EXPECT_EQ(maxX, c.sizeX);
    EXPECT_EQ(maxY, c.sizeY);
}

INSTANTIATE_TEST_SUITE_P(
    Settings, WholePicturePlacement,
    testing::Values(PlacementCase{"WideKeptProportions", 5, 3, Sized(100, 10, 2, true, false), 100.0f, 50.0f},
                    PlacementCase{"TallKeptProportions", 3, 5, Sized(100, 10, 2, true, false), 50.0f, 100.0f},
                    PlacementCase{"Square", 5, 3, Sized(100, 10, 2, false, false), 100.0f, 100.0f},
                    PlacementCase{"Inverted", 4, 4, Sized(80, 3.5, 0.5, true, true), 80.0f, 80.0f},
                    PlacementCase{"OddSide", 7, 4, Sized(33.3, 1, 1, true, false), 33.3f, static_cast<float>(33.3 * (3.0 / 6))}),
    [](const auto& info) { return std::string(info.param.name); });

// A white pixel stands at base + relief, a black one at the base; inverted the other way.
TEST(WholePictureSolidFile, WhiteAndBlackStandAtTheEndsOfTheRelief)
{
    const auto half = [](int c, int) { return c < 2 ? 765 : 0; };
    for (const bool invert : {false, true}) {
        SolidSettings solid = Sized(60, 12.5, 1.5, true, invert);
        const StlFile stl = ParseStl(ExportSolid(PictureOfSums(4, 3, half), solid));
        std::set<float> heights;
        for (const StlTriangle& t : stl.triangles)
            for (const StlVertex& v : t.corners)
                heights.insert(v.z);
        EXPECT_EQ(heights, (std::set<float>{0.0f, 1.5f, 14.0f})) << (invert ? "inverted" : "");
    }
}

// A flat picture needs two triangles on top, however large.
TEST(WholePictureSolidFile, AFlatPictureHasTwoTrianglesOnTop)
{
    const StlFile stl = ParseStl(ExportSolid(MakePicture(300, 200, Grey(77)), WholePicture(0)));
    EXPECT_EQ(TopOf(stl).size(), 2u);
}

// ---- Stopping, refusing, running out -----------------------------------------------------

class WholePictureFailure : public testing::Test {
protected:
    void SetUp() override { WriteWholeFile(folder_.file("old.stl"), "old"); }

    // Runs the export over the old file; what it threw.
    template <class Check>
    void exportOverOld(const Picture& picture, const ProgressCallback& progress, Check&& check,
                       const std::function<void()>& justBefore = [] {})
    {
        ImageSurface surface;
        EditorState state;
        PrepareExport(state, surface, picture, 50, {}, WholePicture(0));
        justBefore();
        try {
            WriteMesh(MeshFormat::Stl, state, surface, folder_.file("old.stl"), SystemFileOps(), progress);
            ADD_FAILURE() << "nothing thrown";
        } catch (...) {
            check(std::current_exception());
        }
        EXPECT_EQ(ReadWholeFile(folder_.file("old.stl")), "old");
        EXPECT_EQ(folder_.names(), std::vector<std::string>{"old.stl"}) << "a temporary file was left";
    }

    TempFolder folder_;
};

bool IsCancel(std::exception_ptr thrown)
{
    try {
        std::rethrow_exception(thrown);
    } catch (const MeshingCancelled&) {
        return true;
    } catch (...) {
        return false;
    }
}

TEST_F(WholePictureFailure, CancelWhileMeshingOrWritingLeavesTheOldFileAlone)
{
    const Picture noise = PictureOfSums(700, 500, Noise);
    std::vector<double> reported;
    // Stopped at the first report (meshing), and at the first report of the writing.
    const std::function<bool(double)> stopAtOnce = [&](double f) { reported.push_back(f); return false; };
    exportOverOld(noise, stopAtOnce, [](std::exception_ptr e) { EXPECT_TRUE(IsCancel(e)); });
    ASSERT_EQ(reported.size(), 1u);
    EXPECT_LT(reported[0], WholePictureSolid::kMeshingShare);

    reported.clear();
    // Meshing ends at the share; past it only the writing reports.
    const std::function<bool(double)> stopWriting = [&](double f) {
        reported.push_back(f);
        return f <= WholePictureSolid::kMeshingShare;
    };
    exportOverOld(noise, stopWriting, [](std::exception_ptr e) { EXPECT_TRUE(IsCancel(e)); });
    ASSERT_FALSE(reported.empty());
    EXPECT_GT(reported.back(), WholePictureSolid::kMeshingShare) << "stopped while writing";
    EXPECT_TRUE(std::is_sorted(reported.begin(), reported.end())) << "progress only grows";
}

TEST_F(WholePictureFailure, AllTheWayTheProgressGrowsToTheEnd)
{
    std::vector<double> reported;
    ExportSolid(PictureOfSums(300, 200, Noise), WholePicture(10), MeshFormat::ThreeMf, [&](double f) {
        reported.push_back(f);
        return true;
    });
    ASSERT_GE(reported.size(), 2u);
    EXPECT_TRUE(std::is_sorted(reported.begin(), reported.end()));
    EXPECT_DOUBLE_EQ(reported.back(), 1.0);
}

TEST_F(WholePictureFailure, PicturesWithoutAreaOrPixelsAreRefused)
{
    const auto failure = [](Failure expected) {
        return [expected](std::exception_ptr e) {
            try {
                std::rethrow_exception(e);
            } catch (const EditorError& error) {
                EXPECT_EQ(error.failure(), expected);
            } catch (...) {
                ADD_FAILURE() << "not an editor error";
            }
        };
    };
    exportOverOld(MakePicture(1, 5, kWhite), {}, failure(Failure::PictureTooNarrow));
    exportOverOld(MakePicture(5, 1, kWhite), {}, failure(Failure::PictureTooNarrow));
    exportOverOld(IconSurface().picture(), {}, failure(Failure::NotABitmap));
}

TEST_F(WholePictureFailure, MemoryRunningOutLeavesTheOldFileAlone)
{
    const auto outOfMemory = [](std::exception_ptr e) {
        FailAllocations(0);
        try {
            std::rethrow_exception(e);
        } catch (const std::bad_alloc&) {
        } catch (...) {
            ADD_FAILURE() << "not out of memory";
        }
    };
    const Picture picture = PictureOfSums(64, 64, Noise);
    // The picture's sums, or any one of the meshing's larger blocks after them.
    for (const std::size_t atLeast : {std::size_t{64 * 64 * 2}, std::size_t{64 * 64 * 4}, std::size_t{1024}}) {
        exportOverOld(picture, {}, outOfMemory, [atLeast] { FailAllocations(1, atLeast); });
        FailAllocations(0);
    }
}

}  // namespace
