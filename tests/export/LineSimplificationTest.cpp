// A border's points must keep every pixel of it within the error of the polyline
// through them, exactly, with both ends kept, and take no point a straight piece does
// not need.
#include "export/LineSimplification.h"

#include <gtest/gtest.h>
#include <vector>

#include "tests/support/SurfaceChecks.h"

namespace {

// The largest error along the run, in thousandths rounded up, of the polyline through
// the kept offsets.
std::int64_t WorstAlong(const std::vector<int>& sums, const std::vector<int>& kept)
{
    std::int64_t worst = 0;
    for (std::size_t k = 0; k + 1 < kept.size(); ++k) {
        const std::int64_t a = kept[k], b = kept[k + 1];
        for (std::int64_t x = a; x <= b; ++x) {
            // |(b - a) s(x) - ((b - x) s(a) + (x - a) s(b))| / (b - a)
            const std::int64_t off = std::llabs((b - a) * sums[static_cast<std::size_t>(x)] -
                                                ((b - x) * sums[static_cast<std::size_t>(a)] + (x - a) * sums[static_cast<std::size_t>(b)]));
            worst = std::max(worst, (1000 * off + (b - a) - 1) / (b - a));
        }
    }
    return worst;
}

std::vector<int> Row(const Sums& sums, int r)
{
    std::vector<int> row;
    for (int c = 0; c < sums.width; ++c)
        row.push_back(sums.values[static_cast<std::size_t>(r) * sums.width + c]);
    return row;
}

TEST(LineSimplification, KeepsOnlyTheEndsOfAStraightRun)
{
    const Sums sums = MakeSums(30, 2, [](int c, int r) { return r == 0 ? 5 * c : 300; });
    EXPECT_EQ(SimplifyLine(sums.field(), {0, 0}, {29, 0}, 0), (std::vector<int>{0, 29}));
    EXPECT_EQ(SimplifyLine(sums.field(), {3, 1}, {20, 1}, 0), (std::vector<int>{0, 17}));
}

TEST(LineSimplification, KeepsBothSidesOfAStepTheErrorCannotHide)
{
    const Sums sums = MakeSums(1, 8, [](int, int r) { return r < 4 ? 0 : 300; });
    EXPECT_EQ(SimplifyLine(sums.field(), {0, 0}, {0, 7}, 0), (std::vector<int>{0, 3, 4, 7}));
    // One straight piece misses rows 3 and 4 by 900 / 7 = 128.5714...
    EXPECT_EQ(SimplifyLine(sums.field(), {0, 0}, {0, 7}, 128572), (std::vector<int>{0, 7}));
    EXPECT_NE(SimplifyLine(sums.field(), {0, 0}, {0, 7}, 128571), (std::vector<int>{0, 7}));
}

TEST(LineSimplification, KeepsNoisyRunsWithinEveryError)
{
    const Sums sums = MakeSums(200, 3, [](int c, int r) { return r == 1 ? NoiseSum(c, 0) : (c * c / 60 + NoiseSum(c, r) / 40) % 766; });
    for (const int r : {0, 1, 2})
        for (const int thousandths : {0, 500, 3000, 40000, 400000}) {
            const std::vector<int> kept = SimplifyLine(sums.field(), {0, r}, {199, r}, thousandths);
            ASSERT_EQ(kept.front(), 0);
            ASSERT_EQ(kept.back(), 199);
            EXPECT_TRUE(std::is_sorted(kept.begin(), kept.end()));
            EXPECT_EQ(std::adjacent_find(kept.begin(), kept.end()), kept.end());
            EXPECT_LE(WorstAlong(Row(sums, r), kept), thousandths) << r << " " << thousandths;
        }
    // At error 0 exactly the pixels where the slope changes, and the ends.
    const std::vector<int> noise = Row(sums, 1);
    std::vector<int> bends{0};
    for (int x = 1; x < 199; ++x)
        if (noise[static_cast<std::size_t>(x)] - noise[static_cast<std::size_t>(x - 1)] !=
            noise[static_cast<std::size_t>(x + 1)] - noise[static_cast<std::size_t>(x)])
            bends.push_back(x);
    bends.push_back(199);
    EXPECT_EQ(SimplifyLine(sums.field(), {0, 1}, {199, 1}, 0), bends);
}

} // namespace
