#include "ui/ZoomSteps.h"

#include <algorithm>
#include <cmath>

#include "ui/ViewMapping.h"

double ZoomOfStep(int step)
{
    step = std::clamp(step, kSmallestZoomStep, kLargestZoomStep);
    // step >> 1 rounds down also for odd negative steps: -1 is 1/2 * sqrt 2.
    const double power = std::ldexp(1.0, step >> 1);
    return (step & 1) ? power * std::sqrt(2.0) : power;
}

int NearestZoomStep(double zoom)
{
    if (!(zoom > 0))
        return 0;
    const double step = std::round(2 * std::log2(zoom));
    return static_cast<int>(std::clamp(step, double(kSmallestZoomStep), double(kLargestZoomStep)));
}

double ZoomedIn(double zoom)
{
    return ZoomOfStep(NearestZoomStep(zoom) + 1);
}

double ZoomedOut(double zoom)
{
    return ZoomOfStep(NearestZoomStep(zoom) - 1);
}

double ClampZoom(double zoom)
{
    if (!(zoom > 0))
        return 1.0;
    return std::clamp(zoom, kSmallestZoom, kLargestZoom);
}

double FitZoom(int width, int height, int viewWidth, int viewHeight)
{
    if (width <= 0 || height <= 0 || viewWidth <= 0 || viewHeight <= 0)
        return 1.0;
    double zoom = ClampZoom(std::min(double(viewWidth) / width, double(viewHeight) / height));
    // The quotient may round a hair above the fit; the zoomed size decides.
    while (zoom > kSmallestZoom && (ZoomedExtent(width, zoom) > viewWidth || ZoomedExtent(height, zoom) > viewHeight))
        zoom = std::max(kSmallestZoom, std::nextafter(zoom, 0.0));
    return zoom;
}
