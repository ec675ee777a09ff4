// Undo history costs: a long stroke and the whole-picture blur with and without their
// steps recorded, undo and redo of that blur against one copy of its pixels, and the
// history's memory after many strokes on a large picture. Prints figures; asserts nothing.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <vector>

#include "bench/BenchSupport.h"
#include "model/BuiltInPicture.h"
#include "model/EditorState.h"
#include "model/ImageSurface.h"
#include "model/UndoHistory.h"
#include "paint/BlurImage.h"
#include "paint/PaintStep.h"

namespace {

using namespace bench;


struct Timing {
    double best = 0;
    double median = 0;
};

// `prepare` runs untimed before each run.
Timing Time(int runs, const std::function<void()>& prepare, const std::function<void()>& work)
{
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        prepare();
        const auto start = Clock::now();
        work();
        times.push_back(MillisecondsSince(start));
    }
    std::sort(times.begin(), times.end());
    return {times.front(), times[times.size() / 2]};
}

void Print(const char* what, const Timing& timing)
{
    std::printf("%-58s best %9.4f ms  median %9.4f ms\n", what, timing.best, timing.median);
}

// The stroke of bench_paint: 10,000 moves at nib 10 over the built-in picture, every tool.
void StrokeOnBuiltIn(const EditorState& base, ImageSurface& surface)
{
    EditorState state = base;
    for (int k = 0; k < 10000; ++k) {
        state.currentTool = static_cast<Tool>(1 + k / 3334);
        PaintStep(state, surface, kMaroon, kLeftButton, (k * 7) % 340 - 10, (k * 3) % 220 - 10);
    }
}

void BenchStroke()
{
    const Picture original = BuiltInPicture();
    EditorState state;
    state.drawing = true;
    state.nibSize = 10;
    ImageSurface surface;
    int repaints = 0;
    auto reset = [&] {
        surface.setChangeListener(nullptr);
        surface.putPicture(original);
        surface.setChangeListener([&](const Rect&) { ++repaints; });
    };
    const Timing plain = Time(15, reset, [&] { StrokeOnBuiltIn(state, surface); });
    Print("stroke of 10,000 moves, nib 10, built-in, no history", plain);

    // A fresh history for every run: each step's tiles are fresh memory.
    std::vector<UndoHistory> histories(15);
    int run = 0;
    const Timing fresh = Time(15, reset, [&] {
        UndoHistory& history = histories[static_cast<std::size_t>(run++)];
        history.beginStep(surface, "Stroke", StepScope::Tiles);
        StrokeOnBuiltIn(state, surface);
        history.endStep();
    });
    Print("  same, recorded, fresh memory for the tiles", fresh);

    // One history, each stroke undone before the next: the new step reuses the tiles of
    // the step it drops, as it does once the history is at its limit.
    UndoHistory history;
    const Timing recycled = Time(15, [&] {
        history.undo(surface);
        reset();
    }, [&] {
        history.beginStep(surface, "Stroke", StepScope::Tiles);
        StrokeOnBuiltIn(state, surface);
        history.endStep();
    });
    Print("  same, recorded, tiles recycled from dropped steps", recycled);
    std::printf("  recorded / plain (median): %.2fx fresh, %.2fx recycled (goal: at most 1.5x); "
                "%zu bytes kept by one stroke\n",
                fresh.median / plain.median, recycled.median / plain.median, history.bytes());
}

