#include "convert/ConvertArguments.h"

#include <algorithm>
#include <charconv>
#include <optional>

#include "model/HeightScale.h"

namespace {

std::string Lower(std::string_view text)
{
    std::string lower(text);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return lower;
}

// Digits only, as the grid box shows them; anything else, 0 or above the largest grid is refused.
int GridSizeOf(std::string_view text)
{
    const bool digitsOnly = !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
    int value = 0;
    if (digitsOnly)
        for (char c : text)
            value = std::min(value * 10 + (c - '0'), kLargestGridSize + 1);  // long runs stay out of range
    if (!digitsOnly || value < 1 || value > kLargestGridSize)
        throw UsageError("--grid takes a whole number from 1 to " + std::to_string(kLargestGridSize) + ", not '" +
                         std::string(text) + "'");
    return value;
}

MeshFormat FormatOf(std::string_view text)
{
    const std::string name = Lower(text);
    for (MeshFormat format : {MeshFormat::Dxf, MeshFormat::Stl, MeshFormat::Obj, MeshFormat::ThreeMf,
                              MeshFormat::HeightPng, MeshFormat::HeightRaw})
        if (name == FormatName(format))
            return format;
    throw UsageError("--format takes dxf, stl, obj, 3mf, png16 or r16, not '" + std::string(text) + "'");
}

// "100" or "0.5" in the C locale's notation, whatever the user's locale; no exponent.
std::string Shortest(double value)
{
    char text[32];
    return std::string(text, std::to_chars(text, text + sizeof text, value).ptr);
}

double MillimetresOf(std::string_view option, std::string_view text, const MillimetreRange& range)
{
    double value = 0;
    const auto [end, failed] = std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
    if (text.empty() || failed != std::errc() || end != text.data() + text.size() || !range.holds(value))
        throw UsageError(std::string(option) + " takes a number of millimetres from " + Shortest(range.lowest) +
                         " to " + Shortest(range.highest) + ", not '" + std::string(text) + "'");
    return value;
}

// "7" or "7.6": whole tenths of a height step from 0 to 765, as Mesh Settings takes them.
int ErrorTenthsOf(std::string_view text)
{
    const std::size_t point = text.find('.');
    const std::string_view whole = text.substr(0, point);
    const std::string_view tenth = point == std::string_view::npos ? std::string_view("0") : text.substr(point + 1);
    const auto digits = [](std::string_view part, std::size_t most) {
        return !part.empty() && part.size() <= most && part.find_first_not_of("0123456789") == std::string_view::npos;
    };
    int tenths = -1;
    if (digits(whole, 3) && digits(tenth, 1))
        tenths = std::stoi(std::string(whole)) * 10 + (tenth[0] - '0');
    if (tenths < 0 || tenths > kLargestErrorTenths)
        throw UsageError("--max-error takes a number of height steps from 0 to " + std::to_string(kMaxChannelSum) +
                         " in steps of 0.1, not '" + std::string(text) + "'");
    return tenths;
}

// Splits "--name=value"; a long option without "=" has no value of its own.
std::pair<std::string_view, std::optional<std::string_view>> SplitOption(std::string_view argument)
{
    const std::size_t equals = argument.find('=');
    if (argument.substr(0, 2) != "--" || equals == std::string_view::npos)
        return {argument, std::nullopt};
    return {argument.substr(0, equals), argument.substr(equals + 1)};
}

} // namespace

