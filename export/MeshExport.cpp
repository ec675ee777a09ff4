#include "export/MeshExport.h"

#include <algorithm>
#include <cerrno>

#include "export/WriteDxf.h"
#include "export/WriteObj.h"
#include "export/WriteStl.h"
#include "files/BufferedWriter.h"
#include "model/EditorError.h"
#include "model/EditorState.h"
#include "model/ImageSurface.h"
#include "model/MeshHeights.h"
#include "model/SampleHeights.h"

std::string_view ExtensionOf(MeshFormat format)
{
    switch (format) {
    case MeshFormat::Stl:
        return "stl";
    case MeshFormat::Obj:
        return "obj";
    case MeshFormat::Dxf:
        break;
    }
    return "dxf";
}

int MeshGridSize(const EditorState& state)
{
    return std::min(state.gridSize, HeightGrid::kMaxIndex);
}

MeshOptions OptionsOf(const EditorState& state)
{
    return {state.exportBlackPlanes, state.exportWhitePlanes};
}

void PrepareExport(EditorState& state, ImageSurface& surface, Picture picture, int gridSize,
                   const MeshOptions& options)
{
    surface.putPicture(std::move(picture));
    ResetGrid(state, surface);
    InitDefaults(state);
    ApplyGridSizeText(state, std::to_string(gridSize));
    state.exportBlackPlanes = options.exportBlack;
    state.exportWhitePlanes = options.exportWhite;
}

void WriteMesh(MeshFormat format, EditorState& state, const ImageSurface& surface, const std::string& path,
               FileOps& ops)
{
    SampleHeights(state, surface);
    const MeshHeights heights(state.heights, MeshGridSize(state));
    const MeshOptions options = OptionsOf(state);
    try {
        SafeFileWriter file(path, ops);
        BufferedWriter out(file);
        switch (format) {
        case MeshFormat::Dxf:
            WriteDxf(out, heights, options);
            break;
        case MeshFormat::Stl:
            WriteStl(out, heights);
            break;
        case MeshFormat::Obj:
            WriteObj(out, heights, options);
            break;
        }
        out.flush();
        file.commit();
    } catch (const FileWriteError& failure) {
        throw EditorError(MeshFileFailure(failure.errorCode), std::to_string(failure.errorCode));
    }
}

Failure MeshFileFailure(int errorCode)
{
    switch (errorCode) {
    case ENOENT:
    case ENOTDIR:
        return Failure::InvalidFilename;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
        return Failure::AccessDenied;
    case EMFILE:
    case ENFILE:
        return Failure::TooManyOpenFiles;
    default:
        return Failure::Io;
    }
}
