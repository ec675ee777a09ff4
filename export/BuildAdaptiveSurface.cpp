#include "export/BuildAdaptiveSurface.h"

#include <algorithm>
#include <stdexcept>

#include "export/GreedyInsertion.h"
#include "export/TiledSurface.h"
#include "export/VertexRemoval.h"
#include "files/ChannelSum.h"

namespace {

// The greedy part of a whole-picture run and the removal after it, as parts of the
// progress bar.
constexpr double kInsertionShare = 0.85;

std::size_t WholeTriangleLimit(const HeightField& field, const AdaptiveSurfaceOptions& options)
{
    if (options.wholeTriangleLimit != 0)
        return options.wholeTriangleLimit;
    return std::max<std::size_t>(65536, field.pixelCount() / 32);
}

AdaptiveSurface SingleBlock(const HeightField& field, const TriangleMesh& mesh)
{
    AdaptiveSurface surface;
    surface.width = field.width;
    surface.height = field.height;
    SurfaceBlock& block = surface.blocks.emplace_back();
    block.vertices = mesh.points;
    block.wideCorners.assign(mesh.corners.begin(), mesh.corners.end());
    return surface;
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
    AdaptiveSurface surface;
    surface.width = field.width;
    surface.height = field.height;
    if (field.width == 1 || field.height == 1)
        return surface;

    ProgressMeter meter(options.progress);
    meter.report(0);
    {
        GreedyInsertion whole(field, maxErrorThousandths, {0, 0, field.width - 1, field.height - 1});
        meter.setStage(0, kInsertionShare);
        if (whole.refine(WholeTriangleLimit(field, options), meter) == GreedyInsertion::Outcome::Done) {
            TriangleMesh mesh = whole.takeMesh();
            meter.setStage(kInsertionShare, 1);
            RemoveVertices(field, maxErrorThousandths, mesh, meter);
            surface = SingleBlock(field, mesh);
        }
    }
    if (surface.blocks.empty()) {
        meter.setStage(meter.reported(), 1);
        surface = BuildTiledSurface(field, maxErrorThousandths, options.tileSide, options.threads, meter);
    }
    meter.setStage(0, 1);
    meter.report(1);
    return surface;
}
