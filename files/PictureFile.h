#pragma once
#include <string>
#include <string_view>

#include "files/SafeFileWriter.h"
#include "model/Picture.h"

class ImageSurface;

// The extension of a file name, lower-cased (A-Z only), without its full stop:
// the text after the last '.' that no '\\', ':' or '/' follows; empty when none.
std::string PictureExtension(std::string_view fileName);

// Whether the file's extension names one of the kinds LoadPictureFile reads.
bool IsPictureFileKind(std::string_view fileName);

// Reads the named file as the kind its extension names (bmp, ico, emf, wmf).
// Throws EditorError: UnknownExtension (file not opened),
// CannotOpen, or the reader's message.
Picture LoadPictureFile(const std::string& fileName);

// Writes the picture in the format of its kind, whatever the name says: a bitmap's
// kept encoding behind a file header, else a fresh 24-bit encoding that then becomes
// the kept one; the empty picture writes an empty file. Commit or nothing.
// Throws EditorError CannotCreate or StreamWrite.
void SavePictureFile(ImageSurface& surface, const std::string& fileName,
                     FileOps& ops = SystemFileOps());
