#include "export/MeshingProgress.h"

#include <algorithm>

void ProgressMeter::report(double fraction)
{
    const double whole = stageFrom_ + std::clamp(fraction, 0.0, 1.0) * (stageTo_ - stageFrom_);
    reported_ = std::max(reported_, std::min(whole, 1.0));
    if (callback_ && !callback_(reported_))
        throw MeshingCancelled();
}
