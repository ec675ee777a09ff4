#pragma once
#include "export/HeightField.h"
#include "export/MeshingProgress.h"
#include "export/TriangleMesh.h"

// Takes vertices out of a triangulation that greedy insertion built, as long as every
// pixel stays within the error: a vertex goes when the hole it leaves can be filled
// with triangles (ear by ear, each time the first ear in ring order that is within the
// error), every one checked exactly. Greedy insertion leaves many such vertices behind: ones that
// later neighbours made redundant, and ones the Delaunay shape of its triangles forced.
// The count of triangles only ever goes down; the mesh stays a proper triangulation of
// the same area with the same winding, and no triangle has zero area. Vertices on the
// area's border stay, so tiles that share a border still meet.
//
// Points and triangles are renumbered afterwards (kept ones in their order). Work is
// counted on meter, which may throw MeshingCancelled; throws std::bad_alloc when memory
// runs out. Either leaves the mesh fit only for destruction.
void RemoveVertices(const HeightField& field, int maxErrorThousandths, TriangleMesh& mesh, ProgressMeter& meter);
