#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "export/HeightField.h"
#include "export/LatticePoint.h"
#include "export/MeshingProgress.h"
#include "export/TriangleMesh.h"

// Greedy insertion into a Delaunay triangulation (Garland and Heckbert, "Fast Polygonal
// Approximation of Terrains and Height Fields", 1995): start from the rectangle's four
// corners, then again and again insert the pixel that lies farthest from the surface
// over all pixels, until every pixel is within the error. The surface over a triangle is
// the plane through its corners' sums; every error is worked out exactly (TriangleScan),
// so "within" holds to the last bit. (A triangle of more than 4096 pixels offers the
// worst pixel of a sample of its rows as long as that one is outside the error: early
// on that saves scanning the picture over and over, and any such pixel does.)
//
// Triangles run counter-clockwise seen from above with X = -c, Y = r: Cross(a, b, c) < 0.
// None has zero area, and every point lying on an edge is a corner of both triangles
// that share it.
class GreedyInsertion {
public:
    // A rectangle of lattice points, corners included; right > left, bottom > top.
    struct Area {
        int left, top, right, bottom;
    };
    enum class Outcome { Done, OverBudget };

    // Two triangles over area, split along the diagonal from its top-left corner.
    // maxErrorThousandths is the largest error allowed, in thousandths of a sum (0..765000).
    // Throws std::bad_alloc when memory runs out.
    GreedyInsertion(const HeightField& field, int maxErrorThousandths, Area area);

    // Makes p, a point on the area's border, a corner before refine() runs (tiles share
    // the points of their borders). Throws std::bad_alloc when memory runs out.
    void insertBorderPoint(LatticePoint p);

    // Inserts points until every pixel of the area is within the error: Done; or stops
    // with OverBudget, leaving a valid but coarser triangulation, when that would take
    // more than triangleBudget triangles. Work is counted on meter, which may throw
    // MeshingCancelled; std::bad_alloc when memory runs out; std::logic_error should it
    // ever find its own bookkeeping broken. Each leaves the object fit only for
    // destruction.
    Outcome refine(std::size_t triangleBudget, ProgressMeter& meter);

    // Of the work refine() has ahead of it, the part done: 0 before, 1 when Done.
    double fractionDone() const;

    std::size_t triangleCount() const { return mesh_.triangleCount(); }
    const TriangleMesh& mesh() const { return mesh_; }
    // The triangulation, leaving the object fit only for destruction.
    TriangleMesh takeMesh() { return std::move(mesh_); }

private:
    struct HeapEntry {
        float error;
        std::int32_t triangle;
    };

    LatticePoint pointAt(std::int32_t point) const { return mesh_.points[static_cast<std::size_t>(point)].unpack(); }
    std::int32_t corner(int halfEdge) const { return mesh_.corners[static_cast<std::size_t>(halfEdge)]; }
    LatticePoint cornerAt(int halfEdge) const { return pointAt(corner(halfEdge)); }
    int twin(int halfEdge) const { return mesh_.twins[static_cast<std::size_t>(halfEdge)]; }
    void link(int halfEdge, int other);

    void reserve(std::size_t triangles);
    std::int32_t addPoint(LatticePoint p);
    int addTriangle();
    void setTriangle(int triangle, std::int32_t a, std::int32_t b, std::int32_t c);
    void insertInto(int triangle, LatticePoint p);
    void splitTriangle(int triangle, std::int32_t point);
    void splitEdge(int halfEdge, std::int32_t point);
    void legalize();
    bool mustFlip(int halfEdge) const;
    void flip(int halfEdge);
    int locate(LatticePoint p, int start) const;
    void scanPending(ProgressMeter& meter);

    void heapPush(int triangle, float error);
    void heapRemove(int triangle);
    void heapMove(std::size_t from, std::size_t to);
    void siftUp(std::size_t slot);
    void siftDown(std::size_t slot);
    std::int64_t remainingWorkOf(int triangle, float error) const;

    HeightField field_;
    int thousandths_;
    bool wideCircleTest_;  // sides above 16384 overflow the 64-bit in-circle test
    float workScale_;
    std::size_t pixelCount_;  // of the area

    TriangleMesh mesh_;
    std::vector<PackedPoint> candidates_;  // per triangle: its worst pixel
    std::vector<std::int32_t> heapSlots_;  // per triangle: place in heap_, or a mark (GreedyInsertion.cpp)
    std::vector<HeapEntry> heap_;          // triangles outside the error, worst first
    std::vector<std::int32_t> pending_;    // triangles to scan
    std::vector<int> flipStack_;

    std::int64_t remainingWork_ = 0;
    std::int64_t startingWork_ = 0;
};
