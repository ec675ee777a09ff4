#include "ui/ViewMapping.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kFarthest = 1 << 30;

}  // namespace

int PictureCoordinate(int view, int scroll, double zoom)
{
    const double at = std::floor((static_cast<double>(view) + scroll) / zoom);
    return static_cast<int>(std::clamp(at, -kFarthest, kFarthest));
}

int ViewCoordinate(int picture, int scroll, double zoom)
{
    // The product is a first guess; the division the mouse and the drawing use decides,
    // so that both agree at every edge, however the two roundings fall.
    const double guess = std::ceil(static_cast<double>(picture) * zoom - scroll);
    int view = static_cast<int>(std::clamp(guess, -kFarthest, kFarthest));
    while (PictureCoordinate(view - 1, scroll, zoom) >= picture && view > -(1 << 30))
        --view;
    while (PictureCoordinate(view, scroll, zoom) < picture && view < (1 << 30))
        ++view;
    return view;
}

int ZoomedExtent(int extent, double zoom)
{
    if (extent <= 0)
        return 0;
    // The smallest n with PictureCoordinate(n) >= extent, i.e. the first view pixel past
    // the picture's far edge.
    return std::max(1, ViewCoordinate(extent, 0, zoom));
}

ViewSpan ViewSpanOf(int left, int right, int scroll, double zoom)
{
    if (right <= left)
        return {};
    const int first = std::min(ViewCoordinate(left, scroll, zoom), ViewCoordinate(left + 1, scroll, zoom) - 1);
    return {first, ViewCoordinate(right, scroll, zoom)};
}
