#pragma once
#include <QObject>
#include <QPoint>
#include <QString>

#include <optional>

class ImageSurface;
class QLabel;
class QStatusBar;

// The status bar's read-out of the picture under the pointer: the pixel's picture
// coordinates ("12, 34"), its height as the channel sum out of 765 ("383/765") and in
// the exported mesh's units with two decimals ("5.11"), and the zoom ("25%"). Off the
// picture only the zoom shows; a picture without pixels (an icon, a metafile, unusable
// bitmap pixels) shows no heights.
class CanvasStatus : public QObject {
    Q_OBJECT
public:
    // Adds its labels to `bar`.
    explicit CanvasStatus(QStatusBar* bar);

    void show(const std::optional<QPoint>& pixel, const ImageSurface& surface, double zoom);

    // The texts, one rule each.
    static QString PositionText(QPoint pixel);
    static QString SumText(int channelSum);
    static QString HeightText(int channelSum);
    // The zoom as a percentage of at most three significant digits, but whole from 100 %
    // up, trailing zeros dropped: "3200%", "141%", "70.7%", "25%", "8.84%", "1.56%".
    static QString ZoomText(double zoom);

private:
    QLabel* position_;
    QLabel* sum_;
    QLabel* height_;
    QLabel* zoom_;
};
