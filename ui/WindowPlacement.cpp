#include "ui/WindowPlacement.h"

#include <QScreen>
#include <QWidget>

#include <algorithm>

void CentreOnScreen(QWidget* window, QSize outerSize)
{
    const QScreen* screen = window->screen();
    if (!screen)
        return;
    const QRect area = screen->geometry();
    const int left = std::max(0, (area.width() - outerSize.width()) / 2);
    const int top = std::max(0, (area.height() - outerSize.height()) / 2);
    window->move(area.left() + left, area.top() + top);
}

QSize OuterSize(const QWidget* window)
{
    return window->frameGeometry().size().expandedTo(window->size());
}
