#pragma once
#include <string>

#include "files/SafeFileWriter.h"
#include "model/Failure.h"

struct EditorState;
class ImageSurface;

// Samples the heights (failing before the file is touched when the picture is not a
// bitmap), then writes the mesh under path. On any I/O failure throws EditorError with
// the failure DxfFailure names (its detail the error number) and leaves an existing file
// at path untouched.
void WriteDxf(EditorState& state, const ImageSurface& image, const std::string& path,
              FileOps& ops = SystemFileOps());

// The failure an errno stands for when a mesh file is written: InvalidFilename,
// AccessDenied, TooManyOpenFiles, or Io for every other number.
Failure DxfFailure(int errorCode);
