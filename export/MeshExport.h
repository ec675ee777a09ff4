#pragma once
#include <string>
#include <string_view>

#include "export/MeshFaces.h"
#include "export/MeshingProgress.h"
#include "files/SafeFileWriter.h"
#include "model/Failure.h"
#include "model/SolidSettings.h"

struct EditorState;
class ImageSurface;
struct Picture;

// The one way into the mesh files, for the window, the converter, the preview and the
// tests alike. The height maps come this way too: they are the same heights, unsampled.

// The export formats: the DXF's faces (Dxf, Obj), the solid for printing (Stl, ThreeMf)
// and the picture's heights as 16-bit values (HeightPng, HeightRaw).
enum class MeshFormat { Dxf, Stl, Obj, ThreeMf, HeightPng, HeightRaw };

// The lower-case extension of the format's files: "dxf", "stl", "obj", "3mf", "png", "r16".
std::string_view ExtensionOf(MeshFormat format);
// The converter's name for it: the extension, but "png16" for the height-map PNG.
std::string_view FormatName(MeshFormat format);
bool IsHeightMap(MeshFormat format);
// The height map a file name asks for: HeightRaw for names ending in .r16 or .raw (in any
// case), else HeightPng.
MeshFormat HeightMapFormatOf(std::string_view fileName);

// The grid size a mesh is built on: the grid box never goes beyond the largest grid, and
// a stray larger value is held to it, so the mesh stays the one sampling can fill.
int MeshGridSize(const EditorState& state);

// The export options as the state holds them.
MeshOptions OptionsOf(const EditorState& state);

// The state an export starts from right after a picture was loaded: the picture in, the
// grid reset to its size and the defaults set, then the grid size chosen as the grid box
// does, the two options as given, and the solid's settings as the Mesh Settings dialog
// leaves them.
void PrepareExport(EditorState& state, ImageSurface& surface, Picture picture, int gridSize,
                   const MeshOptions& options = {}, const SolidSettings& solid = {});

// Samples the state's heights (failing before the file is touched when the picture is
// not a bitmap), as every mesh export does, then writes the mesh of the state's grid
// size and options in format under path through a commit-or-nothing writer, which
// replaces the file only once every byte is there. STL and 3MF hold the solid for
// printing placed by the state's solid settings, which must be within their ranges:
// over the grid (export/GridSolid.h), or with the whole-picture detail over every pixel
// within the settings' error (export/WholePictureSolid.h), which samples nothing and
// needs a bitmap of at least 2 x 2 pixels (PictureTooNarrow). Only the whole-picture
// meshing takes long: it reports to progress, meshing and then writing, and stops with
// MeshingCancelled when progress returns false, leaving no file and no temporary file.
// std::bad_alloc passes through when memory runs out, the old file untouched. A height
// map samples nothing: it writes the picture's heights at
// the display's size, failing as the mesh exports do for a picture that is not a
// bitmap, and with BitmapNotValid when the display has no pixels. Any I/O failure throws
// EditorError with the failure MeshFileFailure names, its detail the error number, and
// leaves an existing file at path untouched.
void WriteMesh(MeshFormat format, EditorState& state, const ImageSurface& surface, const std::string& path,
               FileOps& ops = SystemFileOps(), const ProgressCallback& progress = {});

// Whether format writes a solid for printing.
bool IsSolid(MeshFormat format);

// The failure an errno stands for when a mesh file is written: InvalidFilename,
// AccessDenied, TooManyOpenFiles, or Io for every other number.
Failure MeshFileFailure(int errorCode);
