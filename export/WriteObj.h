#pragma once
#include <string>

#include "files/SafeFileWriter.h"

struct EditorState;
class ImageSurface;

// Samples the heights as WriteDxf does (failing before the file is touched when the
// picture is not a bitmap), then writes the DXF's faces (ForEachMeshFace: the same
// cells, options and base face, in the same order, corners in the same order) as a
// Wavefront OBJ under path. The file holds a comment header naming the program, the grid
// size and the options, then one "v X Y Z" line per distinct corner, numbered row by row
// (Y, then X), then one "f a b c d" line per face; LF line ends. Z has the DXF's four
// decimals with trailing zeros dropped ("1.7067", "10.2", "0"); no number depends on the
// locale. A corner shares its grid point's vertex unless it lies at another height there
// (a base corner over a height left by an earlier, larger sampling), and then gets one of
// its own after the grid's.
// On any I/O failure throws EditorError with the failure DxfFailure names (its detail
// the error number) and leaves an existing file at path untouched.
void WriteObj(EditorState& state, const ImageSurface& image, const std::string& path,
              FileOps& ops = SystemFileOps());
