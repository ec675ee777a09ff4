// Import Picture against Qt's own load of the same file, in the same run: an 8192 x 8192
// 16-bit grey PNG and an 8192 x 8192 8-bit RGB PNG, written here with QImageWriter.
// Each measurement runs in its own forked child, so that neither finds the other's
// freed memory, and reports the rise of that child's resident peak. Prints figures only.
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QString>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include "bench/BenchSupport.h"
#include "import/PictureImport.h"

namespace {

using namespace bench;
using Result = ChildResult;

// A terrain-like picture: two slopes crossed with a ripple and noise in the lowest bits,
// so the PNG compresses about as a real height map does (about 2:1), not to nothing.
int Height(int x, int y, int range)
{
    const unsigned noise = ((static_cast<unsigned>(x) * 2654435761u) ^ (static_cast<unsigned>(y) * 2246822519u)) >> 24;
    const int slope = (x + 2 * y) % 8192;
    const int ripple = ((x / 37 + y / 53) % 16) * 64;
    const long long height = static_cast<long long>(slope) * 6 + ripple;
    return static_cast<int>(height % 65536 * range / 65536 + noise * range / 65536 + (noise & 3)) % range;
}

void WritePng(const QString& path, bool deepGrey)
{
    constexpr int kSide = 8192;
    QImage image(kSide, kSide, deepGrey ? QImage::Format_Grayscale16 : QImage::Format_RGB32);
    for (int y = 0; y < kSide; ++y) {
        if (deepGrey) {
            auto* row = reinterpret_cast<quint16*>(image.scanLine(y));
            for (int x = 0; x < kSide; ++x)
                row[x] = static_cast<quint16>(Height(x, y, 65536));
        } else {
            auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < kSide; ++x) {
                const int h = Height(x, y, 256);
                row[x] = qRgb(h, (h + x / 64) & 0xFF, (h + y / 64) & 0xFF);
            }
        }
    }
    QImageWriter writer(path);
    if (!writer.write(image)) {
        std::fprintf(stderr, "cannot write %s: %s\n", qPrintable(path), qPrintable(writer.errorString()));
        std::exit(1);
    }
}

void RunCase(const char* label, const QString& path)
{
    constexpr int kRuns = 3;
    Result qt{1e9, 0}, import{1e9, 0};
    // Alternating, so that a busy moment of the shared machine hits both alike.
    for (int i = 0; i < kRuns; ++i) {
        const Result q = InChild([&] {
            QImageReader reader(path);
            QImageReader::setAllocationLimit(0);  // Qt's own load, without the limit in the way
            if (reader.read().isNull())
                std::exit(3);
        });
        const Result m = InChild([&] {
            if (ImportPicture(path).pixels.empty())
                std::exit(4);
        });
        qt = {std::min(qt.seconds, q.seconds), std::max(qt.peakKiB, q.peakKiB)};
        import = {std::min(import.seconds, m.seconds), std::max(import.peakKiB, m.peakKiB)};
    }
    const long fileBytes = static_cast<long>(std::ifstream(path.toStdString(), std::ios::ate | std::ios::binary).tellg());
    std::printf("%s (%.1f MiB file), best of %d:\n", label, fileBytes / 1048576.0, kRuns);
    std::printf("  QImageReader::read    %7.3f s   peak %7.1f MiB\n", qt.seconds, qt.peakKiB / 1024.0);
    std::printf("  ImportPicture         %7.3f s   peak %7.1f MiB\n", import.seconds, import.peakKiB / 1024.0);
    std::printf("  => import / Qt's load %.2fx (goal: at most 1.3x)\n", import.seconds / qt.seconds);
}

}  // namespace

int main()
{
    char folder[] = "/tmp/bench-import-XXXXXX";
    if (::mkdtemp(folder) == nullptr)
        return 1;
    const QString grey16 = QString::fromLatin1(folder) + QStringLiteral("/grey16.png");
    const QString rgb8 = QString::fromLatin1(folder) + QStringLiteral("/rgb8.png");
    InChild([&] { WritePng(grey16, true); });
    InChild([&] { WritePng(rgb8, false); });

    RunCase("8192 x 8192 16-bit grey PNG", grey16);
    RunCase("8192 x 8192 8-bit RGB PNG", rgb8);

    for (const QString& f : {grey16, rgb8})
        std::remove(f.toLocal8Bit().constData());
    ::rmdir(folder);
    return 0;
}
