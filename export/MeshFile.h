#pragma once
#include <functional>
#include <string>

#include "files/SafeFileWriter.h"
#include "model/Failure.h"

struct EditorState;
class ImageSurface;

// What every mesh file (DXF, STL, OBJ) goes through: the heights are sampled first, so a
// picture without pixels fails before the file is touched; then write() puts the file's
// bytes into a commit-or-nothing writer, which replaces the file at path only once they
// are all there. Any I/O failure throws EditorError with the failure MeshFileFailure
// names, its detail the error number, and leaves an existing file at path untouched.
void WriteMeshFile(EditorState& state, const ImageSurface& image, const std::string& path, FileOps& ops,
                   const std::function<void(SafeFileWriter& out)>& write);

// The failure an errno stands for when a mesh file is written: InvalidFilename,
// AccessDenied, TooManyOpenFiles, or Io for every other number.
Failure MeshFileFailure(int errorCode);
