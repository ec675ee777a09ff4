#include "export/MeshExport.h"

#include <algorithm>
#include <cerrno>
#include <stdexcept>

#include "export/GridSolid.h"
#include "export/Write3mf.h"
#include "export/WriteDxf.h"
#include "export/WriteHeightMap.h"
#include "export/WriteObj.h"
#include "export/WriteStl.h"
#include "files/BufferedWriter.h"
#include "model/EditorError.h"
#include "model/EditorState.h"
#include "model/ImageSurface.h"
#include "model/MeshHeights.h"
#include "model/SampleHeights.h"

namespace {

// Some readers take a file whose header holds "solid" for the text form, so it must not.
constexpr std::string_view kStlCredit = "Created by Relief_Foundry V1.0 by Quennick (VORTALQUENCH), grid ";

bool EndsWithIgnoringCase(std::string_view text, std::string_view ending)
{
    if (text.size() < ending.size())
        return false;
    text.remove_prefix(text.size() - ending.size());
    for (std::size_t k = 0; k < ending.size(); ++k) {
        char c = text[k];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != ending[k])
            return false;
    }
    return true;
}

// The picture's heights, unsampled, in one of the height-map formats.
void WriteHeightMap(MeshFormat format, const ImageSurface& surface, BufferedWriter& out)
{
    if (format == MeshFormat::HeightPng)
        WriteHeightPng(out, surface.picture(), surface.width(), surface.height());
    else
        WriteHeightRaw(out, surface.picture(), surface.width(), surface.height());
}

} // namespace

std::string_view ExtensionOf(MeshFormat format)
{
    switch (format) {
    case MeshFormat::Stl:
        return "stl";
    case MeshFormat::Obj:
        return "obj";
    case MeshFormat::ThreeMf:
        return "3mf";
    case MeshFormat::HeightPng:
        return "png";
    case MeshFormat::HeightRaw:
        return "r16";
    case MeshFormat::Dxf:
        break;
    }
    return "dxf";
}

std::string_view FormatName(MeshFormat format)
{
    return format == MeshFormat::HeightPng ? "png16" : ExtensionOf(format);
}

bool IsHeightMap(MeshFormat format)
{
    return format == MeshFormat::HeightPng || format == MeshFormat::HeightRaw;
}

MeshFormat HeightMapFormatOf(std::string_view fileName)
{
    if (EndsWithIgnoringCase(fileName, ".r16") || EndsWithIgnoringCase(fileName, ".raw"))
        return MeshFormat::HeightRaw;
    return MeshFormat::HeightPng;
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
                   const MeshOptions& options, const SolidSettings& solid)
{
    surface.putPicture(std::move(picture));
    ResetGrid(state, surface);
    InitDefaults(state);
    ApplyGridSizeText(state, std::to_string(gridSize));
    state.exportBlackPlanes = options.exportBlack;
    state.exportWhitePlanes = options.exportWhite;
    state.solid = solid;
}

void WriteMesh(MeshFormat format, EditorState& state, const ImageSurface& surface, const std::string& path,
               FileOps& ops)
{
    MeshHeights heights;
    if (IsHeightMap(format)) {
        // Any use of the pixels fails for an icon, a metafile or unusable pixels.
        surface.pixel(0, 0);
        if (surface.width() < 1 || surface.height() < 1)
            throw EditorError(Failure::BitmapNotValid);
    } else {
        SampleHeights(state, surface);
        heights.assign(state.heights, MeshGridSize(state));
    }
    if ((format == MeshFormat::Stl || format == MeshFormat::ThreeMf) && !SolidSettingsValid(state.solid))
        throw std::invalid_argument("WriteMesh: the solid's settings are out of range");
    const MeshOptions options = OptionsOf(state);
    try {
        SafeFileWriter file(path, ops);
        BufferedWriter out(file);
        switch (format) {
        case MeshFormat::Dxf:
            WriteDxf(out, heights, options);
            break;
        case MeshFormat::Stl:
            WriteStl(out, GridSolid(heights, state.solid, state.imageWidth, state.imageHeight),
                     std::string(kStlCredit) + std::to_string(heights.gridSize()));
            break;
        case MeshFormat::Obj:
            WriteObj(out, heights, options);
            break;
        case MeshFormat::ThreeMf:
            Write3mf(out, GridSolid(heights, state.solid, state.imageWidth, state.imageHeight));
            break;
        case MeshFormat::HeightPng:
        case MeshFormat::HeightRaw:
            WriteHeightMap(format, surface, out);
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
