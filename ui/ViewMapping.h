#pragma once

// How the picture view maps its pixels to the picture's: the picture is drawn at `zoom`
// screen pixels a picture pixel, and the view's top-left pixel sits `scrollX`, `scrollY`
// zoomed pixels into it. Plain numbers, so the drawing, the mouse and the tests share one
// rule: view pixel v shows the picture pixel its left (or top) edge lies on.
struct ViewMapping {
    double zoom = 1.0;
    int scrollX = 0;
    int scrollY = 0;
    bool operator==(const ViewMapping&) const = default;
};

// The picture coordinate under view coordinate `view` (rounded down, so negative left of
// the picture), saturated to +-2^30 for pointers far outside.
int PictureCoordinate(int view, int scroll, double zoom);

// The first view coordinate whose picture coordinate is `picture` or more: where picture
// pixel `picture` starts on screen.
int ViewCoordinate(int picture, int scroll, double zoom);

// The view pixels `extent` picture pixels take at `zoom`: ceil(extent * zoom), at least
// one for a picture that has any extent, so a picture never vanishes at the smallest zoom.
int ZoomedExtent(int extent, double zoom);

// The view pixels [first, last) whose picture areas meet picture pixels [left, right):
// at zoom 1 and more, the pixels that show them; below 1 also the pixel whose average
// takes in `left`.
struct ViewSpan {
    int first = 0;
    int last = 0;
};
ViewSpan ViewSpanOf(int left, int right, int scroll, double zoom);
