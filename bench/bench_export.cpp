// Times the DXF, STL, OBJ and 3MF exports at grid 300 of a 4096 x 4096 picture (sampling
// and writing; the DXF about 17.7 MB) and its height maps (16-bit PNG and R16) against
// the floor of writing the same bytes from memory into the same folder with one write
// call; then the height-map PNG of an 8192 x 8192 picture against Qt's own 16-bit PNG
// write of the same values (when built with Qt), with the export's peak memory.
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
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "bench/BenchSupport.h"
#include "export/MeshExport.h"
#include "model/EditorState.h"
#include "model/ImageSurface.h"
#include "model/SampleHeights.h"

#ifdef RF_BENCH_WITH_QT
#include <QImage>
#include <QImageWriter>

#include "export/WriteHeightMap.h"
#endif

namespace {

using namespace bench;

constexpr int kSide = 4096;
constexpr int kRuns = 15;

// The 3MF's model part unpacked, to set its size beside the package's.
std::size_t UnpackedSize(const std::string& path)
{
    std::FILE* unzip = ::popen(("unzip -p '" + path + "' 3D/3dmodel.model 2>/dev/null | wc -c").c_str(), "r");
    unsigned long long size = 0;
    if (unzip != nullptr) {
        if (std::fscanf(unzip, "%llu", &size) != 1)
            size = 0;
        ::pclose(unzip);
    }
    return static_cast<std::size_t>(size);
}

void Measure(const char* format, MeshFormat meshFormat, const ImageSurface& surface, const std::string& folder,
             double goal)
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
        if (!IsHeightMap(meshFormat))
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
    const std::size_t unpacked = meshFormat == MeshFormat::ThreeMf ? UnpackedSize(meshPath) : 0;
    ::unlink(meshPath.c_str());
    ::unlink(floorPath.c_str());

    const double exportMs = Median(exportTimes), floorMs = Median(floorTimes), sampleMs = Median(sampleTimes);
    if (IsHeightMap(meshFormat)) {
        std::printf("%s export of %d x %d: %zu bytes\n", format, kSide, kSide, bytes.size());
        std::printf("  write %s: %.2f ms (median of %d, best %.2f)\n", format, exportMs, kRuns, Best(exportTimes));
    } else {
        std::printf("%s export, grid 300 on %d x %d: %zu bytes\n", format, kSide, kSide, bytes.size());
        std::printf("  SampleHeights + write %s: %.2f ms (median of %d, best %.2f)\n", format, exportMs, kRuns,
                    Best(exportTimes));
        std::printf("  of which SampleHeights:  %.2f ms (median of %d)\n", sampleMs, kRuns);
    }
    std::printf("  one write from memory:    %.2f ms (median of %d, best %.2f)\n", floorMs, kRuns, Best(floorTimes));
    // The best runs are the ones least disturbed by other work on the machine.
    std::printf("  ratio: %.2f of the medians, %.2f of the best runs (goal <= %.1f)", exportMs / floorMs,
                Best(exportTimes) / Best(floorTimes), goal);
    if (IsHeightMap(meshFormat))
        std::printf("\n");
    else
        std::printf("; without sampling %.2f\n", (exportMs - sampleMs) / floorMs);
    if (unpacked != 0) {
        // What deflating costs: the model part unpacked, written as it is.
        const std::string plain(unpacked, 'x');
        std::vector<double> plainTimes;
        for (int run = 0; run < 5; ++run) {
            ::unlink(floorPath.c_str());
            plainTimes.push_back(WriteFloor(floorPath, plain));
        }
        ::unlink(floorPath.c_str());
        std::printf("  the model unpacked: %zu bytes; one write of as many: %.2f ms (best of 5); ratio %.2f\n",
                    unpacked, Best(plainTimes), Best(exportTimes) / Best(plainTimes));
    }
}

