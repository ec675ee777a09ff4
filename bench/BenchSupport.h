#pragma once
// What the benchmark programs share: clocks and summaries of repeated runs, the pictures
// they measure on, a plain write that stands for the floor of any file output, and a
// measurement in a child process of its own (time and peak memory from a fresh start).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "model/Picture.h"

namespace bench {

using Clock = std::chrono::steady_clock;

inline double MillisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

inline double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

inline double Best(const std::vector<double>& values) { return *std::min_element(values.begin(), values.end()); }

// A side x side relief with every channel sum present, so an export meets every kind of
// height.
inline Picture ReliefPicture(int side)
{
    Picture picture;
    picture.width = side;
    picture.height = side;
    picture.pixels.resize(static_cast<std::size_t>(side) * static_cast<std::size_t>(side));
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            const int v = (x * 7 + y * 3 + (x ^ y)) % 256;
            picture.pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(side) + static_cast<std::size_t>(x)] =
                StoredPixel(MakeColour(v, (v + x) % 256, (v + y) % 256));
        }
    return picture;
}

// Red, green and blue running along x, y and the diagonal.
inline Picture GradientPicture(int width, int height)
{
    Picture picture;
    picture.width = width;
    picture.height = height;
    picture.pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            picture.pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                           static_cast<std::size_t>(x)] = StoredPixel(MakeColour(x & 0xFF, y & 0xFF, (x + y) & 0xFF));
    return picture;
}

// The bytes written into path with one call: what any writer of the same file must at
// least take. Returns milliseconds.
inline double WriteFloor(const std::string& path, const std::string& bytes)
{
    const auto start = Clock::now();
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0 || ::write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()) || ::close(fd) != 0) {
        std::perror(path.c_str());
        std::exit(1);
    }
    return MillisecondsSince(start);
}

// The folder a benchmark writes its files into: the one named on its command line, else
// a fresh one under $TMPDIR (or /tmp) named after the benchmark.
inline std::string OutputFolder(int argc, char** argv, const std::string& name)
{
    if (argc > 1)
        return argv[1];
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp ? tmp : "/tmp") + "/" + name + "-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
        std::perror("mkdtemp");
        std::exit(1);
    }
    return pattern;
}

struct ChildResult {
    double seconds = 0;
    long peakKiB = 0;
};

inline long ProcStatusKiB(const char* field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(field, 0) == 0)
            return std::atol(line.c_str() + std::strlen(field));
    return -1;
}

// Runs prepare and then work in a child; returns the time work took and the rise of the
// child's resident-set peak over both.
inline ChildResult InChild(const std::function<void()>& work, const std::function<void()>& prepare = [] {})
{
    int fds[2];
    if (::pipe(fds) != 0)
        std::exit(1);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        { std::ofstream("/proc/self/clear_refs") << "5"; }  // peak := current
        const long before = ProcStatusKiB("VmRSS:");
        prepare();
        const auto start = Clock::now();
        work();
        const std::chrono::duration<double> took = Clock::now() - start;
        ChildResult r{took.count(), ProcStatusKiB("VmHWM:") - before};
        if (::write(fds[1], &r, sizeof r) != static_cast<ssize_t>(sizeof r))
            ::_exit(2);
        ::_exit(0);
    }
    ::close(fds[1]);
    ChildResult r;
    const bool ok = ::read(fds[0], &r, sizeof r) == static_cast<ssize_t>(sizeof r);
    ::close(fds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (!ok || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "benchmark child failed\n");
        std::exit(1);
    }
    return r;
}

}  // namespace bench
