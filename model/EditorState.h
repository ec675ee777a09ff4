#pragma once
#include <cstdint>
#include <string_view>

#include "model/HeightGrid.h"

class ImageSurface;

enum Tool : std::uint8_t { kPencil = 1, kEraser = 2, kBlurBrush = 3 };

// The program-wide editing and export settings. One instance lives for the whole run.
struct EditorState {
    std::int32_t GridSize = 50;
    double StepX = 6.4;
    double StepY = 4.0;
    std::int32_t ImageWidth = 320;
    std::int32_t ImageHeight = 200;
    ::HeightGrid HeightGrid;
    std::uint8_t CurrentTool = kPencil;
    bool Drawing = false;
    std::int32_t NibSize = 10;
    bool ExportBlackPlanes = true;
    bool ExportWhitePlanes = true;
};

// Tool, nib, drawing flag and export options to their start values. The caller
// (the main window) sets the two option check marks.
void InitDefaults(EditorState& state);

// Grid size 50, image size from the display, heights cleared, steps recomputed,
// not drawing. The caller (the main window) puts the product caption back.
void ResetGrid(EditorState& state, const ImageSurface& image);

// StepX and StepY from ImageWidth, ImageHeight and GridSize (nearest double).
void RecomputeSteps(EditorState& state);

// Reads a number box's text: leading blanks skipped, an optional sign, decimal
// digits up to the first other character; empty text gives 0. Never fails.
std::int32_t ReadNumberBox(std::string_view text);

// The grid-size box's change: GridSize from the text, capped at 300, steps recomputed.
void ApplyGridSizeText(EditorState& state, std::string_view text);
