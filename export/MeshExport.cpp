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
#include "export/WholePictureSolid.h"
#include "files/BufferedWriter.h"
#include "model/EditorError.h"
#include "model/EditorState.h"
#include "model/ImageSurface.h"
#include "model/MeshHeights.h"
#include "model/SampleHeights.h"

namespace {

// Some readers take a file whose header holds "solid" for the text form, so it must not.
constexpr std::string_view kStlCredit = "Created by Relief_Foundry V1.0 by Quennick (VORTALQUENCH), ";

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

// The error in tenths as the user gave it: "1.0", "7.6", "0.0".
std::string TenthsText(int tenths)
{
    return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
}

void WriteSolid(MeshFormat format, const SolidMesh& solid, std::string_view stlCredit, BufferedWriter& out)
{
    if (format == MeshFormat::Stl)
        WriteStl(out, solid, stlCredit);
    else
        Write3mf(out, solid);
}

// Writes through a commit-or-nothing file, failures of the file as the editor's own.
template <class Write>
void WriteFile(const std::string& path, FileOps& ops, Write&& write)
{
    try {
        SafeFileWriter file(path, ops);
        BufferedWriter out(file);
        write(out);
        out.flush();
        file.commit();
    } catch (const FileWriteError& failure) {
        throw EditorError(MeshFileFailure(failure.errorCode), std::to_string(failure.errorCode));
    }
}

} // namespace

bool IsSolid(MeshFormat format)
{
    return format == MeshFormat::Stl || format == MeshFormat::ThreeMf;
}

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
               FileOps& ops, const ProgressCallback& progress)
{
    if (IsSolid(format) && !SolidSettingsValid(state.solid))
        throw std::invalid_argument("WriteMesh: the solid's settings are out of range");
    if (IsSolid(format) && state.solid.detail == SolidDetail::WholePicture) {
        // Meshed before the file is touched: a failure or a cancel leaves it as it was.
        const WholePictureSolid solid(surface.picture(), state.solid, progress);
        const std::string credit = std::string(kStlCredit) + "within " + TenthsText(state.solid.maxErrorTenths);
        WriteFile(path, ops, [&](BufferedWriter& out) { WriteSolid(format, solid, credit, out); });
        return;
    }
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
    const MeshOptions options = OptionsOf(state);
    WriteFile(path, ops, [&](BufferedWriter& out) {
        switch (format) {
        case MeshFormat::Dxf:
            WriteDxf(out, heights, options);
            break;
        case MeshFormat::Stl:
            WriteStl(out, GridSolid(heights, state.solid, state.imageWidth, state.imageHeight),
                     std::string(kStlCredit) + "grid " + std::to_string(heights.gridSize()));
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
    });
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
