// Meshes synthetic terrains (smooth hills, ridged noise, a plateau with a cliff) at
// 1024, 2048 and 4096 pixels a side, each at errors 1, 7.65 (1 % of the range) and
// 0.765 (0.1 %), and prints per case: the top surface's triangles, the time of the
// surface and the closed solid (best of up to three runs), the time a binary STL of the
// solid takes to write, and the largest error found by checking every pixel against
// the surface with code of its own. Given a peer's binary, it also runs the peer on the
// same heights (8-bit grey PGM files, sum = 3 x grey), taking turns with ours, and
// prints its triangles and times beside ours: the whole process, and in brackets its
// own figure for triangulating.
//
//   bench_adaptive [--quick] [--hmm PATH] [--memory]
//     --quick   one run each per case, and no 2048 maps
//     --hmm     path of an hmm binary (github.com/fogleman/hmm); run as
//               hmm -z 100 -e E/765 map.pgm out.stl, its triangles read from the STL
//     --memory  only: peak memory of 8192 x 8192 noise at error 0 in a child process,
//               the picture's 32-bit pixels and 16-bit sums allocated beside it
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "bench/AdaptiveTerrains.h"
#include "bench/BenchSupport.h"
#include "export/BuildAdaptiveSurface.h"
#include "export/ClosedSolid.h"
#include "export/MeshExport.h"
#include "model/EditorState.h"
#include "model/ImageSurface.h"

namespace {

using namespace bench;

struct Options {
    bool quick = false;
    bool memory = false;
    std::string hmm;
};

// ---- Our side ------------------------------------------------------------------------

struct OurRun {
    std::size_t triangles = 0;
    double surfaceSeconds = 1e30, solidSeconds = 1e30, stlSeconds = 1e30;
    double worstError = 0;
};

// A binary STL of the solid: X = (w - 1 - c), Y = r, Z = sum / 765 x 100 + 1 over a
// bottom at 0, normals left 0 as slicers recompute them. Returns seconds.
double WriteStl(const ClosedSolid& solid, const HeightField& field, const std::string& path)
{
    const auto start = Clock::now();
    std::vector<float> xyz(3 * solid.vertexCount());
    solid.forEachVertex([&](std::uint32_t n, LatticePoint p, bool isBottom) {
        xyz[3 * n] = static_cast<float>(field.width - 1 - p.c);
        xyz[3 * n + 1] = static_cast<float>(p.r);
        xyz[3 * n + 2] = isBottom ? 0.0f : 1.0f + static_cast<float>(field.at(p.c, p.r)) * (100.0f / 765.0f);
    });
    std::vector<char> bytes(84 + 50 * solid.triangleCount(), 0);
    const auto count = static_cast<std::uint32_t>(solid.triangleCount());
    std::memcpy(bytes.data() + 80, &count, 4);
    char* at = bytes.data() + 84;
    solid.forEachTriangle([&](std::uint32_t a, std::uint32_t b, std::uint32_t c) {
        std::memcpy(at + 12, &xyz[3 * a], 12);
        std::memcpy(at + 24, &xyz[3 * b], 12);
        std::memcpy(at + 36, &xyz[3 * c], 12);
        at += 50;
    });
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0 || ::write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()) || ::close(fd) != 0) {
        std::perror(path.c_str());
        std::exit(1);
    }
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// The largest |sum - surface| over every pixel centre, each found in its triangles by
// edge functions, not by the meshing's scan. Exits when a pixel is in no triangle.
double WorstError(const HeightField& field, const AdaptiveSurface& surface)
{
    const std::vector<PackedPoint> v = surface.allVertices();
    std::vector<char> covered(field.pixelCount(), 0);
    double worst = 0;
    surface.forEachTriangle([&](std::uint32_t ia, std::uint32_t ib, std::uint32_t ic) {
        const LatticePoint a = v[ia].unpack(), b = v[ib].unpack(), c = v[ic].unpack();
        const double d = static_cast<double>(Cross(a, b, c));
        const double za = field.at(a.c, a.r), zb = field.at(b.c, b.r), zc = field.at(c.c, c.r);
        for (int r = std::min({a.r, b.r, c.r}); r <= std::max({a.r, b.r, c.r}); ++r)
            for (int col = std::min({a.c, b.c, c.c}); col <= std::max({a.c, b.c, c.c}); ++col) {
                const LatticePoint q{col, r};
                const long long w0 = Cross(b, c, q), w1 = Cross(c, a, q), w2 = Cross(a, b, q);
                if (w0 > 0 || w1 > 0 || w2 > 0)
                    continue;
                covered[field.indexOf(col, r)] = 1;
                const double height = (static_cast<double>(w0) * za + static_cast<double>(w1) * zb +
                                       static_cast<double>(w2) * zc) / d;
                worst = std::max(worst, std::fabs(height - field.at(col, r)));
            }
    });
    if (std::count(covered.begin(), covered.end(), 0) != 0) {
        std::fprintf(stderr, "a pixel lies in no triangle\n");
        std::exit(1);
    }
    return worst;
}

