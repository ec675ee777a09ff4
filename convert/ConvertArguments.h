#pragma once
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "export/MeshExport.h"

// What the command line asks for:
//   relief-foundry-convert [--grid N] [--no-black] [--no-white]
//                          [--format dxf|stl|obj|3mf|png16|r16]
//                          [--size-mm L] [--relief-mm R] [--base-mm B] [--square] [--invert]
//                          [--max-error E] [--progress] INPUT... -o OUTPUT
// Options may come in any order, before or after the inputs, also as --grid=N,
// --format=F, --size-mm=L (and so on), --output=OUTPUT or --output OUTPUT; "--" ends the
// options.
struct ConvertArguments {
    int gridSize = 50;
    bool exportBlack = true;
    bool exportWhite = true;
    MeshFormat format = MeshFormat::Dxf;
    SolidSettings solid;  // the window's defaults unless given; --max-error: the whole picture
    bool progress = false;  // --progress: how far each file's conversion is, on standard error
    std::vector<std::string> inputs;
    std::string output;
    bool help = false;     // --help or -h: nothing else is looked at
    bool version = false;  // --version
};

// A command line the converter cannot run; what() says what is wrong with it.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Reads the arguments after the program's name. Throws UsageError for an unknown option,
// an option without its value, a grid size other than a whole number from 1 to 300, an
// unknown format, a size in millimetres that is no decimal number or lies outside its
// range (model/SolidSettings.h), a --max-error other than a number from 0 to 765 with at
// most one decimal or with a format other than stl or 3mf, no input or no output.
ConvertArguments ParseConvertArguments(const std::vector<std::string>& arguments);

// The text --help prints.
std::string ConvertHelpText();
