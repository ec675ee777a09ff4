// The picture view's frames on an 8192 x 8192 picture, drawn by the real main window on
// Qt's offscreen platform with raster painting: panning at four zooms, a sweep through
// every zoom step and back, a 100-pixel nib square painted at 12.5 % until it is on
// screen, and Fit Picture after an import (the picture put in place, fitted and drawn:
// everything the import does after decoding). One frame is one scroll or zoom and the
// event loop's round that paints it. Ends with the memory the view holds beside the
// picture's. Prints figures; asserts nothing.
//   build/bench_canvas [VIEW_WIDTH VIEW_HEIGHT]   (1600 x 900 unless given)
#include <QAbstractScrollArea>
#include <QApplication>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QScrollBar>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "BenchSupport.h"
#include "model/LargeBuffer.h"
#include "ui/Application.h"
#include "ui/CanvasView.h"
#include "ui/ImageView.h"
#include "ui/MainWindow.h"
#include "ui/UpDown.h"
#include "ui/ZoomSteps.h"

namespace {

constexpr int kSide = 8192;
constexpr double kFrameGoalMs = 16.0;

// Counts the picture's paint events, so that a frame is known to have been drawn.
class PaintCount : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        paints += event->type() == QEvent::Paint;
        return false;
    }
};

// Gentle relief with fine detail, every channel different.
Picture Terrain()
{
    Picture picture;
    picture.width = picture.height = kSide;
    SizeLarge(picture.pixels, static_cast<std::size_t>(kSide) * kSide);
    for (int y = 0; y < kSide; ++y)
        for (int x = 0; x < kSide; ++x) {
            const int v = ((x >> 3) + (y >> 2) + ((x * y) >> 9)) & 0xFF;
            picture.pixels[static_cast<std::size_t>(y) * kSide + static_cast<std::size_t>(x)] =
                StoredPixel(MakeColour(v, (v + (x & 31)) & 0xFF, (v + (y & 63)) & 0xFF));
        }
    return picture;
}

struct Bench {
    MainWindow* window;
    CanvasView* view;
    ImageView* image;
    PaintCount count;

    // One frame: the change, then the event loop until the picture has been drawn.
    double frame(const std::function<void()>& change)
    {
        const int before = count.paints;
        const auto start = bench::Clock::now();
        change();
        for (int round = 0; round < 4 && count.paints == before; ++round)
            QApplication::processEvents();
        const double took = bench::MillisecondsSince(start);
        if (count.paints == before) {
            std::fprintf(stderr, "bench_canvas: a frame was not drawn\n");
            std::exit(1);
        }
        return took;
    }

    // Lets the idle work finish (the pyramid's levels the zooms have not asked for yet).
    void settle()
    {
        for (int round = 0; round < 20000; ++round)
            QApplication::processEvents();
    }
};

double Percentile(std::vector<double> values, double fraction)
{
    std::sort(values.begin(), values.end());
    const std::size_t at = std::min(values.size() - 1, static_cast<std::size_t>(fraction * (values.size() - 1) + 0.5));
    return values[at];
}

void Print(const char* name, const std::vector<double>& frames)
{
    std::printf("%s: p50 %.2f ms, p95 %.2f ms\n", name, Percentile(frames, 0.5), Percentile(frames, 0.95));
    std::fflush(stdout);
}

