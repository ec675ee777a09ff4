#include "export/ClosedSolid.h"

#include <algorithm>
#include <utility>

namespace {

struct BorderVertex {
    std::uint32_t number;  // in the surface
    LatticePoint at;
};

// Distance along the border counter-clockwise seen from above (X = -c, Y = r): down
// column 0, along the last row, up the last column, back along row 0.
long long PlaceOnBorder(LatticePoint p, int width, int height)
{
    const long long w = width - 1, h = height - 1;
    if (p.c == 0 && p.r < h)
        return p.r;
    if (p.r == h && p.c < w)
        return h + p.c;
    if (p.c == w && p.r > 0)
        return h + w + (h - p.r);
    return 2 * h + w + (w - p.c);
}

class SolidBuilder {
public:
    explicit SolidBuilder(ClosedSolid& solid) : solid_(solid), width_(solid.top.width), height_(solid.top.height) {}

    void build()
    {
        collectBorder();
        const auto first = static_cast<std::uint32_t>(solid_.top.vertexCount());
        for (std::size_t k = 0; k < border_.size(); ++k) {
            solid_.bottom.emplace_back(border_[k].at);
            bottomNumber_.push_back(first + static_cast<std::uint32_t>(k));
        }
        solid_.sideCorners.reserve(3 * (3 * border_.size() - 2));
        addWalls();
        addBottom();
    }

private:
    void collectBorder()
    {
        solid_.top.forEachVertex([&](std::uint32_t number, LatticePoint p) {
            if (p.c == 0 || p.r == 0 || p.c == width_ - 1 || p.r == height_ - 1)
                border_.push_back({number, p});
        });
        std::sort(border_.begin(), border_.end(), [&](const BorderVertex& a, const BorderVertex& b) {
            return PlaceOnBorder(a.at, width_, height_) < PlaceOnBorder(b.at, width_, height_);
        });
    }

    void add(std::uint32_t a, std::uint32_t b, std::uint32_t c)
    {
        solid_.sideCorners.insert(solid_.sideCorners.end(), {a, b, c});
    }

    // Walking the border counter-clockwise seen from above, the outside lies to the
    // right of each step p -> q; the surface holds the step p -> q, the wall q -> p.
    void addWalls()
    {
        for (std::size_t k = 0; k < border_.size(); ++k) {
            const std::size_t next = (k + 1) % border_.size();
            const std::uint32_t pTop = border_[k].number, qTop = border_[next].number;
            const std::uint32_t pLow = bottomNumber_[k], qLow = bottomNumber_[next];
            add(pLow, qLow, qTop);
            add(pLow, qTop, pTop);
        }
    }

    // Bottom vertex numbers along one side of the rectangle, in order of the other
    // coordinate.
    std::vector<std::size_t> side(bool column, int at) const
    {
        std::vector<std::size_t> found;
        for (std::size_t k = 0; k < border_.size(); ++k)
            if ((column ? border_[k].at.c : border_[k].at.r) == at)
                found.push_back(k);
        std::sort(found.begin(), found.end(), [&](std::size_t a, std::size_t b) {
            return column ? border_[a].at.r < border_[b].at.r : border_[a].at.c < border_[b].at.c;
        });
        return found;
    }

    // Clockwise seen from above, so it faces down: Cross > 0 in (c, r).
    void addBottomTriangle(std::size_t a, std::size_t b, std::size_t c)
    {
        if (Cross(border_[a].at, border_[b].at, border_[c].at) < 0)
            std::swap(b, c);
        add(bottomNumber_[a], bottomNumber_[b], bottomNumber_[c]);
    }

    // A fan over row 0 from the first point down column 0, a fan over the last row from
    // the last point up the last column, and a zigzag between the columns in between.
    // Every triangle has its corners on two different sides, so none is flat.
    void addBottom()
    {
        const std::vector<std::size_t> first = side(true, 0), last = side(true, width_ - 1);
        const std::vector<std::size_t> top = side(false, 0), foot = side(false, height_ - 1);
        const std::size_t topApex = first[1], footApex = last[last.size() - 2];
        for (std::size_t k = 0; k + 1 < top.size(); ++k)
            addBottomTriangle(topApex, top[k], top[k + 1]);
        for (std::size_t k = 0; k + 1 < foot.size(); ++k)
            addBottomTriangle(footApex, foot[k], foot[k + 1]);
        // Column 0 from topApex down to its foot, the last column from its top down to
        // footApex.
        std::size_t i = 1, j = 0;
        const std::size_t leftEnd = first.size() - 1, rightEnd = last.size() - 2;
        while (i < leftEnd || j < rightEnd) {
            const bool downLeft = j == rightEnd || (i < leftEnd && border_[first[i + 1]].at.r <= border_[last[j + 1]].at.r);
            if (downLeft) {
                addBottomTriangle(first[i], first[i + 1], last[j]);
                ++i;
            } else {
                addBottomTriangle(first[i], last[j], last[j + 1]);
                ++j;
            }
        }
    }

    ClosedSolid& solid_;
    int width_, height_;
    std::vector<BorderVertex> border_;
    std::vector<std::uint32_t> bottomNumber_;
};

} // namespace

ClosedSolid BuildClosedSolid(AdaptiveSurface top)
{
    ClosedSolid solid;
    solid.top = std::move(top);
    if (solid.top.triangleCount() == 0)
        return solid;
    SolidBuilder(solid).build();
    return solid;
}
