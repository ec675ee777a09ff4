#pragma once
#include <QWidget>

#include "model/Colour.h"

// Shape1: a rectangle filled with the drawing colour inside a one-pixel black line.
// The strip is the drawing colour's only home.
class ColourStrip : public QWidget {
    Q_OBJECT
public:
    ColourStrip(ColourValue colour, QWidget* parent = nullptr);

    ColourValue colour() const { return colour_; }
    // Repaints at once, so the new colour shows even inside a long key repeat.
    void setColour(ColourValue colour);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    ColourValue colour_;
};