#ifdef RF_BENCH_WITH_QT
// The 8192 x 8192 height map's PNG against QImageWriter's 16-bit PNG of the same values,
// each in a child of its own (time and peak memory from a fresh start).
void MeasureAgainstQt(const std::string& folder)
{
    constexpr int kLarge = 8192;
    constexpr int kLargeRuns = 3;
    const std::string ours = folder + "/large.png", qts = folder + "/large-qt.png";
    std::vector<double> ourTimes, qtTimes;
    long ourPeak = 0, qtPeak = 0;
    for (int run = 0; run < kLargeRuns; ++run) {
        ImageSurface surface;
        EditorState state;
        const ChildResult mine = InChild(
            [&] { WriteMesh(MeshFormat::HeightPng, state, surface, ours); },
            [&] {
                surface.putPicture(ReliefPicture(kLarge));
                ResetGrid(state, surface);
            });
        ourTimes.push_back(mine.seconds);
        ourPeak = std::max(ourPeak, mine.peakKiB);
        QImage values;
        const ChildResult theirs = InChild(
            [&] {
                QImageWriter writer(QString::fromStdString(qts), "png");
                if (!writer.write(values))
                    std::exit(3);
            },
            [&] {
                const Picture source = ReliefPicture(kLarge);
                values = QImage(kLarge, kLarge, QImage::Format_Grayscale16);
                for (int y = 0; y < kLarge; ++y) {
                    auto* row = reinterpret_cast<quint16*>(values.scanLine(y));
                    for (int x = 0; x < kLarge; ++x) {
                        const std::uint32_t p = source.pixels[std::size_t(y) * kLarge + std::size_t(x)];
                        row[x] = HeightMapValue(int((p & 0xFF) + (p >> 8 & 0xFF) + (p >> 16 & 0xFF)));
                    }
                }
            });
        qtTimes.push_back(theirs.seconds);
        qtPeak = std::max(qtPeak, theirs.peakKiB);
    }
    struct stat ourFile{}, qtFile{};
    ::stat(ours.c_str(), &ourFile);
    ::stat(qts.c_str(), &qtFile);
    ::unlink(ours.c_str());
    ::unlink(qts.c_str());
    std::printf("Height map PNG of %d x %d: %lld bytes (Qt's: %lld bytes)\n", kLarge, kLarge,
                static_cast<long long>(ourFile.st_size), static_cast<long long>(qtFile.st_size));
    // The peaks count the 256 MiB picture made first (and, for Qt, its 128 MiB of values).
    std::printf("  WriteMesh (png16): %.3f s best of %d, median %.3f; peak %ld MiB\n", Best(ourTimes), kLargeRuns,
                Median(ourTimes), ourPeak >> 10);
    std::printf("  QImageWriter 16-bit PNG of the same values: %.3f s best of %d, median %.3f; peak %ld MiB\n",
                Best(qtTimes), kLargeRuns, Median(qtTimes), qtPeak >> 10);
    std::printf("  ratio: %.2f of the best runs (goal <= 2.0)\n", Best(ourTimes) / Best(qtTimes));
}
#endif

} // namespace

int main(int argc, char** argv)
{
    const std::string folder = OutputFolder(argc, argv, "bench-export");
    ImageSurface surface;
    surface.putPicture(bench::ReliefPicture(kSide));
    Measure("DXF", MeshFormat::Dxf, surface, folder, 1.5);
    Measure("STL", MeshFormat::Stl, surface, folder, 1.5);
    Measure("OBJ", MeshFormat::Obj, surface, folder, 1.5);
    Measure("3MF", MeshFormat::ThreeMf, surface, folder, 3);
    Measure("height map PNG", MeshFormat::HeightPng, surface, folder, 3);
    Measure("height map R16", MeshFormat::HeightRaw, surface, folder, 3);
#ifdef RF_BENCH_WITH_QT
    MeasureAgainstQt(folder);
#endif
    if (argc <= 1)
        ::rmdir(folder.c_str());
    return 0;
}
