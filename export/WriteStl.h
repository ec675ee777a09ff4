#pragma once
#include <string>

#include "files/SafeFileWriter.h"

struct EditorState;
class ImageSurface;

// Samples the heights as WriteDxf does (failing before the file is touched when the
// picture is not a bitmap), then writes a binary STL of a closed solid for printing
// under path: the surface of the same grid cells the DXF holds, each cell as two
// triangles split along its corner 1 to corner 3 diagonal, four side walls from the
// surface's edge down to height -1 and a flat bottom at -1, so that every edge belongs
// to exactly two triangles and every normal points out. X and Y are grid units and Z the
// heights as in the DXF. The export options do not apply: a solid with holes cannot be
// printed. A grid size below 1 gives a file with no triangles.
// On any I/O failure throws EditorError with the failure MeshFileFailure names (its detail
// the error number) and leaves an existing file at path untouched.
void WriteStl(EditorState& state, const ImageSurface& image, const std::string& path,
              FileOps& ops = SystemFileOps());

