#pragma once
#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

#include "convert/ConvertArguments.h"
#include "model/Picture.h"

// Reads one picture file, throwing EditorError as LoadPictureFile does. The program
// passes LoadPictureFile (BMP, ICO, EMF, WMF); a reader for more formats plugs in here.
using PictureReader = std::function<Picture(const std::string& fileName)>;

// The converter's exit statuses.
inline constexpr int kAllConverted = 0;
inline constexpr int kSomeFailed = 1;
inline constexpr int kUsageError = 2;

// Runs relief-foundry-convert with the arguments after the program's name: converts
// every input in the order given, printing "INPUT -> OUTPUT" on out for each file
// written and "relief-foundry-convert: INPUT -> OUTPUT: <message>." on err for each that
// failed, the message being the one the window would show. A failing file never stops
// the others. Returns kAllConverted, kSomeFailed or kUsageError (with the reason and a
// pointer to --help on err). With several inputs OUTPUT is a folder, made when missing;
// with one it is the file to write, unless it names a folder or ends in '/'.
// Two inputs that would write the same output, or an output that is the input itself,
// fail before anything is written for them.
int RunConvert(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err,
               const PictureReader& read);

// The output for input inside folder: its file name without its last extension, then
// the format's extension in lower case ("maps/Hill.BMP" -> "folder/Hill.dxf").
std::string OutputInFolder(const std::string& input, const std::string& folder, MeshFormat format);

// Converts one picture exactly as the window exports it right after loading the file
// and choosing the grid size and options: the state after ResetGrid for the picture,
// grid size and options applied as the grid box and the option commands do, then the
// format's writer, sampling from a cleared height grid. progress is told how far a long
// (whole-picture) conversion has come. Throws EditorError as the reader and the writers
// do; an existing output is replaced only when complete.
void ConvertPicture(const std::string& input, const std::string& output, const ConvertArguments& arguments,
                    const PictureReader& read, const ProgressCallback& progress = {});
