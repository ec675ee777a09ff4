#pragma once
#include <QList>
#include <QRect>
#include <QWidget>

// The main window's client area: the window's teal, at least its first size, with the
// picture view above the strip of controls. When the area grows, the view grows with it,
// the strip stretches across along the bottom edge, and every other control keeps its
// place from the strip's left end, as it was laid out at the first size.
class ClientArea : public QWidget {
    Q_OBJECT
public:
    explicit ClientArea(QSize firstSize, QWidget* parent = nullptr);

    QSize sizeHint() const override { return firstSize_; }
    QSize minimumSizeHint() const override { return firstSize_; }

    // The strip, its controls placed at the first size, and the view filling the area
    // above it; call once they are all in place.
    void keepPlaces(QWidget* strip, QWidget* view);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void layOut();

    struct Place {
        QWidget* widget;
        QRect atFirstSize;
    };
    QSize firstSize_;
    QWidget* strip_ = nullptr;
    QRect stripAtFirstSize_;
    QWidget* view_ = nullptr;
    QList<Place> controls_;
};
