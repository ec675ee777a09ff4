#include "export/TiledSurface.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <mutex>
#include <stdexcept>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "export/GreedyInsertion.h"
#include "export/LineSimplification.h"
#include "export/VertexRemoval.h"

namespace {

// The greedy part of a tile and the removal after it, as parts of its progress.
constexpr double kInsertionShare = 0.85;

// A tile of at most this many points numbers its corners in 16 bits.
constexpr std::size_t kNarrowPoints = 65536;

// Thrown inside a thread's work when another thread has stopped the run.
struct TilesStopped {};

// The part of the run in progress, tile by tile (1 once done), for the caller's report.
using TileProgress = std::vector<std::atomic<float>>;

// The tile a border coordinate belongs to: the last whose first border is at or before it.
int TileOf(const std::vector<int>& borders, int at)
{
    const auto after = std::upper_bound(borders.begin(), borders.end() - 1, at);
    return static_cast<int>(after - borders.begin()) - 1;
}

struct Tile {
    bool overLimit = false;
    std::vector<PackedPoint> own;       // its vertices not on a border it shares to the right or below
    std::vector<PackedPoint> borrowed;  // those that are, their owners' vertices
    std::vector<std::uint16_t> narrowCorners;  // own first, then borrowed: in a small tile
    std::vector<std::uint32_t> wideCorners;    // the same in a large one
    // Own vertices on the left and top borders, the ones other tiles borrow: pixel
    // index and own number, by pixel index.
    std::vector<std::pair<std::uint32_t, std::uint32_t>> directory;
};

class TiledBuild {
public:
    TiledBuild(const HeightField& field, int thousandths, std::vector<int> columns, std::vector<int> rows)
        : field_(field), thousandths_(thousandths), columns_(std::move(columns)), rows_(std::move(rows))
    {
    }

    int tileCount() const { return columnCount() * rowCount(); }
    int columnCount() const { return static_cast<int>(columns_.size()) - 1; }
    int rowCount() const { return static_cast<int>(rows_.size()) - 1; }

    // The points each border between two tile corners keeps (ends left out), along rows
    // and along columns.
    void simplifyBorders()
    {
        across_.resize(rows_.size() * static_cast<std::size_t>(columnCount()));
        down_.resize(static_cast<std::size_t>(rowCount()) * columns_.size());
        for (std::size_t j = 0; j < rows_.size(); ++j)
            for (int i = 0; i < columnCount(); ++i)
                across_[j * static_cast<std::size_t>(columnCount()) + static_cast<std::size_t>(i)] =
                    inner(LatticePoint{column(i), rows_[j]}, LatticePoint{column(i + 1), rows_[j]});
        for (int j = 0; j < rowCount(); ++j)
            for (std::size_t i = 0; i < columns_.size(); ++i)
                down_[static_cast<std::size_t>(j) * columns_.size() + i] =
                    inner(LatticePoint{columns_[i], row(j)}, LatticePoint{columns_[i], row(j + 1)});
    }

    std::int64_t tileArea(int tile) const
    {
        const int i = tile % columnCount(), j = tile / columnCount();
        return static_cast<std::int64_t>(column(i + 1) - column(i)) * (row(j + 1) - row(j));
    }

    Tile buildTile(int tile, std::size_t triangleLimit, ProgressMeter& meter) const
    {
        const int i = tile % columnCount(), j = tile / columnCount();
        const int left = column(i), right = column(i + 1), top = row(j), bottom = row(j + 1);
        // A small tile works on a copy of its sums, row after row: the rows then lie a
        // tile's width apart instead of the picture's, and the whole tile stays in the
        // cache. Points are the copy's until they go back into the picture at the end.
        thread_local std::vector<std::uint16_t> copied;
        HeightField field = field_;
        LatticePoint origin{0, 0};
        const int width = right - left + 1, height = bottom - top + 1;
        if (static_cast<std::size_t>(width) * static_cast<std::size_t>(height) <= kNarrowPoints) {
            copied.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
            for (int r = 0; r < height; ++r)
                std::copy_n(field_.sums + field_.indexOf(left, top + r), width,
                            copied.begin() + static_cast<std::ptrdiff_t>(r) * width);
            field = {width, height, copied.data()};
            origin = {left, top};
        }
        const auto moved = [&](LatticePoint p) { return LatticePoint{p.c - origin.c, p.r - origin.r}; };

        GreedyInsertion insertion(field, thousandths_, {left - origin.c, top - origin.r, right - origin.c, bottom - origin.r});
        for (const LatticePoint p : acrossPoints(j, i))
            insertion.insertBorderPoint(moved(p));
        for (const LatticePoint p : downPoints(j, i + 1))
            insertion.insertBorderPoint(moved(p));
        for (const LatticePoint p : acrossPoints(j + 1, i))
            insertion.insertBorderPoint(moved(p));
        for (const LatticePoint p : downPoints(j, i))
            insertion.insertBorderPoint(moved(p));
        meter.setStage(0, kInsertionShare);
        if (insertion.refine(triangleLimit, meter) == GreedyInsertion::Outcome::OverBudget) {
            Tile over;
            over.overLimit = true;
            return over;
        }
        TriangleMesh mesh = insertion.takeMesh();
        meter.setStage(kInsertionShare, 1);
        RemoveVertices(field, thousandths_, mesh, meter);
        for (PackedPoint& p : mesh.points)
            p = PackedPoint(LatticePoint{p.c + origin.c, p.r + origin.r});
        return compact(mesh, i, j);
    }