// One run; best keeps the best times of all runs. The first run also checks every pixel.
void RunOurs(const HeightField& field, int thousandths, const std::string& stlPath, OurRun& best)
{
    auto start = Clock::now();
    AdaptiveSurface surface = BuildAdaptiveSurfaceThousandths(field, thousandths);
    const double surfaceSeconds = std::chrono::duration<double>(Clock::now() - start).count();
    if (best.triangles == 0)
        best.worstError = WorstError(field, surface);
    best.triangles = surface.triangleCount();
    start = Clock::now();
    const ClosedSolid solid = BuildClosedSolid(std::move(surface));
    const double solidSeconds = std::chrono::duration<double>(Clock::now() - start).count();
    const double stlSeconds = WriteStl(solid, field, stlPath);
    ::unlink(stlPath.c_str());
    best.surfaceSeconds = std::min(best.surfaceSeconds, surfaceSeconds);
    best.solidSeconds = std::min(best.solidSeconds, solidSeconds);
    best.stlSeconds = std::min(best.stlSeconds, stlSeconds);
}

// The whole export as the window and the converter run it: the picture's sums taken,
// meshed, the solid placed in millimetres and written through the commit-or-nothing
// writer as an STL. The error in tenths, as the editor takes it. Best of two, seconds.
double EditorExportSeconds(const GreyMap& map, int errorTenths, const std::string& path)
{
    Picture picture;
    picture.width = picture.height = map.side;
    picture.pixels.resize(map.grey.size());
    for (std::size_t k = 0; k < map.grey.size(); ++k)
        picture.pixels[k] = 0xFF000000u | map.grey[k] * 0x010101u;
    ImageSurface surface;
    EditorState state;
    SolidSettings solid;
    solid.detail = SolidDetail::WholePicture;
    solid.maxErrorTenths = errorTenths;
    PrepareExport(state, surface, std::move(picture), 50, {}, solid);
    double best = 1e30;
    for (int run = 0; run < 2; ++run) {
        const auto start = Clock::now();
        WriteMesh(MeshFormat::Stl, state, surface, path);
        best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
        ::unlink(path.c_str());
    }
    return best;
}

// ---- The peer ------------------------------------------------------------------------

struct PeerRun {
    bool ran = false;
    std::size_t triangles = 0;
    double seconds = 1e30;      // the whole process
    double meshSeconds = 1e30;  // its own "triangulating" figure
};

void WritePgm(const GreyMap& map, const std::string& path)
{
    std::ofstream out(path, std::ios::binary);
    out << "P5\n" << map.side << ' ' << map.side << "\n255\n";
    out.write(reinterpret_cast<const char*>(map.grey.data()), static_cast<std::streamsize>(map.grey.size()));
}

