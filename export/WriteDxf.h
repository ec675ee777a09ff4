#pragma once
#include <string>

#include "files/SafeFileWriter.h"

struct EditorState;
class ImageSurface;

// Samples the heights (failing before the file is touched when the picture is not a
// bitmap), then writes the mesh under path. On any I/O failure throws EditorError with
// the failure MeshFileFailure names (its detail the error number) and leaves an existing file
// at path untouched.
void WriteDxf(EditorState& state, const ImageSurface& image, const std::string& path,
              FileOps& ops = SystemFileOps());

