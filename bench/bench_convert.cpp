// Times relief-foundry-convert as a whole process turning a 4096 x 4096 24-bit BMP (48 MB)
// into a DXF at grid 300, against the floor of `cat INPUT > /dev/null` plus
// `cat DXF > OUTPUT` of the same bytes, timed in the same run; and beside it the same
// conversion inside this process (ConvertPicture: read, decode, sample, write).
//
//   bench_convert [folder]    (default: a fresh folder under $TMPDIR or /tmp)
//
// The converter is the one built beside this program.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "bench/BenchSupport.h"
#include "convert/ConvertCommand.h"
#include "files/BmpWriter.h"
#include "files/PictureFile.h"

extern char** environ;

namespace {

using namespace bench;

constexpr int kSide = 4096;
constexpr int kRuns = 9;


// Runs a program with its standard output sent to stdoutPath (truncated), waits for it
// and returns the milliseconds from the spawn to its end.
double TimeProcess(std::vector<std::string> words, const std::string& stdoutPath)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, stdoutPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    const auto start = Clock::now();
    pid_t child = 0;
    if (posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
        std::fprintf(stderr, "cannot run %s\n", argv[0]);
        std::exit(1);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
    }
    const double elapsed = MillisecondsSince(start);
    posix_spawn_file_actions_destroy(&actions);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "%s failed\n", argv[0]);
        std::exit(1);
    }
    return elapsed;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string folder = OutputFolder(argc, argv, "bench-convert");
    const std::string converter =
        (std::filesystem::read_symlink("/proc/self/exe").parent_path() / "relief-foundry-convert").string();
    const std::string input = folder + "/relief.bmp";
    const std::string processOutput = folder + "/process.dxf";
    const std::string inProcessOutput = folder + "/inprocess.dxf";
    const std::string copy = folder + "/copy.dxf";
    {
        const std::vector<std::uint8_t> bmp = EncodeBmp24(bench::ReliefPicture(kSide));
        FILE* out = std::fopen(input.c_str(), "wb");
        if (out == nullptr || std::fwrite(bmp.data(), 1, bmp.size(), out) != bmp.size() || std::fclose(out) != 0) {
            std::perror(input.c_str());
            return 1;
        }
    }

    ConvertArguments arguments;
    arguments.gridSize = 300;
    std::vector<double> processTimes, inProcessTimes, loadTimes, floorTimes;
    for (int run = 0; run < kRuns; ++run) {
        ::unlink(processOutput.c_str());
        processTimes.push_back(
            TimeProcess({converter, "--grid", "300", input, "-o", processOutput}, "/dev/null"));
        ::unlink(inProcessOutput.c_str());
        const auto start = Clock::now();
        ConvertPicture(input, inProcessOutput, arguments, LoadPictureFile);
        inProcessTimes.push_back(MillisecondsSince(start));
        // The load alone: what the converter's whole run spends on reading and decoding.
        const auto loadStart = Clock::now();
        const Picture loaded = LoadPictureFile(input);
        loadTimes.push_back(MillisecondsSince(loadStart));
        ::unlink(copy.c_str());
        floorTimes.push_back(TimeProcess({"cat", input}, "/dev/null") + TimeProcess({"cat", processOutput}, copy));
    }
    const auto inputBytes = std::filesystem::file_size(input);
    const auto outputBytes = std::filesystem::file_size(processOutput);
    const bool same = std::filesystem::file_size(inProcessOutput) == outputBytes;
    for (const std::string& path : {input, processOutput, inProcessOutput, copy})
        ::unlink(path.c_str());
    if (argc <= 1)
        ::rmdir(folder.c_str());

    std::printf("relief-foundry-convert, %d x %d 24-bit BMP (%ju bytes) to DXF at grid 300 (%ju bytes)%s\n", kSide,
                kSide, static_cast<std::uintmax_t>(inputBytes), static_cast<std::uintmax_t>(outputBytes),
                same ? "" : " -- the two outputs differ in size!");
    std::printf("  the converter as a process:      %.1f ms (median of %d, best %.1f)\n", Median(processTimes), kRuns,
                Best(processTimes));
    std::printf("  the same conversion in-process:  %.1f ms (median of %d, best %.1f)\n", Median(inProcessTimes),
                kRuns, Best(inProcessTimes));
    std::printf("    of which LoadPictureFile:     %.1f ms (median of %d, best %.1f)\n", Median(loadTimes), kRuns,
                Best(loadTimes));
    std::printf("  cat INPUT > /dev/null + cat DXF > OUTPUT: %.1f ms (median of %d, best %.1f)\n", Median(floorTimes),
                kRuns, Best(floorTimes));
    std::printf("  ratio: %.2f of the medians, %.2f of the best runs (goal <= 2)\n",
                Median(processTimes) / Median(floorTimes), Best(processTimes) / Best(floorTimes));
    return 0;
}