// Runs argv, its output captured; returns the exit status (-1 when it did not run).
int RunProcess(const std::vector<std::string>& argv, std::string& output)
{
    int fds[2];
    if (::pipe(fds) != 0)
        return -1;
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(fds[1], 1);
        ::close(fds[0]);
        ::close(fds[1]);
        std::vector<char*> args;
        for (const std::string& a : argv)
            args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        ::execv(args[0], args.data());
        ::_exit(127);
    }
    ::close(fds[1]);
    char buffer[4096];
    ssize_t got;
    while ((got = ::read(fds[0], buffer, sizeof buffer)) > 0)
        output.append(buffer, static_cast<std::size_t>(got));
    ::close(fds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// One run of the peer; best keeps the best times of all runs.
void RunPeer(const std::string& hmm, const std::string& pgm, const std::string& stl, double error, PeerRun& best)
{
    char e[32];
    std::snprintf(e, sizeof e, "%.9g", error / 765.0);
    std::string output;
    const auto start = Clock::now();
    const int status = RunProcess({hmm, "-z", "100", "-e", e, pgm, stl}, output);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    if (status != 0) {
        std::fprintf(stderr, "%s failed (%d)\n", hmm.c_str(), status);
        return;
    }
    best.ran = true;
    best.seconds = std::min(best.seconds, seconds);
    const std::size_t at = output.find("triangulating... ");
    if (at != std::string::npos)
        best.meshSeconds = std::min(best.meshSeconds, std::atof(output.c_str() + at + 17));
    std::ifstream in(stl, std::ios::binary);
    unsigned char header[84] = {};
    in.read(reinterpret_cast<char*>(header), 84);
    best.triangles = header[80] | header[81] << 8 | header[82] << 16 | static_cast<std::size_t>(header[83]) << 24;
    ::unlink(stl.c_str());
}

// ---- Memory ----------------------------------------------------------------------------

void MeasureMemory()
{
    constexpr int kSide = 8192;
    const ChildResult result = InChild([] {
        // What the editor holds already: the picture's pixels and a copy of the sums.
        std::vector<std::uint32_t> pixels(static_cast<std::size_t>(kSide) * kSide, 0xFF000000u);
        std::vector<std::uint16_t> sums(pixels.size());
        for (int r = 0; r < kSide; ++r)
            for (int c = 0; c < kSide; ++c)
                sums[static_cast<std::size_t>(r) * kSide + c] =
                    static_cast<std::uint16_t>(Hash(static_cast<std::uint32_t>(r) * 65536u + static_cast<std::uint32_t>(c)) % 766);
        const auto start = Clock::now();
        AdaptiveSurface surface = BuildAdaptiveSurface({kSide, kSide, sums.data()}, 0);
        const std::size_t triangles = surface.triangleCount(), vertices = surface.vertexCount();
        const ClosedSolid solid = BuildClosedSolid(std::move(surface));
        std::printf("8192 x 8192 noise, error 0: %zu vertices, %zu surface triangles, %zu solid triangles in %.1f s\n",
                    vertices, triangles, solid.triangleCount(), std::chrono::duration<double>(Clock::now() - start).count());
        std::printf("  whole process peak (VmHWM): %.0f MiB\n", static_cast<double>(ProcStatusKiB("VmHWM:")) / 1024);
        std::fflush(stdout);  // the child leaves with _exit
    });
    std::printf("  rise over the child's start: %.0f MiB (goal: whole process within 2048 MiB)\n",
                static_cast<double>(result.peakKiB) / 1024);
}

std::string TemporaryFolder()
{
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp ? tmp : "/tmp") + "/bench-adaptive-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
        std::perror("mkdtemp");
        std::exit(1);
    }
    return pattern;
}

} // namespace

