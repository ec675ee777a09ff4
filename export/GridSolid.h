#pragma once
#include <vector>

#include "export/SolidMesh.h"

class MeshHeights;
struct SolidSettings;

// The closed solid for printing over the DXF's grid, in millimetres: the surface of the
// grid cells the DXF holds, each cell as two triangles split along its corner 1 to
// corner 3 diagonal, four side walls from the surface's edge straight down, and a flat
// bottom at z = 0, so that every edge belongs to exactly two triangles and every
// triangle faces out. The export options do not apply: a solid with holes cannot be
// printed.
//
// Placement: the grid's full extent (columns 0..g + 1, rows 0..g) is stretched onto the
// footprint, whose longer side is the settings' longest side; with the proportions kept
// X : Y is pictureWidth : pictureHeight, else the footprint is square. A point of
// height h (0..kTopHeight) stands at base + relief x h / kTopHeight, inverted at
// base + relief x (kTopHeight - h) / kTopHeight. Every coordinate is formed in double and
// rounded once to float. A grid size below 1 gives a solid with nothing in it.
//
// Vertices: the surface's grid points column after column (vertex i x (g + 1) + n is
// column i, row n), then the bottom's points round the edge counter-clockwise seen from
// above, from (0, 0). Triangles: the surface in the DXF's cell order, the walls round
// the edge, then the bottom.
//
// The settings must lie within their ranges (SolidSettingsValid). heights must outlive
// the solid.
class GridSolid : public SolidMesh {
public:
    GridSolid(const MeshHeights& heights, const SolidSettings& settings, int pictureWidth, int pictureHeight);

    std::uint32_t vertexCount() const override { return static_cast<std::uint32_t>(vertices_.size()); }
    std::uint32_t triangleCount() const override { return triangleCount_; }
    void vertices(std::uint32_t first, std::span<SolidVertex> out) const override;
    void triangles(std::uint32_t first, std::span<SolidTriangle> out) const override;
    void gather(std::span<const std::uint32_t> indices, std::span<SolidVertex> out) const override;

    // The footprint's sides, before rounding to float.
    double width() const { return width_; }
    double depth() const { return depth_; }

private:
    SolidTriangle triangleAt(std::uint32_t t) const;
    std::uint32_t top(int x, int y) const;
    std::uint32_t low(int x, int y) const;   // a point on the edge
    void edgePoint(std::uint32_t b, int& x, int& y) const;

    int g_ = 0;
    double width_ = 0, depth_ = 0;
    std::uint32_t surfaceTriangles_ = 0, wallTriangles_ = 0, triangleCount_ = 0;
    std::uint32_t topCount_ = 0, edgeCount_ = 0;
    std::vector<SolidVertex> vertices_;
};
