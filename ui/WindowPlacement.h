#pragma once
#include <QSize>

class QWidget;

// Centres a top-level window on its screen by its outer size (frame included):
// (screen - outer) / 2 in each direction, truncated, and never off the top-left edge.
void CentreOnScreen(QWidget* window, QSize outerSize);

// The outer size of a window as far as it is known (the frame is known only once the
// window manager has framed it).
QSize OuterSize(const QWidget* window);

// Centres a window about to be shown for the first time by its outer size. The frame and
// title bar come from the window manager only after the window is shown, so the window
// is centred by its own size first and once more, by its outer size, as soon as the frame
// is known. Where the window manager reports no frame, the first centring stands.
void CentreOnScreenWhenFramed(QWidget* window);
