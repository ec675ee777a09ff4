#include "export/BuildAdaptiveSurface.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>
#include <stdexcept>

#include "export/TiledSurface.h"
#include "model/HeightScale.h"

namespace {

// Pictures at least this long get two tiles (strips across the longer side) even when
// their surface is sparse: one for each of two threads.
constexpr int kHalvedFrom = 512;

// Whole (or in halves) only while a surface is so sparse that small tiles' borders
// would add a good part of its triangles: up to 20 a small tile, with room for at least
// 4096. Past that, small tiles are faster (and take less memory), and their borders
// cost little. Finding out takes greedy insertion only that far, which sampling keeps
// cheap.
std::size_t WholeTriangleLimit(const HeightField& field, const AdaptiveSurfaceOptions& options)
{
    if (options.wholeTriangleLimit != 0)
        return options.wholeTriangleLimit;
    const std::size_t tiles = (TileBorders(field.width - 1, options.tileSide).size() - 1) *
                              (TileBorders(field.height - 1, options.tileSide).size() - 1);
    return std::max<std::size_t>(4096, 20 * tiles);
}

} // namespace

AdaptiveSurface BuildAdaptiveSurface(const HeightField& field, int maxErrorTenths, const AdaptiveSurfaceOptions& options)
{
    if (maxErrorTenths < 0 || maxErrorTenths > 10 * kMaxChannelSum)
        throw std::invalid_argument("adaptive surface: error out of 0..765");
    return BuildAdaptiveSurfaceThousandths(field, 100 * maxErrorTenths, options);
}

AdaptiveSurface BuildAdaptiveSurfaceThousandths(const HeightField& field, int maxErrorThousandths,
                                                const AdaptiveSurfaceOptions& options)
{
    CheckHeightField(field);
    if (maxErrorThousandths < 0 || maxErrorThousandths > 1000 * kMaxChannelSum)
        throw std::invalid_argument("adaptive surface: error out of 0..765");
    if (options.tileSide < 2 || options.tileSide > 255 || options.threads < 1)
        throw std::invalid_argument("adaptive surface: tile side out of 2..255 or no thread");
    if (field.width == 1 || field.height == 1) {
        AdaptiveSurface empty;
        empty.width = field.width;
        empty.height = field.height;
        return empty;
    }

    ProgressMeter meter(options.progress);
    meter.report(0);
    // Whole, or in two halves of a long picture; in small tiles when that takes too many
    // triangles.
    const int lastColumn = field.width - 1, lastRow = field.height - 1;
    const bool halved = std::max(field.width, field.height) >= kHalvedFrom;
    const bool acrossColumns = field.width >= field.height;
    const std::vector<int> columns = halved && acrossColumns ? std::vector<int>{0, lastColumn / 2, lastColumn}
                                                             : std::vector<int>{0, lastColumn};
    const std::vector<int> rows = halved && !acrossColumns ? std::vector<int>{0, lastRow / 2, lastRow}
                                                           : std::vector<int>{0, lastRow};
    const std::size_t limit = WholeTriangleLimit(field, options) / (halved ? 2 : 1);
    std::optional<AdaptiveSurface> surface =
        BuildTiles(field, maxErrorThousandths, columns, rows, std::max<std::size_t>(limit, 1), options.threads, meter);
    if (!surface) {
        meter.setStage(meter.reported(), 1);
        surface = BuildTiles(field, maxErrorThousandths, TileBorders(lastColumn, options.tileSide),
                             TileBorders(lastRow, options.tileSide), SIZE_MAX, options.threads, meter);
    }
    meter.setStage(0, 1);
    meter.report(1);
    return std::move(*surface);
}
