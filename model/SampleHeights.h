#pragma once
#include "model/Colour.h"

struct EditorState;
class ImageSurface;

// (red + green + blue) / 3 of the converted colour, as the nearest double.
double PixelIntensity(ColourValue colour);

// Recomputes the steps and samples GridSize x GridSize heights from the image.
// Throws EditorError when the picture is not a bitmap, before any height changes.
void SampleHeights(EditorState& state, const ImageSurface& image);

// Round(i * step) with the product formed exactly (64-bit significand), halves to even.
long long RoundProduct(int index, double step);
