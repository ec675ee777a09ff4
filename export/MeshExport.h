#pragma once
#include <string>
#include <string_view>

#include "export/MeshFaces.h"
#include "files/SafeFileWriter.h"
#include "model/Failure.h"

struct EditorState;
class ImageSurface;
struct Picture;

// The one way into the mesh files, for the window, the converter, the preview and the
// tests alike.

// The mesh formats, each named by its lower-case extension.
enum class MeshFormat { Dxf, Stl, Obj };

std::string_view ExtensionOf(MeshFormat format);  // "dxf", "stl", "obj"

// The grid size a mesh is built on: the grid box never goes beyond the largest grid, and
// a stray larger value is held to it, so the mesh stays the one sampling can fill.
int MeshGridSize(const EditorState& state);

// The export options as the state holds them.
MeshOptions OptionsOf(const EditorState& state);

// The state an export starts from right after a picture was loaded: the picture in, the
// grid reset to its size and the defaults set, then the grid size chosen as the grid box
// does and the two options as given.
void PrepareExport(EditorState& state, ImageSurface& surface, Picture picture, int gridSize,
                   const MeshOptions& options = {});

// Samples the state's heights (failing before the file is touched when the picture is
// not a bitmap), as every export does, then writes the mesh of the state's grid size and
// options in format under path through a commit-or-nothing writer, which replaces the
// file only once every byte is there. Any I/O failure throws EditorError with the failure
// MeshFileFailure names, its detail the error number, and leaves an existing file at
// path untouched.
void WriteMesh(MeshFormat format, EditorState& state, const ImageSurface& surface, const std::string& path,
               FileOps& ops = SystemFileOps());

// The failure an errno stands for when a mesh file is written: InvalidFilename,
// AccessDenied, TooManyOpenFiles, or Io for every other number.
Failure MeshFileFailure(int errorCode);
