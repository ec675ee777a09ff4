// Load (read + full decode) and save of large BMP files, each beside a plain read and a
// plain write of the same bytes in the same run, with the peak memory of every case.
// Each case runs in its own forked child so its peak (VmHWM) is its own.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "bench/BenchSupport.h"
#include "files/BmpWriter.h"
#include "files/PictureFile.h"
#include "model/ImageSurface.h"

namespace {

using namespace bench;
using Result = ChildResult;

// The fastest of several runs (the machine is shared), and the highest peak.
Result Best(const std::function<void()>& work, const std::function<void()>& prepare = [] {})
{
    constexpr int kRuns = 5;
    Result best = InChild(work, prepare);
    for (int i = 1; i < kRuns; ++i) {
        const Result r = InChild(work, prepare);
        best.seconds = std::min(best.seconds, r.seconds);
        best.peakKiB = std::max(best.peakKiB, r.peakKiB);
    }
    return best;
}

std::vector<std::uint8_t> PlainRead(const std::string& name)
{
    const int fd = ::open(name.c_str(), O_RDONLY);
    struct stat st {};
    ::fstat(fd, &st);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(st.st_size));
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t got = ::read(fd, bytes.data() + done, bytes.size() - done);
        if (got <= 0)
            std::exit(3);
        done += static_cast<std::size_t>(got);
    }
    ::close(fd);
    return bytes;
}

void PlainWrite(const std::string& name, const std::vector<std::uint8_t>& bytes)
{
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0 || ::write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()) || ::close(fd) != 0)
        std::exit(4);
}

// A picture with some variety so no coding is trivially cheap.
Picture Pattern(int width, int height)
{
    Picture p;
    p.width = width;
    p.height = height;
    p.pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            p.pixels[static_cast<std::size_t>(y) * width + x] =
                StoredPixel(MakeColour(x & 0xFF, y & 0xFF, (x ^ y) & 0xFF));
    return p;
}

// 8 bits: a 256-grey table, index = (x + y) mod 256.
std::vector<std::uint8_t> EightBitFile(int width, int height)
{
    const std::size_t row = (static_cast<std::size_t>(width) + 3) / 4 * 4;
    std::vector<std::uint8_t> f(54 + 1024 + row * static_cast<std::size_t>(height), 0);
    const auto header = BmpFileHeader(f.size() - 14, 54 + 1024);
    std::copy(header.begin(), header.end(), f.begin());
    std::uint8_t* h = &f[14];
    h[0] = 40;
    std::memcpy(h + 4, &width, 4);
    std::memcpy(h + 8, &height, 4);
    h[12] = 1;
    h[14] = 8;
    for (int i = 0; i < 256; ++i)
        f[54 + 4 * i] = f[55 + 4 * i] = f[56 + 4 * i] = static_cast<std::uint8_t>(i);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            f[54 + 1024 + static_cast<std::size_t>(y) * row + x] = static_cast<std::uint8_t>(x + y);
    return f;
}

void RunCase(const char* label, const std::string& source, const std::string& target, std::size_t pictureBytes)
{
    const std::size_t fileBytes = static_cast<std::size_t>(std::ifstream(source, std::ios::ate | std::ios::binary).tellg());
    std::vector<std::uint8_t> bytes;
    ImageSurface surface;
    const Result read = Best([&] { bytes = PlainRead(source); });
    const Result write = Best([&] { PlainWrite(target, bytes); }, [&] { bytes = PlainRead(source); });
    const Result load = Best([&] { surface.putPicture(LoadPictureFile(source)); });
    const Result save = Best([&] { SavePictureFile(surface, target); }, [&] { surface.putPicture(LoadPictureFile(source)); });
    const Result whole = Best([&] {
        surface.putPicture(LoadPictureFile(source));
        SavePictureFile(surface, target);
    });
    const double plain = read.seconds + write.seconds;
    const double budgetMiB = static_cast<double>(fileBytes + pictureBytes) * 1.1 / 1048576.0;

    std::printf("%s: %.1f MiB file, %.1f MiB decoded\n", label, fileBytes / 1048576.0, pictureBytes / 1048576.0);
    std::printf("  plain read              %7.3f s   peak %7.1f MiB\n", read.seconds, read.peakKiB / 1024.0);
    std::printf("  plain write             %7.3f s\n", write.seconds);
    std::printf("  load + full decode      %7.3f s   peak %7.1f MiB\n", load.seconds, load.peakKiB / 1024.0);
    std::printf("  save (kept encoding)    %7.3f s\n", save.seconds);
    std::printf("  load + decode + save    %7.3f s   peak %7.1f MiB\n", whole.seconds, whole.peakKiB / 1024.0);
    std::printf("  => %.2fx plain read + write (%.3f s); peak %.2fx of file + picture (budget %.1f MiB)\n",
                whole.seconds / plain, plain, whole.peakKiB / 1024.0 / (budgetMiB / 1.1), budgetMiB);
}

}  // namespace

int main()
{
    char folder[] = "/tmp/bench-files-XXXXXX";
    if (::mkdtemp(folder) == nullptr)
        return 1;
    const std::string dir = folder;
    const std::string big24 = dir + "/big24.bmp", big8 = dir + "/big8.bmp", out = dir + "/out.bmp";
    InChild([&] { PlainWrite(big24, EncodeBmp24(Pattern(8192, 8192))); });
    InChild([&] { PlainWrite(big8, EightBitFile(4096, 4096)); });

    RunCase("8192 x 8192, 24 bits", big24, out, std::size_t{8192} * 8192 * 4);
    RunCase("4096 x 4096, 8 bits", big8, out, std::size_t{4096} * 4096 * 4);

    for (const std::string& f : {big24, big8, out})
        std::remove(f.c_str());
    ::rmdir(folder);
    return 0;
}
