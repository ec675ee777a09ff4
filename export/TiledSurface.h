#pragma once
#include <cstddef>
#include <optional>
#include <vector>

#include "export/AdaptiveSurface.h"
#include "export/HeightField.h"
#include "export/MeshingProgress.h"

// The surface built tile by tile. The picture is cut along the given columns and rows
// (each list strictly rising from 0 to the last column or row). Every tile border is
// first reduced on its own to the points a polyline along it needs (SimplifyLine); each
// tile then gets greedy insertion with those points on its border, and vertex removal,
// which leaves border points alone. The tiles so meet point for point and the result is
// one watertight surface within the error, its vertices numbered once (a vertex on a
// border two tiles share belongs to the tile right of it or below it). A tile whose
// mesh has at most 65536 points (as any of at most 256 x 256 points) numbers its corners
// in 16 bits, another in 32. A tile of at most 65536 points works on a copy of its sums.
//
// Tiles are worked on by one thread or, with threads 2 or more, two; the result is the
// same either way. Returns nothing when some tile would need more than tileTriangleLimit
// triangles. Throws MeshingCancelled when meter says stop (checked by every thread),
// and std::bad_alloc when memory runs out.
std::optional<AdaptiveSurface> BuildTiles(const HeightField& field, int maxErrorThousandths,
                                          const std::vector<int>& columns, const std::vector<int>& rows,
                                          std::size_t tileTriangleLimit, int threads, ProgressMeter& meter);

// Where tile borders fall along a side of `extent` pixel steps: 0 = b_0 < ... < b_n =
// extent, neighbours at most `side` apart and as even as whole numbers allow.
std::vector<int> TileBorders(int extent, int side);
