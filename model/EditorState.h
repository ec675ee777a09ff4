#pragma once
#include <cstdint>
#include <string_view>

#include "model/HeightGrid.h"
#include "model/SolidSettings.h"

class ImageSurface;

// The painting tool; the numbers are the ones the tool buttons have always stored.
enum class Tool : std::uint8_t { Pencil = 1, Eraser, BlurBrush };

// The program-wide editing and export settings. One instance lives for the whole run.
struct EditorState {
    std::int32_t gridSize = 50;
    double stepX = 6.4;
    double stepY = 4.0;
    std::int32_t imageWidth = 320;
    std::int32_t imageHeight = 200;
    HeightGrid heights;
    Tool currentTool = Tool::Pencil;
    bool drawing = false;
    std::int32_t nibSize = 10;
    bool exportBlackPlanes = true;
    bool exportWhitePlanes = true;
    // Kept for the session: no reset or default touches them after start-up.
    SolidSettings solid;
};

// Tool, nib, drawing flag and export options to their start values. The caller
// (the main window) sets the two option check marks.
void InitDefaults(EditorState& state);

// Grid size 50, image size from the display, heights cleared, steps recomputed,
// not drawing. The caller (the main window) puts the product caption back.
void ResetGrid(EditorState& state, const ImageSurface& surface);

// StepX and StepY from ImageWidth, ImageHeight and GridSize (nearest double).
void RecomputeSteps(EditorState& state);

// Reads a number box's text: leading blanks skipped, an optional sign, decimal
// digits up to the first other character; empty text gives 0. Never fails.
std::int32_t ReadNumberBox(std::string_view text);

// The grid-size box's change: GridSize from the text, capped at the largest grid
// (kLargestGridSize), steps recomputed.
void ApplyGridSizeText(EditorState& state, std::string_view text);
