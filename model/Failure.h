#pragma once
#include <string>
#include <string_view>

// Every way a command of the editor can fail. The user sees the text FailureText gives
// for it (the error display appends the full stop); tests compare the codes.
enum class Failure {
    StreamRead,           // "Stream read error"
    StreamWrite,          // "Stream write error"
    BitmapNotValid,       // "Bitmap image is not valid"
    BitmapTooLarge,       // "Bitmap image is too large"
    IconNotValid,         // "Icon image is not valid"
    MetafileNotValid,     // "Metafile is not valid"
    NotABitmap,           // "Can only modify an image if it contains a bitmap"
    UnknownExtension,     // "Unknown picture file extension (.<extension>)"
    CannotOpen,           // "Cannot open file <name>"
    CannotCreate,         // "Cannot create file <name>"
    InvalidFilename,      // "Invalid filename"
    AccessDenied,         // "File access denied"
    TooManyOpenFiles,     // "Too many open files"
    Io,                   // "I/O error <number>"
    InvalidFloatingPoint, // "Invalid floating point operation"
    OutOfMemory,          // "Out of memory"
    CannotImport,         // "Cannot import <name>: <the picture reader's reason>"
    PictureTooNarrow,     // "A whole-picture mesh needs a picture at least 2 pixels wide and high"
};

// The user's text for a failure; detail fills the place the text leaves for a file
// name, an extension or an error number, and is ignored by texts without one.
std::string FailureText(Failure failure, std::string_view detail = {});