ConvertArguments ParseConvertArguments(const std::vector<std::string>& arguments)
{
    ConvertArguments parsed;
    bool optionsEnded = false;
    std::optional<std::string> output;
    for (std::size_t at = 0; at < arguments.size(); ++at) {
        const std::string& argument = arguments[at];
        // A lone "-" is a name like any other, as is everything after "--".
        if (optionsEnded || argument.size() < 2 || argument[0] != '-') {
            parsed.inputs.push_back(argument);
            continue;
        }
        const auto [name, attached] = SplitOption(argument);
        // The value given with "=", else the next argument.
        const auto value = [&, name = name, attached = attached]() -> std::string {
            if (attached)
                return std::string(*attached);
            if (at + 1 >= arguments.size())
                throw UsageError(std::string(name) + " needs a value");
            return arguments[++at];
        };
        const auto noValue = [&, name = name, attached = attached] {
            if (attached)
                throw UsageError(std::string(name) + " takes no value");
        };
        if (name == "--") {
            optionsEnded = true;
        } else if (name == "--help" || name == "-h") {
            noValue();
            parsed.help = true;
        } else if (name == "--version") {
            noValue();
            parsed.version = true;
        } else if (name == "--grid") {
            parsed.gridSize = GridSizeOf(value());
        } else if (name == "--no-black") {
            noValue();
            parsed.exportBlack = false;
        } else if (name == "--no-white") {
            noValue();
            parsed.exportWhite = false;
        } else if (name == "--format") {
            parsed.format = FormatOf(value());
        } else if (name == "--size-mm") {
            parsed.solid.longestSideMm = MillimetresOf(name, value(), kLongestSideRange);
        } else if (name == "--relief-mm") {
            parsed.solid.reliefMm = MillimetresOf(name, value(), kReliefRange);
        } else if (name == "--base-mm") {
            parsed.solid.baseMm = MillimetresOf(name, value(), kBaseRange);
        } else if (name == "--square") {
            noValue();
            parsed.solid.keepProportions = false;
        } else if (name == "--invert") {
            noValue();
            parsed.solid.invert = true;
        } else if (name == "--max-error") {
            parsed.solid.detail = SolidDetail::WholePicture;
            parsed.solid.maxErrorTenths = ErrorTenthsOf(value());
        } else if (name == "--progress") {
            noValue();
            parsed.progress = true;
        } else if (name == "-o" || name == "--output") {
            if (output)
                throw UsageError("only one -o OUTPUT may be given");
            output = value();
        } else if (name.substr(0, 2) == "-o") {
            if (output)
                throw UsageError("only one -o OUTPUT may be given");
            output = std::string(name.substr(2));  // -oOUTPUT
        } else {
            throw UsageError("unknown option '" + argument + "'");
        }
    }
    if (parsed.help || parsed.version)
        return parsed;
    if (parsed.solid.detail == SolidDetail::WholePicture && !IsSolid(parsed.format))
        throw UsageError("--max-error goes with --format stl or 3mf only");
    if (parsed.inputs.empty())
        throw UsageError("no input picture given");
    if (!output || output->empty())
        throw UsageError("no output given: add -o OUTPUT (a file for one input, a folder for several)");
    parsed.output = *output;
    return parsed;
}

std::string ConvertHelpText()
{
    return "Usage: relief-foundry-convert [--grid N] [--no-black] [--no-white]\n"
           "                              [--format dxf|stl|obj|3mf|png16|r16]\n"
           "                              [--size-mm L] [--relief-mm R] [--base-mm B] [--square]\n"
           "                              [--invert] [--max-error E] [--progress]\n"
           "                              INPUT... -o OUTPUT\n"
           "\n"
           "Converts height-map pictures (BMP, PNG, JPEG, TIFF and what else Import Picture\n"
           "reads; brightness is height) into terrain meshes, solids for printing and 16-bit\n"
           "height maps: exactly the files Relief_Foundry's File > Export commands write for\n"
           "the same picture, grid size, options and mesh settings.\n"
           "\n"
           "  -o, --output OUTPUT  the file to write for one input; for several inputs the\n"
           "                       folder to write into (made when missing), each output\n"
           "                       named after its input with the format's extension\n"
           "  --grid N             grid size, a whole number from 1 to 300 (default 50)\n"
           "  --format F           dxf (the default); stl or 3mf, a closed solid for 3D\n"
           "                       printing in millimetres; obj, the DXF's faces for\n"
           "                       modelling programs; png16 or r16, the picture's heights\n"
           "                       at its own size as 16-bit values (PNG, or raw\n"
           "                       little-endian), for game engines and GIS tools\n"
           "  --no-black           leave out the faces flat at height 0 (DXF and OBJ)\n"
           "  --no-white           leave out the faces above height 10 on average (DXF, OBJ)\n"
           "  --size-mm L          the solid's longest side in mm, 1 to 10000 (default 100)\n"
           "  --relief-mm R        its height from black to white in mm, 0.01 to 10000\n"
           "                       (default 10)\n"
           "  --base-mm B          the solid under black in mm, 0.01 to 10000 (default 2)\n"
           "  --square             a square footprint instead of the picture's proportions\n"
           "  --invert             white lowest, black highest (lithophanes)\n"
           "  --max-error E        with stl or 3mf: a solid over every pixel of the picture\n"
           "                       instead of the grid, no pixel further than E height\n"
           "                       steps from its surface (0 to 765 in steps of 0.1; one\n"
           "                       step is one unit of the channel sum, 765 from black to\n"
           "                       white; 0 keeps every point the surface needs)\n"
           "  --progress           say on standard error how far each file has come\n"
           "  -h, --help           show this help and exit\n"
           "  --version            show the version and exit\n"
           "\n"
           "One line is printed for each file converted; a file that fails is reported on\n"
           "standard error and the others are still converted.\n"
           "Exit status: 0 when every file converted, 1 when any failed, 2 on a usage error.\n";
}
