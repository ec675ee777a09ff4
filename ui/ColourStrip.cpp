#include "ui/ColourStrip.h"

#include <QPainter>

ColourStrip::ColourStrip(ColourValue colour, QWidget* parent) : QWidget(parent), colour_(colour) {}

void ColourStrip::setColour(ColourValue colour)
{
    if (colour == colour_)
        return;
    colour_ = colour;
    repaint();
}

void ColourStrip::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    painter.fillRect(rect().adjusted(1, 1, -1, -1), QColor(RedOf(colour_), GreenOf(colour_), BlueOf(colour_)));
}