std::vector<double> Pan(Bench& bench, double zoom, int frames)
{
    bench.view->zoomAbout(zoom, QPointF(0, 0));
    bench.view->scrollTo(QPoint(0, 0));
    bench.settle();
    std::vector<double> times;
    // Diagonally, 37 by 23 pixels a frame, turning back at the ends.
    QPoint step(37, 23);
    for (int i = 0; i < frames; ++i) {
        QPoint next = bench.view->scrollPosition() + step;
        const auto* area = static_cast<QAbstractScrollArea*>(bench.view);
        const int maxX = area->horizontalScrollBar()->maximum();
        const int maxY = area->verticalScrollBar()->maximum();
        if (next.x() < 0 || next.x() > maxX)
            step.setX(-step.x());
        if (next.y() < 0 || next.y() > maxY)
            step.setY(-step.y());
        next = bench.view->scrollPosition() + step;
        if (maxX == 0 && maxY == 0) {
            // The whole picture fits and cannot move: a frame is the whole view repainted.
            times.push_back(bench.frame([&] {
                bench.view->viewport()->update();
                bench.image->update();
            }));
            continue;
        }
        times.push_back(bench.frame([&] { bench.view->scrollTo(next); }));
    }
    return times;
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    Application app(argc, argv);
    const QSize viewSize = argc == 3 ? QSize(std::atoi(argv[1]), std::atoi(argv[2])) : QSize(1600, 900);

    MainWindow window;
    Bench bench{&window, window.findChild<CanvasView*>(QStringLiteral("ScrollBox1")),
                window.findChild<ImageView*>(QStringLiteral("Image1")), {}};
    bench.image->installEventFilter(&bench.count);
    window.show();
    // The window grown until the view has the size asked for.
    window.resize(window.size() + viewSize - bench.view->size());
    QApplication::processEvents();
    std::printf("bench_canvas: %d x %d picture in a %d x %d view, Qt raster painting offscreen; goal p95 %.0f ms a "
                "frame, Fit after import 100 ms\n",
                kSide, kSide, bench.view->width(), bench.view->height(), kFrameGoalMs);

    // Fit after import, five times over fresh copies of the picture, each replacing the
    // built-in picture as a first import does (a later import hands the picture it
    // replaces to the undo history, which frees nothing either).
    std::vector<double> fits;
    const Picture builtIn = bench.image->surface().picture();
    for (int run = 0; run < 5; ++run) {
        Picture picture = Terrain();
        bench.image->surface().putPicture(builtIn);
        bench.view->zoomAbout(1.0, QPointF(0, 0));
        bench.settle();
        fits.push_back(bench.frame([&] {
            bench.image->surface().putPicture(std::move(picture));
            bench.view->showImported();
        }));
    }
    bench.settle();

    Print("pan at 100%", Pan(bench, 1.0, 120));
    Print("pan at 25%", Pan(bench, 0.25, 120));
    Print("pan at 6.25%", Pan(bench, 0.0625, 120));
    Print("pan at 1.5625%", Pan(bench, 1.0 / 64, 120));

    // Every step out and back in, about the view's centre.
    std::vector<double> sweep;
    const QPointF centre = QRectF(bench.view->viewport()->rect()).center();
    auto zoomTo = [&](int step) {
        if (bench.view->zoom() != ZoomOfStep(step))
            sweep.push_back(bench.frame([&] { bench.view->zoomAbout(ZoomOfStep(step), centre); }));
    };
    for (int pass = 0; pass < 3; ++pass) {
        for (int step = kSmallestZoomStep; step <= kLargestZoomStep; ++step)
            zoomTo(step);
        for (int step = kLargestZoomStep; step >= kSmallestZoomStep; --step)
            zoomTo(step);
    }
    Print("zoom sweep", sweep);

    // A 100-pixel nib square a frame, each on a fresh part of the picture, through the
    // mouse and the painting handler as the user paints.
    auto* nib = window.findChild<UpDown*>(QStringLiteral("UNibSize"));
    while (nib->step(true)) {
    }
    bench.view->zoomAbout(0.125, QPointF(0, 0));
    bench.view->scrollTo(QPoint(0, 0));
    bench.settle();
    std::vector<double> strokes;
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), bench.image->mapToGlobal(QPointF(5, 5)), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(bench.image, &press);
    for (int i = 0; i < 100; ++i) {
        const QPointF at(20 + (i * 13) % 900, 20 + (i * 7) % 700);
        QMouseEvent move(QEvent::MouseMove, at, bench.image->mapToGlobal(at), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        strokes.push_back(bench.frame([&] { QApplication::sendEvent(bench.image, &move); }));
    }
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(5, 5), bench.image->mapToGlobal(QPointF(5, 5)),
                        Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(bench.image, &release);
    Print("stroke at 12.5%", strokes);
    Print("fit after import", fits);

    bench.settle();
    const double mib = 1024.0 * 1024.0;
    std::printf("view memory: %.1f MiB for a %.1f MiB picture\n", bench.image->renderer().bytes() / mib,
                static_cast<double>(kSide) * kSide * 4 / mib);
    return 0;
}
