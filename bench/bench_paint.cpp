// Painting speed: the whole-picture blur at the finest grid on a large picture, one
// brush step at the largest nib, and a long stroke on the built-in picture.
// Prints figures; asserts nothing.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

#include "bench/BenchSupport.h"
#include "model/BuiltInPicture.h"
#include "model/EditorState.h"
#include "model/ImageSurface.h"
#include "paint/BlurImage.h"
#include "paint/PaintStep.h"

namespace {

using namespace bench;


// Best and median of `runs` timings of `work` in milliseconds; `prepare` runs untimed first.
void Report(const char* what, int runs, const std::function<void()>& prepare,
            const std::function<void()>& work, double goalMs)
{
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        prepare();
        const auto start = Clock::now();
        work();
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    std::printf("%-48s best %9.4f ms  median %9.4f ms  (goal < %g ms)\n", what, times.front(),
                times[times.size() / 2], goalMs);
}

void BenchBlur()
{
    const Picture original = GradientPicture(4096, 4096);
    EditorState state;
    state.gridSize = 300;
    state.imageWidth = state.imageHeight = 4096;
    state.stepX = state.stepY = 4096.0 / 300;
    ImageSurface surface;
    Report("BlurImage, grid 300, 4096 x 4096", 7, [&] { surface.putPicture(original); },
           [&] { BlurImage(state, surface); }, 50);
}

void BenchOneStep()
{
    ImageSurface surface;
    surface.putPicture(BuiltInPicture());
    Rect repaint;  // what a display would be asked to redraw
    surface.setChangeListener([&](const Rect& changed) { repaint = changed; });
    EditorState state;
    state.drawing = true;
    state.nibSize = 100;
    constexpr int kSteps = 1000;
    for (Tool tool : {Tool::Pencil, Tool::BlurBrush}) {
        state.currentTool = tool;
        std::vector<double> perStep;
        for (int run = 0; run < 7; ++run) {
            const auto start = Clock::now();
            for (int k = 0; k < kSteps; ++k)
                PaintStep(state, surface, kMaroon, kLeftButton, (k * 37) % 320, (k * 53) % 200);
            perStep.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count() / kSteps);
        }
        std::sort(perStep.begin(), perStep.end());
        std::printf("%-48s best %9.4f ms  median %9.4f ms  (goal < 0.2 ms)\n",
                    tool == Tool::Pencil ? "one step, nib 100, pencil, with repaint rect"
                                    : "one step, nib 100, blur brush, with repaint rect",
                    perStep.front(), perStep[perStep.size() / 2]);
    }
    if (repaint.isEmpty())
        std::printf("(no repaint rectangle reported)\n");
}

void BenchStroke()
{
    const Picture original = BuiltInPicture();
    ImageSurface surface;
    int repaints = 0;
    EditorState state;
    state.drawing = true;
    state.nibSize = 10;
    Report("stroke of 10,000 moves, nib 10, built-in picture", 7,
           [&] {
               surface.setChangeListener(nullptr);
               surface.putPicture(original);
               repaints = 0;
               surface.setChangeListener([&](const Rect&) { ++repaints; });
           },
           [&] {
               for (int k = 0; k < 10000; ++k) {
                   state.currentTool = static_cast<Tool>(1 + k / 3334);
                   PaintStep(state, surface, kMaroon, kLeftButton, (k * 7) % 340 - 10, (k * 3) % 220 - 10);
               }
           },
           100);
    std::printf("(%d repaint rectangles reported by the last stroke)\n", repaints);
}

} // namespace

int main()
{
    BenchBlur();
    BenchOneStep();
    BenchStroke();
}
