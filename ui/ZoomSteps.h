#pragma once

// The zooms the View menu and the wheel step through: powers of the square root of two
// from 1/64 to 32, step -12 being 1/64, step 0 100 % and step 10 32. Fit Picture may give
// any zoom in between.
constexpr int kSmallestZoomStep = -12;
constexpr int kLargestZoomStep = 10;
constexpr double kSmallestZoom = 1.0 / 64;
constexpr double kLargestZoom = 32.0;

// The zoom of a step; exact powers of two for even steps.
double ZoomOfStep(int step);

// The step nearest to a zoom (in the ratio between them), within the range.
int NearestZoomStep(double zoom);

// One step in or out from the step nearest to `zoom`; the range's end stays put.
double ZoomedIn(double zoom);
double ZoomedOut(double zoom);

// The largest zoom at which a picture of width x height fits a view of viewWidth x
// viewHeight, within the range (1 for an empty picture or view).
double FitZoom(int width, int height, int viewWidth, int viewHeight);

// A zoom brought into the range.
double ClampZoom(double zoom);
