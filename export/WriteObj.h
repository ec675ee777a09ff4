#pragma once
#include <string>

#include "files/SafeFileWriter.h"

struct EditorState;
class ImageSurface;

// Samples the heights as WriteDxf does (failing before the file is touched when the
// picture is not a bitmap), then writes the DXF's faces (ForEachMeshFace: the same
// cells, options and base face, in the same order, corners in the same order) as a
// Wavefront OBJ under path. The file holds a comment header naming the program, the grid
// size and the options, then one "v X Y Z" line per distinct corner, then one
// "f a b c d" line per face; LF line ends. The vertices are the grid points the faces
// touch, numbered column by column (X, then Y), each at the grid's height there; a
// corner at another height (a base corner over a height left beyond the grid by an
// earlier, larger sampling) gets a vertex of its own after them. Z has the DXF's four
// decimals with trailing zeros dropped ("1.7067", "10.2", "0"); no number depends on the
// locale.
// On any I/O failure throws EditorError with the failure MeshFileFailure names (its detail
// the error number) and leaves an existing file at path untouched.
void WriteObj(EditorState& state, const ImageSurface& image, const std::string& path,
              FileOps& ops = SystemFileOps());