int main(int argc, char** argv)
{
    Options options;
    for (int k = 1; k < argc; ++k) {
        const std::string arg = argv[k];
        if (arg == "--quick")
            options.quick = true;
        else if (arg == "--memory")
            options.memory = true;
        else if (arg == "--hmm" && k + 1 < argc)
            options.hmm = argv[++k];
        else {
            std::fprintf(stderr, "usage: bench_adaptive [--quick] [--hmm PATH] [--memory]\n");
            return 2;
        }
    }
    if (options.memory) {
        MeasureMemory();
        return 0;
    }

    const std::string folder = TemporaryFolder();
    const int rounds = options.quick ? 1 : 3;
    std::vector<int> sides = {1024, 2048, 4096};
    if (options.quick)
        sides = {1024, 4096};
    struct Error {
        const char* name;
        int thousandths;
    };
    const Error errors[] = {{"1", 1000}, {"7.65", 7650}, {"0.765", 765}};
    double goalSeconds = -1;

    std::printf("%-8s %5s %6s | %9s %8s %7s %7s %7s | %9s %8s %8s | %6s %6s\n", "terrain", "side", "E", "triangles",
                "surface", "+solid", "+stl", "maxerr", "hmm tri", "hmm s", "(mesh)", "tri", "time");
    for (const int side : sides) {
        const GreyMap maps[] = {SmoothHills(side), RidgedNoise(side), PlateauCliff(side)};
        for (const GreyMap& map : maps) {
            std::vector<std::uint16_t> sums(map.grey.size());
            for (std::size_t k = 0; k < sums.size(); ++k)
                sums[k] = static_cast<std::uint16_t>(3 * map.grey[k]);
            const HeightField field{side, side, sums.data()};
            const std::string pgm = folder + "/" + map.name + "-" + std::to_string(side) + ".pgm";
            if (!options.hmm.empty())
                WritePgm(map, pgm);
            for (const Error& error : errors) {
                // Runs of both take turns, so that other work on the machine weighs on
                // both alike; the best of each counts. A slow case gets fewer turns.
                OurRun ours;
                PeerRun peer;
                double spent = 0;
                for (int round = 0; round < rounds && (round < 2 || spent < 30); ++round) {
                    const auto start = Clock::now();
                    RunOurs(field, error.thousandths, folder + "/ours.stl", ours);
                    if (!options.hmm.empty())
                        RunPeer(options.hmm, pgm, folder + "/hmm.stl", error.thousandths / 1000.0, peer);
                    spent += std::chrono::duration<double>(Clock::now() - start).count();
                }
                const double oursSeconds = ours.surfaceSeconds + ours.solidSeconds;
                std::printf("%-8s %5d %6s | %9zu %7.3fs %6.3fs %6.3fs %7.4f |", map.name.c_str(), side, error.name,
                            ours.triangles, ours.surfaceSeconds, ours.solidSeconds, ours.stlSeconds, ours.worstError);
                if (!options.hmm.empty()) {
                    if (peer.ran)
                        std::printf(" %9zu %7.3fs %7.3fs | %6.3f %6.3f", peer.triangles, peer.seconds, peer.meshSeconds,
                                    static_cast<double>(ours.triangles) / static_cast<double>(peer.triangles),
                                    oursSeconds / peer.seconds);
                }
                std::printf("\n");
                std::fflush(stdout);
                if (side == 4096 && error.thousandths == 7650)
                    goalSeconds = std::max(goalSeconds, oursSeconds + ours.stlSeconds);
            }
            ::unlink(pgm.c_str());
        }
    }
    // The editor takes errors in tenths: 7.6 is the nearest within 1 % of the range.
    double editorSeconds = 0;
    for (const GreyMap& map : {SmoothHills(4096), RidgedNoise(4096), PlateauCliff(4096)})
        editorSeconds = std::max(editorSeconds, EditorExportSeconds(map, 76, folder + "/editor.stl"));
    ::rmdir(folder.c_str());
    std::printf("whole export (WriteMesh: STL in millimetres, E = 7.6) on 4096 x 4096, slowest terrain: %.3f s "
                "(goal: under 1 s)\n",
                editorSeconds);
    std::printf("ratios: ours / hmm (triangles; time of surface + solid against hmm's whole process)\n");
    if (goalSeconds >= 0)
        std::printf("E = 7.65 on 4096 x 4096, slowest terrain: surface + solid + STL %.3f s (goal: under 1 s)\n",
                    goalSeconds);
    return 0;
}
