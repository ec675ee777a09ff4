// Times the STL and OBJ exports at grid 300 of a 4096 x 4096 picture (sampling and
// writing) against the floor of writing the same bytes from memory into the same folder
// with one write call, as bench_export does for the DXF.
//
//   bench_meshes [folder]     (default: a fresh folder under $TMPDIR or /tmp)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

#include "export/WriteObj.h"
#include "export/WriteStl.h"
#include "model/EditorState.h"
#include "model/ImageSurface.h"
#include "model/SampleHeights.h"

namespace {

constexpr int kSide = 4096;
constexpr int kRuns = 15;

using Clock = std::chrono::steady_clock;
using Writer = void (*)(EditorState&, const ImageSurface&, const std::string&, FileOps&);

double MillisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// The relief bench_export uses: every channel sum present.
Picture TestPicture()
{
    Picture picture;
    picture.width = kSide;
    picture.height = kSide;
    picture.pixels.resize(static_cast<std::size_t>(kSide) * kSide);
    for (int y = 0; y < kSide; ++y)
        for (int x = 0; x < kSide; ++x) {
            const int v = (x * 7 + y * 3 + (x ^ y)) % 256;
            picture.pixels[static_cast<std::size_t>(y) * kSide + x] =
                StoredPixel(MakeColour(v, (v + x) % 256, (v + y) % 256));
        }
    return picture;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double Best(const std::vector<double>& values) { return *std::min_element(values.begin(), values.end()); }

double WriteFloor(const std::string& path, const std::string& bytes)
{
    const auto start = Clock::now();
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0 || ::write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()) || ::close(fd) != 0) {
        std::perror(path.c_str());
        std::exit(1);
    }
    return MillisecondsSince(start);
}

void Measure(const char* format, Writer write, const ImageSurface& surface, const std::string& folder)
{
    EditorState state;
    ResetGrid(state, surface);
    ApplyGridSizeText(state, "300");
    const std::string meshPath = folder + "/mesh";
    const std::string floorPath = folder + "/floor";
    std::vector<double> exportTimes, floorTimes, sampleTimes;
    std::string bytes;
    for (int run = 0; run < kRuns; ++run) {
        auto start = Clock::now();
        SampleHeights(state, surface);
        sampleTimes.push_back(MillisecondsSince(start));
        ::unlink(meshPath.c_str());
        start = Clock::now();
        write(state, surface, meshPath, SystemFileOps());
        exportTimes.push_back(MillisecondsSince(start));
        if (bytes.empty()) {
            std::ifstream in(meshPath, std::ios::binary);
            bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        }
        ::unlink(floorPath.c_str());
        floorTimes.push_back(WriteFloor(floorPath, bytes));
    }
    ::unlink(meshPath.c_str());
    ::unlink(floorPath.c_str());

    const double exportMs = Median(exportTimes), floorMs = Median(floorTimes), sampleMs = Median(sampleTimes);
    std::printf("%s export, grid 300 on %d x %d: %zu bytes\n", format, kSide, kSide, bytes.size());
    std::printf("  SampleHeights + Write%s: %.2f ms (median of %d, best %.2f)\n", format, exportMs, kRuns,
                Best(exportTimes));
    std::printf("  of which SampleHeights:  %.2f ms (median of %d)\n", sampleMs, kRuns);
    std::printf("  one write from memory:    %.2f ms (median of %d, best %.2f)\n", floorMs, kRuns, Best(floorTimes));
    // The best runs are the ones least disturbed by other work on the machine.
    std::printf("  ratio: %.2f of the medians, %.2f of the best runs (goal <= 1.5); without sampling %.2f\n",
                exportMs / floorMs, Best(exportTimes) / Best(floorTimes), (exportMs - sampleMs) / floorMs);
}

} // namespace

int main(int argc, char** argv)
{
    std::string folder;
    if (argc > 1) {
        folder = argv[1];
    } else {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp ? tmp : "/tmp") + "/bench-meshes-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr) {
            std::perror("mkdtemp");
            return 1;
        }
        folder = pattern;
    }
    ImageSurface surface;
    surface.putPicture(TestPicture());
    Measure("STL", WriteStl, surface, folder);
    Measure("OBJ", WriteObj, surface, folder);
    if (argc <= 1)
        ::rmdir(folder.c_str());
    return 0;
}
