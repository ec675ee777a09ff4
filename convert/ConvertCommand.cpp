#include "convert/ConvertCommand.h"

#include <filesystem>
#include <memory>
#include <new>
#include <ostream>
#include <set>
#include <system_error>

#include "export/MeshExport.h"
#include "model/EditorError.h"
#include "model/EditorState.h"
#include "model/ImageSurface.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kProgram = "relief-foundry-convert";

int Usage(std::ostream& err, const std::string& reason)
{
    err << kProgram << ": " << reason << "\nTry '" << kProgram << " --help' for more information.\n";
    return kUsageError;
}

bool IsFolder(const std::string& path)
{
    std::error_code ignored;
    return fs::is_directory(path, ignored);
}

// The same file under two names (a link, "./a.bmp" and "a.bmp").
bool SameFile(const std::string& a, const std::string& b)
{
    std::error_code failed;
    const bool same = fs::equivalent(a, b, failed);
    return !failed && same;
}

// The name two outputs are compared by: "out/./a.dxf" and "out//a.dxf" are one file.
std::string Normalised(const std::string& path)
{
    return fs::path(path).lexically_normal().string();
}

// With --progress, "INPUT: 37%" on standard error each time the whole percentage grows;
// without, nothing.
ProgressCallback ProgressLines(bool wanted, const std::string& input, std::ostream& err)
{
    if (!wanted)
        return {};
    return [&err, input, shown = -1](double fraction) mutable {
        const int percent = static_cast<int>(fraction * 100);
        if (percent > shown) {
            shown = percent;
            err << input << ": " << percent << "%\n" << std::flush;
        }
        return true;
    };
}

} // namespace

std::string OutputInFolder(const std::string& input, const std::string& folder, MeshFormat format)
{
    std::string name = fs::path(input).stem().string();
    name += '.';
    name += ExtensionOf(format);
    return (fs::path(folder) / name).string();
}

void ConvertPicture(const std::string& input, const std::string& output, const ConvertArguments& arguments,
                    const PictureReader& read, const ProgressCallback& progress)
{
    ImageSurface surface;
    // 725 kB of heights: on the heap rather than the stack.
    const auto state = std::make_unique<EditorState>();
    PrepareExport(*state, surface, read(input), arguments.gridSize, {arguments.exportBlack, arguments.exportWhite},
                  arguments.solid);
    WriteMesh(arguments.format, *state, surface, output, SystemFileOps(), progress);
}

int RunConvert(const std::vector<std::string>& argumentList, std::ostream& out, std::ostream& err,
               const PictureReader& read)
{
    ConvertArguments arguments;
    try {
        arguments = ParseConvertArguments(argumentList);
    } catch (const UsageError& error) {
        return Usage(err, error.what());
    }
    if (arguments.help) {
        out << ConvertHelpText();
        return kAllConverted;
    }
    if (arguments.version) {
        out << kProgram << " (Relief_Foundry) " << RF_VERSION << '\n';
        return kAllConverted;
    }

    const bool intoFolder =
        arguments.inputs.size() > 1 || IsFolder(arguments.output) || arguments.output.back() == '/';
    if (intoFolder) {
        std::error_code failed;
        if (fs::exists(arguments.output, failed) && !IsFolder(arguments.output))
            return Usage(err, "with several inputs OUTPUT must be a folder, and '" + arguments.output +
                                  "' is a file");
        fs::create_directories(arguments.output, failed);
        if (failed) {
            err << kProgram << ": " << arguments.output << ": cannot make the folder: " << failed.message() << ".\n";
            return kSomeFailed;
        }
    }

    bool anyFailed = false;
    std::set<std::string> written;
    for (const std::string& input : arguments.inputs) {
        const std::string output =
            intoFolder ? OutputInFolder(input, arguments.output, arguments.format) : arguments.output;
        const auto fail = [&](const std::string& message) {
            err << kProgram << ": " << input << " -> " << output << ": " << message << ".\n" << std::flush;
            anyFailed = true;
        };
        if (!written.insert(Normalised(output)).second) {
            fail("an earlier input was written there");
            continue;
        }
        if (SameFile(input, output)) {
            fail("that is the input itself");
            continue;
        }
        try {
            ConvertPicture(input, output, arguments, read, ProgressLines(arguments.progress, input, err));
            out << input << " -> " << output << '\n' << std::flush;
        } catch (const EditorError& error) {
            fail(error.what());
        } catch (const std::bad_alloc&) {
            fail(FailureText(Failure::OutOfMemory));
        } catch (const std::exception& error) {
            fail(error.what());
        }
    }
    return anyFailed ? kSomeFailed : kAllConverted;
}
