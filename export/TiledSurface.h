#pragma once
#include "export/AdaptiveSurface.h"
#include "export/HeightField.h"
#include "export/MeshingProgress.h"

// The surface built tile by tile, for pictures whose surface is too dense to be worked
// on whole: the picture is cut into tiles of at most tileSide x tileSide pixel steps
// (tileSide 2..255, so a tile has at most 65536 points and its triangles number their
// corners in 16 bits). Every tile border is first reduced on its own to the points a
// polyline along it needs (SimplifyLine); each tile then gets greedy insertion with
// those points on its border, and vertex removal, which leaves border points alone. The
// tiles so meet point for point and the result is one watertight surface within the
// error, its vertices numbered once (a vertex on a tile border belongs to the tile right
// or below it).
//
// Tiles are worked on by `threads` threads (1 or more); the result is the same for any
// number. Throws MeshingCancelled when meter says stop (checked by every thread), and
// std::bad_alloc when memory runs out.
AdaptiveSurface BuildTiledSurface(const HeightField& field, int maxErrorThousandths, int tileSide, int threads,
                                  ProgressMeter& meter);
