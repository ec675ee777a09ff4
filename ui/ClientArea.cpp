#include "ui/ClientArea.h"

ClientArea::ClientArea(QSize firstSize, QWidget* parent) : QWidget(parent), firstSize_(firstSize)
{
    setMinimumSize(firstSize);
    resize(firstSize);
}

void ClientArea::keepPlaces(QWidget* strip, QWidget* view)
{
    strip_ = strip;
    stripAtFirstSize_ = strip->geometry();
    view_ = view;
    controls_.clear();
    for (QWidget* child : findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
        if (child != strip && child != view)
            controls_.append({child, child->geometry()});
    layOut();
}

void ClientArea::resizeEvent(QResizeEvent*)
{
    layOut();
}

void ClientArea::layOut()
{
    if (!strip_)
        return;
    const int down = height() - firstSize_.height();
    const int across = width() - firstSize_.width();
    const QRect strip = stripAtFirstSize_.translated(0, down).adjusted(0, 0, across, 0);
    strip_->setGeometry(strip);
    for (const Place& place : controls_)
        place.widget->setGeometry(place.atFirstSize.translated(0, down));
    view_->setGeometry(0, 0, width(), strip.top());
}
