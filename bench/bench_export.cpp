// Times the DXF, STL and OBJ exports at grid 300 of a 4096 x 4096 picture (sampling and
// writing; the DXF about 17.7 MB) against the floor of writing the same bytes from memory
// into the same folder with one write call.
//
//   bench_export [folder]     (default: a fresh folder under $TMPDIR or /tmp)
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

#include "bench/BenchSupport.h"
#include "export/MeshExport.h"
#include "model/EditorState.h"
#include "model/ImageSurface.h"
#include "model/SampleHeights.h"

namespace {

using namespace bench;

constexpr int kSide = 4096;
constexpr int kRuns = 15;

void Measure(const char* format, MeshFormat meshFormat, const ImageSurface& surface, const std::string& folder)
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
        WriteMesh(meshFormat, state, surface, meshPath);
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
    std::printf("  SampleHeights + write %s: %.2f ms (median of %d, best %.2f)\n", format, exportMs, kRuns,
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
    const std::string folder = OutputFolder(argc, argv, "bench-export");
    ImageSurface surface;
    surface.putPicture(bench::ReliefPicture(kSide));
    Measure("DXF", MeshFormat::Dxf, surface, folder);
    Measure("STL", MeshFormat::Stl, surface, folder);
    Measure("OBJ", MeshFormat::Obj, surface, folder);
    if (argc <= 1)
        ::rmdir(folder.c_str());
    return 0;
}