void BenchBlur()
{
    const Picture original = GradientPicture(4096, 4096);
    EditorState state;
    state.gridSize = 300;
    state.imageWidth = state.imageHeight = 4096;
    state.stepX = state.stepY = 4096.0 / 300;
    ImageSurface surface;
    auto reset = [&] { surface.putPicture(original); };

    // Each run times the blur alone and then the blur recorded, one after the other, so
    // that both see the same load on a shared machine. The first eight snapshots take
    // fresh memory; from then on the history is at its limit and each new snapshot
    // reuses the buffer of the step it drops.
    std::vector<double> plain, fresh, recycled;
    UndoHistory history;
    for (int run = 0; run < 20; ++run) {
        reset();
        auto start = Clock::now();
        BlurImage(state, surface);
        plain.push_back(MillisecondsSince(start));
        reset();
        start = Clock::now();
        history.beginStep(surface, "Blur", StepScope::WholePicture);
        BlurImage(state, surface);
        history.endStep();
        (run < 8 ? fresh : recycled).push_back(MillisecondsSince(start));
    }
    auto summary = [](std::vector<double> times) {
        std::sort(times.begin(), times.end());
        return Timing{times.front(), times[times.size() / 2]};
    };
    const Timing alone = summary(plain);
    const Timing inFresh = summary(fresh);
    const Timing inRecycled = summary(recycled);
    Print("BlurImage, grid 300, 4096 x 4096, no history", alone);
    Print("  same, recorded, snapshot in fresh memory", inFresh);
    Print("  same, recorded, snapshot in a recycled buffer", inRecycled);
    std::printf("  recorded / plain (median): %.2fx fresh, %.2fx recycled (goal: at most 1.3x); "
                "%zu steps kept, %.1f MiB\n",
                inFresh.median / alone.median, inRecycled.median / alone.median, history.size(),
                static_cast<double>(history.bytes()) / (1 << 20));

    // Undo and redo of the last blur against one copy of the picture's pixels.
    std::vector<std::uint32_t> copy(original.pixels.size(), 1u);
    const Timing memcpyTime = Time(9, [] {}, [&] {
        std::memcpy(copy.data(), surface.picture().pixels.data(), copy.size() * sizeof(std::uint32_t));
    });
    Rect told;
    surface.setChangeListener([&](const Rect& changed) { told = changed; });
    const Timing undo = Time(9, [&] { history.redo(surface); }, [&] { history.undo(surface); });
    const Timing redo = Time(9, [&] { history.undo(surface); }, [&] { history.redo(surface); });
    Print("memcpy of the 64 MiB of pixels", memcpyTime);
    Print("undo of that blur", undo);
    Print("redo of that blur", redo);
    std::printf("  undo / memcpy %.4fx, redo / memcpy %.4fx (goal: at most 2x each)\n",
                undo.median / memcpyTime.median, redo.median / memcpyTime.median);
}

void BenchManyStrokes()
{
    ImageSurface surface;
    surface.putPicture(GradientPicture(4096, 4096));
    EditorState state;
    state.drawing = true;
    state.nibSize = 10;
    UndoHistory history;
    std::size_t largest = 0;
    // The same 1,000 quick scribbles each time: the pointer moves up to 80 pixels
    // between reports.
    double lastStrokes = 0;  // the last 300, with the history at its limit
    auto strokes = [&](UndoHistory* recording) {
        unsigned seed = 12345;
        auto next = [&seed](int range) {
            seed = seed * 1103515245u + 12345u;
            return static_cast<int>((seed >> 8) % static_cast<unsigned>(range));
        };
        Clock::time_point lastStart;
        for (int stroke = 0; stroke < 1000; ++stroke) {
            if (stroke == 700)
                lastStart = Clock::now();
            int x = next(4096);
            int y = next(4096);
            if (recording)
                recording->beginStep(surface, "Stroke", StepScope::Tiles);
            for (int move = 0; move < 100; ++move) {
                x = std::clamp(x + next(161) - 80, 0, 4095);
                y = std::clamp(y + next(161) - 80, 0, 4095);
                PaintStep(state, surface, kMaroon, kLeftButton, x, y);
            }
            if (recording) {
                recording->endStep();
                largest = std::max(largest, recording->bytes());
            }
        }
        lastStrokes = MillisecondsSince(lastStart);
    };
    auto start = Clock::now();
    strokes(nullptr);
    const double plain = MillisecondsSince(start);
    const double plainLast = lastStrokes;
    start = Clock::now();
    strokes(&history);
    const double recorded = MillisecondsSince(start);
    const double recordedLast = lastStrokes;
    std::printf("1,000 strokes of 100 moves, nib 10, 4096 x 4096: history %.1f MiB after the last, at most "
                "%.1f MiB after any (limit %.0f MiB); %zu of 1,000 steps kept, the oldest dropped\n",
                static_cast<double>(history.bytes()) / (1 << 20), static_cast<double>(largest) / (1 << 20),
                static_cast<double>(history.limit()) / (1 << 20), history.size());
    std::printf("  per stroke: %.3f ms recorded, %.3f ms not; the last 300 (history at its limit, tiles "
                "recycled): %.3f ms recorded, %.3f ms not\n",
                recorded / 1000, plain / 1000, recordedLast / 300, plainLast / 300);
}

} // namespace

int main()
{
    BenchStroke();
    BenchBlur();
    BenchManyStrokes();
}
