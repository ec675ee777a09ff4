// Drawing the picture at any zoom: sharp squares zoomed in, the exact mean of the covered
// picture pixels zoomed out (the one-pixel checkerboard an even grey), and only the view
// pixels asked for.
#include <QImage>
#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "tests/support/PictureBuilder.h"
#include "ui/CanvasRenderer.h"
#include "ui/ZoomSteps.h"

namespace {

QRgb Rgb32(ColourValue c)
{
    return qRgb(RedOf(c), GreenOf(c), BlueOf(c));
}

ColourValue At(const Picture& picture, int x, int y)
{
    return picture.pixels[static_cast<std::size_t>(y) * picture.width + x] & 0xFFFFFFu;
}

// The picture drawn whole at a zoom and scroll, into a view of the size given.
QImage Draw(CanvasRenderer& renderer, const Picture& picture, const ViewMapping& mapping, QSize view)
{
    return renderer.render(picture, mapping, QRect(QPoint(0, 0), view)).copy();
}

// What view pixel (vx, vy) must show, worked out in doubles: its area,
// [(v + s) / z, (v + s + 1) / z) across and down, clipped to the picture, over the
// level-k blocks of 2^k x 2^k picture pixels, each block's exact mean weighted by the
// part of the block covered. Level 0 is the picture itself: the area's exact mean.
std::array<double, 3> AreaMean(const Picture& picture, const ViewMapping& m, int k, int vx, int vy)
{
    const double side = std::ldexp(1.0, k);
    const double x0 = std::max(0.0, (vx + m.scrollX) / m.zoom), x1 = std::min(double(picture.width), (vx + m.scrollX + 1) / m.zoom);
    const double y0 = std::max(0.0, (vy + m.scrollY) / m.zoom), y1 = std::min(double(picture.height), (vy + m.scrollY + 1) / m.zoom);
    std::array<double, 3> sum{};
    double area = 0;
    for (int by = static_cast<int>(y0 / side); by * side < y1; ++by)
        for (int bx = static_cast<int>(x0 / side); bx * side < x1; ++bx) {
            const double left = bx * side, right = std::min((bx + 1) * side, double(picture.width));
            const double top = by * side, bottom = std::min((by + 1) * side, double(picture.height));
            const double w = (std::min(right, x1) - std::max(left, x0)) * (std::min(bottom, y1) - std::max(top, y0));
            std::array<double, 3> block{};
            int count = 0;
            for (int y = static_cast<int>(top); y < bottom; ++y)
                for (int x = static_cast<int>(left); x < right; ++x, ++count) {
                    const ColourValue c = At(picture, x, y);
                    block[0] += RedOf(c);
                    block[1] += GreenOf(c);
                    block[2] += BlueOf(c);
                }
            for (int i = 0; i < 3; ++i)
                sum[i] += w * block[i] / count;
            area += w;
        }
    for (double& s : sum)
        s /= area;
    return sum;
}

TEST(CanvasRenderer, ZoomedInEachPictureIsASharpSquare)
{
    const Picture picture = NoisePicture(40, 30);
    CanvasRenderer renderer;
    const ViewMapping mapping{4.0, 5, 3};
    const QImage frame = Draw(renderer, picture, mapping, QSize(100, 80));
    for (int y = 0; y < 80; ++y)
        for (int x = 0; x < 100; ++x)
            ASSERT_EQ(frame.pixel(x, y), Rgb32(At(picture, (x + 5) / 4, (y + 3) / 4))) << x << ", " << y;
}

// Zoomed out, within one step of rounding of the area's mean, at every step below 100 %
// and at zooms Fit Picture may give; exactly a block's mean at 1/2^k. Between 1/2^(k+1)
// and 1/2^k the area is made of level k's blocks, cut where it ends: the exact mean of
// the pixels covered above 50 %, further out the mean to within the blocks at its edges.
TEST(CanvasRenderer, ZoomedOutEachViewPixelIsTheMeanOfTheAreaItCovers)
{
    const Picture picture = NoisePicture(301, 203, 5);
    for (const double zoom : {0.7071067811865476, 0.5, 0.35355339059327373, 0.1767766952966369, 0.125, 0.6123,
                              0.3019, 0.0711, 1.0 / 64}) {
        for (const QPoint scroll : {QPoint(0, 0), QPoint(3, 1)}) {
            CanvasRenderer renderer;
            const ViewMapping mapping{zoom, scroll.x(), scroll.y()};
            const QSize view(ZoomedExtent(301, zoom) - scroll.x(), ZoomedExtent(203, zoom) - scroll.y());
            const QImage frame = Draw(renderer, picture, mapping, view);
            const int level = CanvasRenderer::LevelFor(zoom);
            const bool block = std::ldexp(zoom, level) == 1.0;
            int worst = 0;
            for (int y = 0; y < view.height(); ++y)
                for (int x = 0; x < view.width(); ++x) {
                    const std::array<double, 3> mean = AreaMean(picture, mapping, level, x, y);
                    const QRgb drawn = frame.pixel(x, y);
                    for (const auto& [value, expected] : {std::pair{qRed(drawn), mean[0]}, {qGreen(drawn), mean[1]},
                                                          {qBlue(drawn), mean[2]}}) {
                        const double off = std::abs(value - expected);
                        worst = std::max(worst, static_cast<int>(std::ceil(off - 0.5)));
                    }
                }
            // Block means are rounded once; weighted areas once more, in two passes.
            EXPECT_LE(worst, block ? 0 : 1) << "zoom " << zoom << " scroll " << scroll.x();
        }
    }
}

TEST(CanvasRenderer, TheCheckerboardIsAnEvenGreyAtAQuarterAndNeverBlackOrWhiteBelowActual)
{
    const Picture board = Checkerboard(256, 192);
    {
        CanvasRenderer renderer;
        const QImage quarter = Draw(renderer, board, {0.25, 0, 0}, QSize(64, 48));
        for (int y = 0; y < 48; ++y)
            for (int x = 0; x < 64; ++x)
                ASSERT_EQ(quarter.pixel(x, y), qRgb(128, 128, 128)) << x << ", " << y;
    }
    for (int step = kSmallestZoomStep; step < 0; ++step) {
        CanvasRenderer renderer;
        const double zoom = ZoomOfStep(step);
        // Whole view pixels only: a sliver at the far edge covers a single column.
        const QSize view(static_cast<int>(256 * zoom), static_cast<int>(192 * zoom));
        const QImage frame = Draw(renderer, board, {zoom, 0, 0}, view);
        int darkest = 255, lightest = 0;
        for (int y = 0; y < view.height(); ++y)
            for (int x = 0; x < view.width(); ++x) {
                darkest = std::min(darkest, qRed(frame.pixel(x, y)));
                lightest = std::max(lightest, qRed(frame.pixel(x, y)));
            }
        // Only at 70.7 % does a view pixel cover few enough squares to lean either way:
        // at worst half a white pixel's worth, 0.41 or 0.59 of white.
        const int spread = step == -1 ? 25 : 0;
        EXPECT_GE(darkest, 127 - spread) << "step " << step;
        EXPECT_LE(lightest, 128 + spread) << "step " << step;
    }
}

TEST(CanvasRenderer, AnAreaComesBackFromItsTopLeftCornerBlackOffThePicture)
{
    const Picture picture = NoisePicture(64, 64);
    CanvasRenderer renderer;
    const ViewMapping mapping{2.0, 10, 6};
    const QImage whole = Draw(renderer, picture, mapping, QSize(140, 140));
    const QImage part = renderer.render(picture, mapping, QRect(4, 5, 6, 7)).copy();
    ASSERT_EQ(part.size(), QSize(6, 7));
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 6; ++x)
            ASSERT_EQ(part.pixel(x, y), whole.pixel(x + 4, y + 5)) << x << ", " << y;
    // The zoomed picture ends at view pixel 128 - 10 across.
    EXPECT_EQ(whole.pixel(117, 20), Rgb32(At(picture, 63, 13)));
    EXPECT_EQ(whole.pixel(118, 20), qRgb(0, 0, 0));
}

}  // namespace
