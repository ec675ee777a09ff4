// 3D preview speed at the finest grid on a large picture: frames a second while orbiting
// in an 800 x 600 view, and the work one update costs the user-interface thread after a
// brush step (sampling into the view's copy, building the arrays, uploading them).
// Needs an X display with OpenGL; run it under a virtual one:
//   xvfb-run -a -s "-screen 0 1280x1024x24" build/bench_ui_preview
// Prints figures; asserts nothing.
#include <sys/resource.h>
#include <time.h>

#include <QElapsedTimer>
#include <QEventLoop>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <vector>

#include "export/MeshExport.h"
#include "export/MeshVertices.h"
#include "model/EditorState.h"
#include "model/ImageSurface.h"
#include "model/MeshHeights.h"
#include "model/SampleHeights.h"
#include "ui/Application.h"
#include "preview/MeshView.h"

namespace {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Rolling hills over the whole grey range, so every face is drawn and shaded.
Picture Hills(int size)
{
    Picture picture;
    picture.width = picture.height = size;
    picture.pixels.resize(static_cast<std::size_t>(size) * static_cast<std::size_t>(size));
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const double h = 0.5 + 0.3 * std::sin(x / 310.0) * std::cos(y / 270.0) + 0.2 * std::sin((x + y) / 97.0);
            const int level = std::clamp(static_cast<int>(h * 255.0), 0, 255);
            picture.pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(size) + static_cast<std::size_t>(x)] =
                StoredPixel(MakeColour(level, level, level));
        }
    return picture;
}

struct Figures {
    double best, median, worst;
};

Figures Summary(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    return {times.front(), times[times.size() / 2], times.back()};
}

// Processor time of the whole process (every thread, the renderer's included) and of
// this thread alone, in milliseconds: other programs on the machine do not count.
double ProcessCpuMs()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000.0 +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000.0;
}

double ThreadCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec * 1000.0 + now.tv_nsec / 1e6;
}

struct FrameFigures {
    double perSecond;  // frames a second, by the clock on the wall
    double processMs;  // processor time per frame, all threads
    double threadMs;   // processor time per frame on the user-interface thread
};

// Draws frames one after another, each after the given change.
template <class Change>
FrameFigures Frames(MeshView& view, int frames, Change&& change)
{
    QEventLoop loop;
    QObject::connect(&view, &QOpenGLWidget::frameSwapped, &loop, &QEventLoop::quit);
    QElapsedTimer timer;
    double process = 0, thread = 0;
    for (int frame = -10; frame < frames; ++frame) {  // ten frames to warm up
        if (frame == 0) {
            timer.start();
            process = ProcessCpuMs();
            thread = ThreadCpuMs();
        }
        change(frame);
        view.update();
        loop.exec();
    }
    return {frames * 1000.0 / static_cast<double>(timer.elapsed()), (ProcessCpuMs() - process) / frames,
            (ThreadCpuMs() - thread) / frames};
}

void PrintFrames(const char* what, const FrameFigures& figures, const char* note)
{
    std::printf("  %-26s %6.1f frames a second; per frame %5.1f ms processor time, %5.1f ms on the UI thread%s\n",
                what, figures.perSecond, figures.processMs, figures.threadMs, note);
}

} // namespace

int main(int argc, char** argv)
{
    Application app(argc, argv);
    const QString unavailable = MeshView::openGlUnavailableReason();
    if (!unavailable.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(unavailable));
        return 1;
    }
    ImageSurface surface;
    surface.putPicture(Hills(4096));
    EditorState state;
    ResetGrid(state, surface);
    ApplyGridSizeText(state, "300");

    MeshView view(state, surface);
    view.resize(800, 600);
    view.show();
    view.resetView();
    QEventLoop shown;
    QObject::connect(&view, &QOpenGLWidget::frameSwapped, &shown, &QEventLoop::quit);
    shown.exec();
    view.makeCurrent();
    auto* gl = view.context()->functions();
    std::printf("3D preview, grid 300 on a 4096 x 4096 picture, %zu faces (%zu triangles), view %d x %d\n",
                view.faceCount(), view.faceCount() * 2, view.width(), view.height());
    std::printf("  OpenGL: %s, %s\n", reinterpret_cast<const char*>(gl->glGetString(GL_RENDERER)),
                reinterpret_cast<const char*>(gl->glGetString(GL_VERSION)));
    view.doneCurrent();

    constexpr int kFrames = 150;
    PrintFrames("orbiting, shaded:", Frames(view, kFrames, [&](int) { view.camera().orbit(QPointF(5, 1)); }),
                " (goal >= 30 a second)");
    view.setWireframe(true);
    PrintFrames("orbiting, wireframe:", Frames(view, kFrames, [&](int) { view.camera().orbit(QPointF(5, 0)); }), "");
    view.setWireframe(false);
    int step = 0;
    const auto brushStep = [&] {
        // A nib-100 square somewhere along a diagonal stroke, in a shade of grey.
        const int at = 200 + (step * 37) % 3600;
        surface.setBrushColour(MakeColour(step % 256, step % 256, step % 256));
        surface.fillRect(at, at, at + 100, at + 100);
        ++step;
    };
    PrintFrames("orbiting while painting:", Frames(view, kFrames, [&](int) {
                    brushStep();
                    view.meshInputsChanged();
                    view.camera().orbit(QPointF(5, 0));
                }),
                " (sampled again each frame)");

    // One update's work on the user-interface thread, step by step and as the view does it.
    constexpr int kRuns = 60;
    std::vector<double> sample, build, whole;
    MeshHeights heights;
    MeshVertices mesh;
    view.makeCurrent();
    for (int run = 0; run < kRuns; ++run) {
        brushStep();
        Clock::time_point start = Clock::now();
        SampleHeights(state, surface, heights);
        sample.push_back(MsSince(start));
        start = Clock::now();
        BuildMeshVertices(heights, OptionsOf(state), mesh);
        build.push_back(MsSince(start));
        start = Clock::now();
        view.refreshMesh();
        whole.push_back(MsSince(start));
    }
    view.doneCurrent();
    const Figures s = Summary(sample), b = Summary(build), w = Summary(whole);
    std::printf("  one update after a brush step (%d runs):       best      median    worst\n", kRuns);
    std::printf("    sampling into the view's own heights     %7.3f ms %7.3f ms %7.3f ms\n", s.best, s.median, s.worst);
    std::printf("    arrays from the faces                    %7.3f ms %7.3f ms %7.3f ms\n", b.best, b.median, b.worst);
    std::printf("    all of it, with the upload               %7.3f ms %7.3f ms %7.3f ms (goal <= 3 ms)\n", w.best,
                w.median, w.worst);
    return 0;
}
