// The window grows: the view with it, the strip stretched along the bottom edge, every
// control in its place from the strip's left end; it never gets smaller than at first.
#include "MainWindowFixture.h"

namespace {

using ClientAreaTest = MainWindowFixture;

struct Place {
    const char* name;
    QRect atFirstSize;
};

const Place kControls[] = {
    {"Label1", QRect(8, 300, 52, 13)},        {"SpeedButton1", QRect(252, 296, 25, 25)},
    {"SpeedButton2", QRect(280, 296, 25, 25)}, {"SpeedButton3", QRect(304, 296, 25, 25)},
    {"Label2", QRect(136, 300, 48, 13)},       {"EGridSize", QRect(68, 296, 41, 21)},
    {"UpDown1", QRect(109, 296, 15, 21)},      {"Button1", QRect(336, 296, 49, 25)},
    {"ENibSize", QRect(188, 296, 41, 21)},     {"UNibSize", QRect(229, 296, 15, 21)},
    {"UpDown2", QRect(384, 296, 16, 24)},
};

TEST_F(ClientAreaTest, TheViewGrowsAndTheStripStretchesAlongTheBottomButNeverBelowTheFirstSize)
{
    const QSize first = window->size();
    window->resize(200, 100);
    QApplication::processEvents();
    EXPECT_EQ(window->size(), first);
    window->resize(window->size() + QSize(200, 150));
    QApplication::processEvents();
    QWidget* client = window->centralWidget();
    ASSERT_EQ(client->size(), QSize(603, 473));
    EXPECT_EQ(canvasView->geometry(), QRect(0, 0, 603, 442));
    EXPECT_EQ(colourStrip->geometry(), QRect(0, 442, 597, 29));
    for (const Place& place : kControls) {
        SCOPED_TRACE(place.name);
        EXPECT_EQ(Find<QWidget>(client, place.name)->geometry(), place.atFirstSize.translated(0, 150));
    }
    EXPECT_EQ(imageView->geometry(), QRect(0, 0, 320, 200));
    const QImage shot = client->grab().toImage();
    EXPECT_EQ(shot.pixelColor(590, 460), QColor(128, 0, 0)) << "the strip reaches the right";
    EXPECT_EQ(shot.pixelColor(590, 400), QColor(0, 128, 128)) << "the view's teal above it";
    window->showMaximized();
    QApplication::processEvents();
    EXPECT_GT(client->width(), 603);
    EXPECT_EQ(colourStrip->geometry().bottom(), client->height() - 3);
}

}  // namespace
