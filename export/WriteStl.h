#pragma once

class BufferedWriter;
class MeshHeights;

// Writes a binary STL of a closed solid for printing: the surface of the grid cells the
// DXF holds, each cell as two triangles split along its corner 1 to corner 3 diagonal,
// four side walls from the surface's edge down to height -1 and a flat bottom at -1, so
// that every edge belongs to exactly two triangles and every normal points out. X and Y
// are grid units and Z the heights as in the DXF. The export options do not apply: a
// solid with holes cannot be printed. A grid size below 1 gives a file with no triangles.
// Throws FileWriteError as out does.
void WriteStl(BufferedWriter& out, const MeshHeights& heights);
