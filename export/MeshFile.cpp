#include "export/MeshFile.h"

#include <cerrno>

#include "model/EditorError.h"
#include "model/SampleHeights.h"

void WriteMeshFile(EditorState& state, const ImageSurface& image, const std::string& path, FileOps& ops,
                   const std::function<void(SafeFileWriter& out)>& write)
{
    SampleHeights(state, image);
    try {
        SafeFileWriter out(path, ops);
        write(out);
        out.commit();
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
