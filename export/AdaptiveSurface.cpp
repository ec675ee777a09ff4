#include "export/AdaptiveSurface.h"

std::size_t AdaptiveSurface::vertexCount() const
{
    std::size_t count = 0;
    for (const SurfaceBlock& block : blocks)
        count += block.vertices.size();
    return count;
}

std::size_t AdaptiveSurface::triangleCount() const
{
    std::size_t count = 0;
    for (const SurfaceBlock& block : blocks)
        count += block.triangleCount();
    return count;
}

std::vector<PackedPoint> AdaptiveSurface::allVertices() const
{
    std::vector<PackedPoint> all;
    all.reserve(vertexCount());
    for (const SurfaceBlock& block : blocks)
        all.insert(all.end(), block.vertices.begin(), block.vertices.end());
    return all;
}
