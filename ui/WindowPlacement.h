#pragma once
#include <QSize>

class QWidget;

// Centres a top-level window on its screen by its outer size (frame included):
// (screen - outer) / 2 in each direction, truncated, and never off the top-left edge.
void CentreOnScreen(QWidget* window, QSize outerSize);

// The outer size of a window as far as it is known (the frame is known only once the
// window manager has framed it).
QSize OuterSize(const QWidget* window);
