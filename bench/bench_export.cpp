// Times a DXF export at grid 300 of a 4096 x 4096 picture (sampling and writing, about
// 17.7 MB) against the floor of writing the same bytes from memory into the same folder
// with one write call.
//
//   bench_export [folder]     (default: a fresh folder under $TMPDIR or /tmp)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

#include "bench/BenchSupport.h"
#include "export/WriteDxf.h"
#include "model/EditorState.h"
#include "model/ImageSurface.h"
#include "model/SampleHeights.h"

namespace {

using namespace bench;

constexpr int kSide = 4096;
constexpr int kRuns = 15;


} // namespace

int main(int argc, char** argv)
{
    const std::string folder = OutputFolder(argc, argv, "bench-export");
    const std::string meshPath = folder + "/mesh.dxf";
    const std::string floorPath = folder + "/floor.dxf";

    ImageSurface surface;
    surface.putPicture(bench::ReliefPicture(kSide));
    EditorState state;
    ResetGrid(state, surface);
    ApplyGridSizeText(state, "300");

    std::vector<double> exportTimes, floorTimes, sampleTimes;
    std::string bytes;
    for (int run = 0; run < kRuns; ++run) {
        auto start = Clock::now();
        SampleHeights(state, surface);
        sampleTimes.push_back(MillisecondsSince(start));
        ::unlink(meshPath.c_str());
        start = Clock::now();
        WriteDxf(state, surface, meshPath);
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
    if (argc <= 1)
        ::rmdir(folder.c_str());

    const double exportMs = Median(exportTimes);
    const double floorMs = Median(floorTimes);
    std::printf("DXF export, grid 300 on %d x %d: %zu bytes\n", kSide, kSide, bytes.size());
    std::printf("  SampleHeights + WriteDxf: %.1f ms (median of %d, best %.1f)\n", exportMs, kRuns,
                *std::min_element(exportTimes.begin(), exportTimes.end()));
    std::printf("  of which SampleHeights:  %.1f ms (median of %d)\n", Median(sampleTimes), kRuns);
    std::printf("  one write from memory:    %.1f ms (median of %d, best %.1f)\n", floorMs, kRuns,
                *std::min_element(floorTimes.begin(), floorTimes.end()));
    // The best runs are the ones least disturbed by other work on the machine.
    std::printf("  ratio: %.2f of the medians, %.2f of the best runs (goal <= 1.5)\n", exportMs / floorMs,
                *std::min_element(exportTimes.begin(), exportTimes.end()) /
                    *std::min_element(floorTimes.begin(), floorTimes.end()));
    return 0;
}
