#pragma once
#include "export/MeshFaces.h"

class BufferedWriter;

// Writes the DXF's faces (ForEachMeshFace: the same cells, options and base face, in the
// same order, corners in the same order) as a Wavefront OBJ. The file holds a comment
// header naming the program, the grid size and the options, then one "v X Y Z" line per
// distinct corner, then one "f a b c d" line per face; LF line ends. The vertices are the
// grid points the faces touch, numbered column by column (X, then Y), each at the grid's
// height there; a corner at another height (a base corner over a height left beyond the
// grid by an earlier, larger sampling) gets a vertex of its own after them. Z has the
// DXF's four decimals with trailing zeros dropped ("1.7067", "10.2", "0"); no number
// depends on the locale. Throws FileWriteError as out does.
void WriteObj(BufferedWriter& out, const MeshHeights& heights, const MeshOptions& options);
