#include "export/LineSimplification.h"

namespace {

// A slope num / den with den > 0.
struct Slope {
    long long num, den;
};

bool AtMost(Slope a, Slope b) { return a.num * b.den <= b.num * a.den; }

} // namespace

std::vector<int> SimplifyLine(const HeightField& field, LatticePoint from, LatticePoint to, int maxErrorThousandths)
{
    const int length = (to.c - from.c) + (to.r - from.r);
    const int stepC = to.c > from.c ? 1 : 0, stepR = to.r > from.r ? 1 : 0;
    const auto sum = [&](int k) -> long long { return field.at(from.c + k * stepC, from.r + k * stepR); };

    // Slopes and errors in thousandths of a sum, so the error is whole.
    std::vector<int> kept{0};
    int anchor = 0;
    while (anchor < length) {
        const long long start = 1000 * sum(anchor);
        bool bounded = false;  // whether lowest and highest hold any bound yet
        Slope lowest{0, 1}, highest{0, 1};
        int reach = anchor + 1;  // a piece to the next pixel has nothing in between to miss
        for (int x = anchor + 1; x <= length; ++x) {
            const long long rise = 1000 * sum(x) - start, run = 1000LL * (x - anchor);
            const Slope slope{rise, run};
            if (!bounded || (AtMost(lowest, slope) && AtMost(slope, highest)))
                reach = x;
            // From now on x lies between the start and any later end.
            const Slope low{rise - maxErrorThousandths, run}, high{rise + maxErrorThousandths, run};
            if (!bounded || AtMost(lowest, low))
                lowest = low;
            if (!bounded || AtMost(high, highest))
                highest = high;
            bounded = true;
            if (!AtMost(lowest, highest))
                break;
        }
        kept.push_back(reach);
        anchor = reach;
    }
    return kept;
}
