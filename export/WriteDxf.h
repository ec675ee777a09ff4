#pragma once
#include <string>

#include "files/SafeFileWriter.h"

struct EditorState;
class ImageSurface;

// Samples the heights (failing before the file is touched when the picture is not a
// bitmap), then writes the mesh under path. On any I/O failure throws EditorError with
// the message of DxfErrorMessage and leaves an existing file at path untouched.
void WriteDxf(EditorState& state, const ImageSurface& image, const std::string& path,
              FileOps& ops = SystemFileOps());

// The user's message for an errno: "Invalid filename", "File access denied",
// "Too many open files", or "I/O error n".
std::string DxfErrorMessage(int errorCode);
