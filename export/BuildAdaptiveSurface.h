#pragma once
#include <cstddef>

#include "export/AdaptiveSurface.h"
#include "export/HeightField.h"
#include "export/MeshingProgress.h"

struct AdaptiveSurfaceOptions {
    // Told the part done now and then (never on other threads); returns false to stop.
    // May be empty.
    ProgressCallback progress;
    // The most triangles greedy insertion may reach over the whole picture (or its two
    // halves together). A surface that would need more is built in small tiles instead:
    // denser surfaces go faster that way and take less memory, sparse ones come out with
    // fewer triangles whole. 0 chooses max(4096, 20 x the number of small tiles), some
    // 5,800 for 4096 x 4096.
    std::size_t wholeTriangleLimit = 0;
    int tileSide = 255;  // pixel steps between small tiles' borders, 2..255
    int threads = 2;     // 1 or 2; the result is the same either way
};

// The top surface of field: a triangulation of some of its pixel centres such that at
// every pixel centre the surface (each triangle interpolating its corners' sums) differs
// from the pixel's sum by at most maxErrorTenths / 10, exactly (whole-number arithmetic,
// no rounding). With 0 every pixel lies on the surface, through as few vertices as the
// method finds: a flat or evenly sloping picture gives 2 triangles. See AdaptiveSurface
// for its shape and winding.
//
// How: greedy insertion into a Delaunay triangulation (GreedyInsertion.h), then vertex
// removal (VertexRemoval.h). A picture at least 512 pixels long is done in two halves,
// one for each thread, their shared border simplified first (TiledSurface.h); past the
// triangle limit, in small tiles. The same field and error always give the same
// surface, byte for byte, on one thread or two.
//
// A picture one pixel wide or high has no area: the surface then has no vertices and
// no triangles (and the caller refuses the export). Memory: the run in halves keeps
// below about 50 bytes a triangle of the limit; a surface in small tiles takes 6 bytes
// a triangle and 4 a vertex (some 1.1 GB for 8192 x 8192 pure noise at error 0, every
// pixel a vertex), and each thread 15 MB more. Measured
// (bench_adaptive --memory): that noise, 134 million triangles, peaks at 1.6 GiB for the
// whole process, the picture's pixels and sums (384 MiB) included.
//
// Throws std::invalid_argument when CheckHeightField does, maxErrorTenths is outside
// 0..7650, or an option is out of range; MeshingCancelled when the progress callback
// returns false (nothing is kept); std::bad_alloc when memory runs out.
AdaptiveSurface BuildAdaptiveSurface(const HeightField& field, int maxErrorTenths,
                                     const AdaptiveSurfaceOptions& options = {});

// The same with the error in thousandths of a sum (0..765000), for limits that tenths
// cannot name, such as 1 % of the range (7.65).
AdaptiveSurface BuildAdaptiveSurfaceThousandths(const HeightField& field, int maxErrorThousandths,
                                                const AdaptiveSurfaceOptions& options = {});