    AdaptiveSurface assemble(std::vector<Tile>& tiles) const
    {
        AdaptiveSurface surface;
        surface.width = field_.width;
        surface.height = field_.height;
        surface.blocks.resize(tiles.size());
        std::uint32_t next = 0;
        for (std::size_t t = 0; t < tiles.size(); ++t) {
            surface.blocks[t].firstVertex = next;
            next += static_cast<std::uint32_t>(tiles[t].own.size());
        }
        for (std::size_t t = 0; t < tiles.size(); ++t) {
            SurfaceBlock& block = surface.blocks[t];
            for (const PackedPoint p : tiles[t].borrowed)
                block.borrowed.push_back(globalNumber(tiles, surface, p.unpack()));
            block.vertices = std::move(tiles[t].own);
            block.narrowCorners = std::move(tiles[t].narrowCorners);
            block.wideCorners = std::move(tiles[t].wideCorners);
            tiles[t] = Tile();
        }
        return surface;
    }

private:
    int column(int i) const { return columns_[static_cast<std::size_t>(i)]; }
    int row(int j) const { return rows_[static_cast<std::size_t>(j)]; }

    std::vector<int> inner(LatticePoint from, LatticePoint to) const
    {
        std::vector<int> kept = SimplifyLine(field_, from, to, thousandths_);
        return std::vector<int>(kept.begin() + 1, kept.end() - 1);
    }

    std::vector<LatticePoint> acrossPoints(int j, int i) const
    {
        std::vector<LatticePoint> points;
        for (const int offset : across_[static_cast<std::size_t>(j) * static_cast<std::size_t>(columnCount()) + static_cast<std::size_t>(i)])
            points.push_back({column(i) + offset, row(j)});
        return points;
    }

    std::vector<LatticePoint> downPoints(int j, int i) const
    {
        std::vector<LatticePoint> points;
        for (const int offset : down_[static_cast<std::size_t>(j) * columns_.size() + static_cast<std::size_t>(i)])
            points.push_back({column(i), row(j) + offset});
        return points;
    }

    // The tile's mesh numbered its own vertices first, in 16 bits if they fit.
    Tile compact(const TriangleMesh& mesh, int i, int j) const
    {
        const int shareRight = i + 1 < columnCount() ? column(i + 1) : -1;
        const int shareBelow = j + 1 < rowCount() ? row(j + 1) : -1;
        Tile tile;
        std::vector<std::uint32_t> local(mesh.points.size());
        for (std::size_t p = 0; p < mesh.points.size(); ++p) {
            const LatticePoint at = mesh.points[p].unpack();
            if (at.c != shareRight && at.r != shareBelow) {
                local[p] = static_cast<std::uint32_t>(tile.own.size());
                if (at.c == column(i) || at.r == row(j))
                    tile.directory.emplace_back(static_cast<std::uint32_t>(field_.indexOf(at.c, at.r)),
                                                static_cast<std::uint32_t>(tile.own.size()));
                tile.own.push_back(mesh.points[p]);
            }
        }
        for (std::size_t p = 0; p < mesh.points.size(); ++p) {
            const LatticePoint at = mesh.points[p].unpack();
            if (at.c == shareRight || at.r == shareBelow) {
                local[p] = static_cast<std::uint32_t>(tile.own.size() + tile.borrowed.size());
                tile.borrowed.push_back(mesh.points[p]);
            }
        }
        std::sort(tile.directory.begin(), tile.directory.end());
        // Kept until the whole surface is done: no room to spare.
        tile.own.shrink_to_fit();
        tile.borrowed.shrink_to_fit();
        tile.directory.shrink_to_fit();
        if (mesh.points.size() <= kNarrowPoints) {
            tile.narrowCorners.reserve(mesh.corners.size());
            for (const std::int32_t corner : mesh.corners)
                tile.narrowCorners.push_back(static_cast<std::uint16_t>(local[static_cast<std::size_t>(corner)]));
        } else {
            tile.wideCorners.reserve(mesh.corners.size());
            for (const std::int32_t corner : mesh.corners)
                tile.wideCorners.push_back(local[static_cast<std::size_t>(corner)]);
        }
        return tile;
    }

