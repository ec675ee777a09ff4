#pragma once
#include <cstdint>
#include <vector>

#include "export/ClosedSolid.h"
#include "export/MeshingProgress.h"
#include "export/SolidMesh.h"
#include "model/SolidSettings.h"

struct Picture;

// The closed solid for printing over every pixel of a picture: its top surface a
// triangulation of pixel centres within the settings' error (BuildAdaptiveSurface), its
// walls and bottom as BuildClosedSolid makes them, placed in millimetres:
//   pixel (c, r) of a W x H picture at X = (W - 1 - c) px, Y = r py, with
//   px = py = longest side / (max(W, H) - 1) when the proportions are kept, else
//   px = longest side / (W - 1), py = longest side / (H - 1);
//   Z = base + relief x s / 765 for a channel sum s (inverted: relief x (765 - s) / 765),
//   and 0 on the bottom.
// Every coordinate is formed in double and rounded once to float: the footprint's
// longer side comes out as the longest side exactly.
//
// Meshing happens in the constructor and reports to progress over the first part of the
// way (kMeshingShare); reading the triangles, as a writer does, reports the rest, so a
// writer's whole run shows as one progress. progress returning false throws
// MeshingCancelled there.
class WholePictureSolid : public SolidMesh {
public:
    static constexpr double kMeshingShare = 0.85;

    // Throws EditorError NotABitmap or BitmapNotValid for a picture without usable
    // pixels, PictureTooNarrow for one below 2 pixels in either direction; MeshingCancelled;
    // std::bad_alloc when memory runs out. settings must be valid (SolidSettingsValid).
    WholePictureSolid(const Picture& picture, const SolidSettings& settings, ProgressCallback progress = {});

    std::uint32_t vertexCount() const override { return vertexCount_; }
    std::uint32_t triangleCount() const override { return triangleCount_; }
    void vertices(std::uint32_t first, std::span<SolidVertex> out) const override;
    void triangles(std::uint32_t first, std::span<SolidTriangle> out) const override;
    void gather(std::span<const std::uint32_t> indices, std::span<SolidVertex> out) const override;

    std::uint32_t surfaceTriangleCount() const { return static_cast<std::uint32_t>(solid_.top.triangleCount()); }

private:
    SolidVertex vertexAt(std::uint32_t number) const;
    LatticePoint topPoint(std::uint32_t number) const;
    void seekTriangle(std::uint32_t number) const;
    void reportReading(std::uint32_t triangle) const;

    int width_ = 0;
    int height_ = 0;
    std::vector<std::uint16_t> sums_;
    ClosedSolid solid_;
    std::uint32_t topVertices_ = 0;
    std::uint32_t vertexCount_ = 0;
    std::uint32_t triangleCount_ = 0;
    std::vector<std::uint32_t> blockTriangles_;  // triangles before each block of the top
    double sideMm_ = 0, xSteps_ = 1, ySteps_ = 1, baseMm_ = 0, reliefMm_ = 0;
    bool invert_ = false;
    ProgressCallback progress_;

    // Where the last lookups were: writers read in order, so the next one is mostly here.
    mutable std::size_t vertexBlock_ = 0;
    mutable std::size_t triangleBlock_ = 0;
    mutable std::uint32_t nextTriangle_ = 0;     // the triangle the cursor stands at
    mutable std::size_t triangleInBlock_ = 0;   // its place in its block, or among the sides
    mutable std::uint32_t nextReport_ = 0;     // the next triangle read that reports
};
