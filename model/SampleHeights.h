#pragma once
#include "model/Colour.h"

struct EditorState;
class ImageSurface;
class MeshHeights;

// (red + green + blue) / 3 of the converted colour, as the nearest double.
double PixelIntensity(ColourValue colour);

// Recomputes the steps and samples GridSize x GridSize heights from the surface into the
// state's height grid, as every export does.
// Throws EditorError when the picture is not a bitmap, before any height changes.
void SampleHeights(EditorState& state, const ImageSurface& surface);

// The same sampling for a mesh of the state's grid size, into heights of its own, with
// the state left as it is: columns and rows 1..GridSize sampled, column GridSize + 1 as
// the state's grid holds it (an earlier, larger sampling may have left heights there),
// everything else 0.0. The heights then equal those an export would write.
// Throws EditorError as above, with heights unspecified.
void SampleHeights(const EditorState& state, const ImageSurface& surface, MeshHeights& heights);

// Round(i * step) with the product formed exactly (64-bit significand), halves to even.
long long RoundProduct(int index, double step);