    std::uint32_t globalNumber(const std::vector<Tile>& tiles, const AdaptiveSurface& surface, LatticePoint p) const
    {
        const auto owner = static_cast<std::size_t>(TileOf(rows_, p.r) * columnCount() + TileOf(columns_, p.c));
        if (owner >= tiles.size())
            throw std::logic_error("tiled surface: a border point outside every tile");
        const auto& directory = tiles[owner].directory;
        const auto pixel = static_cast<std::uint32_t>(field_.indexOf(p.c, p.r));
        const auto found = std::lower_bound(directory.begin(), directory.end(), std::make_pair(pixel, std::uint32_t{0}));
        if (found == directory.end() || found->first != pixel)
            throw std::logic_error("tiled surface: a border point its owner lacks");
        return surface.blocks[owner].firstVertex + found->second;
    }

    const HeightField& field_;
    int thousandths_;
    std::vector<int> columns_, rows_;
    std::vector<std::vector<int>> across_;  // [row border][tile column]: offsets along it
    std::vector<std::vector<int>> down_;    // [tile row][column border]
};

// The helper threads, joined however the caller's own work ends.
class Helpers {
public:
    Helpers() = default;
    Helpers(const Helpers&) = delete;
    Helpers& operator=(const Helpers&) = delete;
    ~Helpers() { joinAll(); }

    // A thread that cannot be had leaves the work to the threads there are.
    template <class Work>
    void start(Work&& work)
    {
        try {
            threads_.emplace_back(std::forward<Work>(work));
        } catch (const std::system_error&) {
        }
    }

    void joinAll()
    {
        for (std::thread& thread : threads_)
            if (thread.joinable())
                thread.join();
    }

private:
    std::vector<std::thread> threads_;
};

} // namespace

std::vector<int> TileBorders(int extent, int side)
{
    const int count = (extent + side - 1) / side;
    std::vector<int> borders(static_cast<std::size_t>(count) + 1);
    for (int i = 0; i <= count; ++i)
        borders[static_cast<std::size_t>(i)] = static_cast<int>(static_cast<long long>(extent) * i / count);
    return borders;
}

std::optional<AdaptiveSurface> BuildTiles(const HeightField& field, int maxErrorThousandths,
                                          const std::vector<int>& columns, const std::vector<int>& rows,
                                          std::size_t tileTriangleLimit, int threads, ProgressMeter& meter)
{
    TiledBuild build(field, maxErrorThousandths, columns, rows);
    build.simplifyBorders();
    const auto tileCount = static_cast<std::size_t>(build.tileCount());
    std::vector<Tile> tiles(tileCount);
    TileProgress progress(tileCount);
    for (std::atomic<float>& part : progress)
        part = 0;

    std::atomic<int> nextTile{0};
    std::atomic<bool> stop{false};
    std::mutex failureMutex;
    std::exception_ptr failure;

    // Each thread's meter tells it the part done of its tile (and whether to stop).
    std::atomic<int> current[2] = {{-1}, {-1}};
    const auto workThrough = [&](ProgressMeter& tileMeter, std::atomic<int>& working) {
        for (int tile = nextTile++; tile < build.tileCount() && !stop; tile = nextTile++) {
            working = tile;
            tileMeter.restart();
            Tile built = build.buildTile(tile, tileTriangleLimit, tileMeter);
            if (built.overLimit)
                stop = true;
            tiles[static_cast<std::size_t>(tile)] = std::move(built);
            progress[static_cast<std::size_t>(tile)] = 1;
        }
        working = -1;
    };
    const auto noteProgress = [&](std::atomic<int>& working, double fraction) {
        const int tile = working.load();
        if (tile >= 0)
            progress[static_cast<std::size_t>(tile)] = static_cast<float>(fraction);
    };
    const auto partDone = [&] {
        double done = 0;
        for (std::size_t t = 0; t < tileCount; ++t)
            done += static_cast<double>(progress[t].load()) * static_cast<double>(build.tileArea(static_cast<int>(t)));
        return done / (static_cast<double>(field.width - 1) * (field.height - 1));
    };
    const auto helper = [&] {
        // Only the caller's thread talks to the caller; a helper only hears when to stop.
        ProgressMeter helperMeter([&](double fraction) {
            noteProgress(current[1], fraction);
            if (stop)
                throw TilesStopped();
            return true;
        });
        try {
            workThrough(helperMeter, current[1]);
        } catch (const TilesStopped&) {
        } catch (...) {
            const std::lock_guard<std::mutex> lock(failureMutex);
            if (!failure)
                failure = std::current_exception();
            stop = true;
        }
    };

    {
        Helpers helpers;
        try {
            if (threads > 1 && tileCount > 1)
                helpers.start(helper);
            ProgressMeter callerMeter([&](double fraction) {
                noteProgress(current[0], fraction);
                if (stop)
                    throw TilesStopped();
                meter.report(partDone());
                return true;
            });
            workThrough(callerMeter, current[0]);
        } catch (const TilesStopped&) {
            // A helper failed or found a tile over the limit: see below.
        } catch (...) {
            stop = true;
            helpers.joinAll();
            throw;
        }
        helpers.joinAll();
    }
    if (failure)
        std::rethrow_exception(failure);
    for (const Tile& tile : tiles)
        if (tile.overLimit)
            return std::nullopt;
    meter.report(1.0);
    return build.assemble(tiles);
}
