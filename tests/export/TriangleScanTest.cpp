// The scan must visit exactly the lattice points of the closed triangle (counted against
// Pick's theorem), find the exact worst deviation and the first pixel that has it, and
// give the same answer at every instruction-set level, in 32-bit and in double lanes.
#include "export/TriangleScan.h"

#include <gtest/gtest.h>
#include <numeric>
#include <vector>

#include "export/SmallTriangleScan.h"
#include "export/SpanScan.h"
#include "tests/support/SurfaceChecks.h"

namespace {

// The lattice points of a closed triangle by Pick's theorem: area + boundary / 2 + 1.
std::int64_t PointsInside(LatticePoint a, LatticePoint b, LatticePoint c)
{
    const auto onEdge = [](LatticePoint p, LatticePoint q) { return std::gcd(std::abs(p.c - q.c), std::abs(p.r - q.r)); };
    const std::int64_t boundary = onEdge(a, b) + onEdge(b, c) + onEdge(c, a);
    return (std::llabs(Cross(a, b, c)) + boundary) / 2 + 1;
}

// Every pixel by its edge functions: the worst deviation and the first pixel with it.
TriangleScanResult ScanByHand(const HeightField& field, LatticePoint a, LatticePoint b, LatticePoint c)
{
    TriangleScanResult result;
    const std::int64_t d = Cross(a, b, c);
    result.doubleArea = std::llabs(d);
    result.worst = a;
    for (int r = 0; r < field.height; ++r)
        for (int col = 0; col < field.width; ++col) {
            const LatticePoint q{col, r};
            const std::int64_t w0 = Cross(b, c, q), w1 = Cross(c, a, q), w2 = Cross(a, b, q);
            if ((d < 0 && (w0 > 0 || w1 > 0 || w2 > 0)) || (d > 0 && (w0 < 0 || w1 < 0 || w2 < 0)))
                continue;
            ++result.pixelCount;
            const std::int64_t plane = w0 * field.at(a.c, a.r) + w1 * field.at(b.c, b.r) + w2 * field.at(c.c, c.r);
            const std::int64_t off = std::llabs(d * field.at(col, r) - plane);
            if (off > result.worstDeviation) {
                result.worstDeviation = off;
                result.worst = q;
            }
        }
    return result;
}

LatticePoint RandomPoint(std::uint32_t& seed, int width, int height)
{
    seed = seed * 1664525u + 1013904223u;
    const int c = static_cast<int>((seed >> 8) % static_cast<std::uint32_t>(width));
    seed = seed * 1664525u + 1013904223u;
    return {c, static_cast<int>((seed >> 8) % static_cast<std::uint32_t>(height))};
}

TEST(TriangleScan, FindsTheExactWorstPixelOfHandPickedTriangles)
{
    // A spike of 765 on the long edge of a corner triangle, then one just outside it.
    const Sums spike = MakeSums(5, 5, [](int c, int r) { return c == 2 && r == 2 ? 765 : 0; });
    const TriangleScanResult on = ScanTriangle(spike.field(), {0, 0}, {0, 4}, {4, 4});
    EXPECT_EQ(on.doubleArea, 16);
    EXPECT_EQ(on.worstDeviation, 765 * 16);
    EXPECT_EQ(on.worst, (LatticePoint{2, 2}));
    EXPECT_EQ(on.pixelCount, 15);
    const TriangleScanResult off = ScanTriangle(spike.field(), {0, 1}, {0, 4}, {3, 4});
    EXPECT_EQ(off.worstDeviation, 0);
    EXPECT_EQ(off.worst, (LatticePoint{0, 1}));

    // A ramp is its own plane; a bump of 6 on it under a triangle of area 4.5 is 6 off.
    Sums ramp = MakeSums(4, 4, [](int c, int r) { return 30 * c + 7 * r; });
    EXPECT_EQ(ScanTriangle(ramp.field(), {0, 0}, {3, 0}, {0, 3}).worstDeviation, 0);
    ramp.at(1, 1) += 6;
    const TriangleScanResult bump = ScanTriangle(ramp.field(), {0, 0}, {3, 0}, {0, 3});
    EXPECT_EQ(bump.worstDeviation, 6 * 9);
    EXPECT_DOUBLE_EQ(bump.error(), 6.0);
}

TEST(TriangleScan, TiesGoToTheLeftmostPixelOfTheFirstRow)
{
    const Sums sums = MakeSums(9, 9, [](int c, int r) { return (c == 5 && r == 3) || (c == 2 && r == 3) || (c == 1 && r == 6) ? 50 : 0; });
    const TriangleScanResult scan = ScanTriangle(sums.field(), {0, 0}, {0, 8}, {8, 8});
    EXPECT_EQ(scan.worst, (LatticePoint{2, 3}));
}

TEST(TriangleScan, AgreesWithEveryPixelByHandOnRandomTriangles)
{
    const Sums sums = MakeSums(61, 47, [](int c, int r) { return NoiseSum(c, r, 7); });
    std::uint32_t seed = 12345;
    for (int k = 0; k < 400; ++k) {
        const LatticePoint a = RandomPoint(seed, 61, 47), b = RandomPoint(seed, 61, 47), c = RandomPoint(seed, 61, 47);
        if (Cross(a, b, c) == 0)
            continue;
        const TriangleScanResult scan = ScanTriangle(sums.field(), a, b, c), hand = ScanByHand(sums.field(), a, b, c);
        ASSERT_EQ(scan.pixelCount, PointsInside(a, b, c)) << k;
        ASSERT_EQ(scan.pixelCount, hand.pixelCount) << k;
        ASSERT_EQ(scan.worstDeviation, hand.worstDeviation) << k;
        ASSERT_EQ(scan.worst, hand.worst) << k;
    }
}

TEST(TriangleScan, NarrowTrianglesAgreeWithEveryPixelByHandInTheBoxScanToo)
{
    const Sums sums = MakeSums(40, 300, [](int c, int r) { return NoiseSum(c, r, 11); });
    std::uint32_t seed = 777;
    int boxScans = 0;
    for (int k = 0; k < 600; ++k) {
        const LatticePoint a = RandomPoint(seed, 16, 300);
        const LatticePoint b = RandomPoint(seed, 16, 300), c = RandomPoint(seed, 16, k % 3 == 0 ? 4 : 300);
        if (Cross(a, b, c) == 0)
            continue;
        const TriangleScanResult hand = ScanByHand(sums.field(), a, b, c);
        TriangleScanResult box;
        if (ScanSmallTriangle(sums.field(), a, b, c, INT64_MAX, box)) {
            ++boxScans;
            ASSERT_EQ(box.worstDeviation, hand.worstDeviation) << k;
            ASSERT_EQ(box.worst, hand.worst) << k;
            ASSERT_EQ(box.pixelCount, hand.pixelCount) << k;
            ASSERT_EQ(box.doubleArea, hand.doubleArea) << k;
        }
        const TriangleScanResult scan = ScanTriangle(sums.field(), a, b, c);
        ASSERT_EQ(scan.worstDeviation, hand.worstDeviation) << k;
        ASSERT_EQ(scan.worst, hand.worst) << k;
    }
    if (BestSpanScanLevel() == SpanScanLevel::Avx512) {
        EXPECT_GT(boxScans, 500);
    }
}

TEST(TriangleScan, LargeTrianglesAreExactInDoubles)
{
    // |D| 1799^2 is past what 32-bit lanes hold (765 |D| >= 2^31).
    const Sums sums = MakeSums(1800, 1800, [](int c, int r) { return (c * 3 + r * 5) % 766; });
    const LatticePoint a{0, 0}, b{0, 1799}, c{1799, 1799};
    const TriangleScanResult scan = ScanTriangle(sums.field(), a, b, c);
    const TriangleScanResult hand = ScanByHand(sums.field(), a, b, c);
    EXPECT_EQ(scan.worstDeviation, hand.worstDeviation);
    EXPECT_EQ(scan.worst, hand.worst);
    EXPECT_EQ(scan.pixelCount, PointsInside(a, b, c));
}

TEST(TriangleScan, WithinHoldsAtTheErrorAndNotAThousandthBelow)
{
    // Deviation 765 x 16 over D = 16: the error is exactly 765.
    const Sums spike = MakeSums(5, 5, [](int c, int r) { return c == 2 && r == 2 ? 765 : 0; });
    const TriangleScanResult scan = ScanTriangle(spike.field(), {0, 0}, {0, 4}, {4, 4});
    EXPECT_TRUE(scan.within(765000));
    EXPECT_FALSE(scan.within(764999));
    EXPECT_TRUE(TriangleWithin(spike.field(), {0, 0}, {0, 4}, {4, 4}, 765000));
    EXPECT_FALSE(TriangleWithin(spike.field(), {0, 0}, {0, 4}, {4, 4}, 764999));
    // A bump of 2 under a flat triangle: the error is exactly 2.
    Sums ramp = MakeSums(4, 4, [](int, int) { return 0; });
    ramp.at(1, 1) = 2;
    EXPECT_TRUE(TriangleWithin(ramp.field(), {0, 0}, {3, 0}, {0, 3}, 2000));
    EXPECT_FALSE(TriangleWithin(ramp.field(), {0, 0}, {3, 0}, {0, 3}, 1999));
}

// ---- Every instruction-set level gives the same ------------------------------------------

class SpanLevels : public testing::TestWithParam<SpanScanLevel> {};

TEST_P(SpanLevels, GiveTheSameWorstAndSpanAsPlainCode)
{
    if (GetParam() > BestSpanScanLevel())
        GTEST_SKIP() << "this processor lacks the level";
    const Sums sums = MakeSums(53, 20, [](int c, int r) { return NoiseSum(c, r, 3); });
    std::uint32_t seed = 99;
    for (int k = 0; k < 300; ++k) {
        std::vector<Span> spans;
        const std::int64_t d = 1 + k % 4000, step = (k % 7) * 1000 - 3000;
        for (int s = 0; s < 1 + k % 9; ++s) {
            const LatticePoint from = RandomPoint(seed, 53, 20);
            const int count = 1 + static_cast<int>((seed >> 4) % static_cast<std::uint32_t>(53 - from.c));
            spans.push_back({sums.field().indexOf(from.c, from.r), static_cast<std::int64_t>(seed % 1000000) - 500000, count});
        }
        // The last pixels of the field: blocks must not read past them.
        spans.push_back({sums.values.size() - 3, 77, 3});
        const SpanScanInput input{sums.values.data(), sums.values.size(), 53, spans.data(), static_cast<int>(spans.size()), d, step};
        const SpanScanResult plain = ScanSpansNarrow(input, SpanScanLevel::Portable);
        const SpanScanResult narrow = ScanSpansNarrow(input, GetParam());
        const SpanScanResult wide = ScanSpansWide(input, GetParam());
        ASSERT_EQ(narrow.worst, plain.worst) << k;
        ASSERT_EQ(narrow.span, plain.span) << k;
        ASSERT_EQ(wide.worst, plain.worst) << k;
        ASSERT_EQ(wide.span, plain.span) << k;
    }
}

INSTANTIATE_TEST_SUITE_P(Levels, SpanLevels,
                         testing::Values(SpanScanLevel::Portable, SpanScanLevel::Avx2, SpanScanLevel::Avx512));

} // namespace
