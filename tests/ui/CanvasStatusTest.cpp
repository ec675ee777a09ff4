// View › Status Bar: its texts, one rule each, and the read-out of the pixel under the
// pointer as it moves, as the picture changes and off the picture.
#include <QStatusBar>

#include <cmath>

#include "MainWindowFixture.h"
#include "tests/support/PictureBuilder.h"
#include "ui/CanvasStatus.h"
#include "ui/ZoomSteps.h"

namespace {

struct TextRow {
    const char* name;
    QString text;
    QString expected;
};

class StatusText : public ::testing::TestWithParam<TextRow> {};

TEST_P(StatusText, ReadsAsDesigned)
{
    EXPECT_EQ(GetParam().text, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, StatusText,
    ::testing::Values(TextRow{"Position", CanvasStatus::PositionText({319, 7}), "319, 7"},
                      TextRow{"Sum", CanvasStatus::SumText(383), "383/765"},
                      TextRow{"HeightOfBlack", CanvasStatus::HeightText(0), "0.00"},
                      TextRow{"HeightOfOneSum", CanvasStatus::HeightText(1), "0.01"},
                      TextRow{"Height", CanvasStatus::HeightText(383), "5.11"},
                      TextRow{"HeightBelowTheTop", CanvasStatus::HeightText(764), "10.19"},
                      TextRow{"HeightOfWhite", CanvasStatus::HeightText(765), "10.20"},
                      TextRow{"ZoomLargest", CanvasStatus::ZoomText(32.0), "3200%"},
                      TextRow{"ZoomOddStepAboveActual", CanvasStatus::ZoomText(ZoomOfStep(9)), "2263%"},
                      TextRow{"ZoomRootTwo", CanvasStatus::ZoomText(ZoomOfStep(1)), "141%"},
                      TextRow{"ZoomAHairBelowActual", CanvasStatus::ZoomText(0.9996), "100%"},
                      TextRow{"ZoomJustBelowActual", CanvasStatus::ZoomText(0.9994), "99.9%"},
                      TextRow{"ZoomOneStepOut", CanvasStatus::ZoomText(ZoomOfStep(-1)), "70.7%"},
                      TextRow{"ZoomQuarter", CanvasStatus::ZoomText(0.25), "25%"},
                      TextRow{"ZoomSeventhStepOut", CanvasStatus::ZoomText(ZoomOfStep(-7)), "8.84%"},
                      TextRow{"ZoomSmallest", CanvasStatus::ZoomText(1.0 / 64), "1.56%"},
                      TextRow{"ZoomFitted", CanvasStatus::ZoomText(0.11), "11%"}),
    [](const auto& info) { return std::string(info.param.name); });

class CanvasStatusTest : public MainWindowFixture {
protected:
    void SetUp() override
    {
        MainWindowFixture::SetUp();
        bar = Find<QStatusBar>(window, "StatusBar1");
        item = Find<QAction>(window, "ShowStatusBar1");
    }

    QString Text(const char* label) { return Find<QLabel>(bar, label)->text(); }

    void MoveTo(QPoint at, Qt::MouseButtons held = Qt::NoButton)
    {
        QMouseEvent move(QEvent::MouseMove, QPointF(at), imageView->mapToGlobal(QPointF(at)), Qt::NoButton, held,
                         Qt::NoModifier);
        QApplication::sendEvent(imageView, &move);
    }

    void ExpectOnlyTheZoom(const QString& zoom)
    {
        EXPECT_EQ(Text("StatusPosition"), "");
        EXPECT_EQ(Text("StatusSum"), "");
        EXPECT_EQ(Text("StatusHeight"), "");
        EXPECT_EQ(Text("StatusZoom"), zoom);
    }

    QStatusBar* bar = nullptr;
    QAction* item = nullptr;
};

TEST_F(CanvasStatusTest, IsOffAtStartAndTheItemShowsItBelowTheStrip)
{
    EXPECT_FALSE(bar->isVisible());
    const int height = window->height();
    item->trigger();
    EXPECT_TRUE(bar->isVisible());
    EXPECT_TRUE(item->isChecked());
    QApplication::processEvents();
    EXPECT_EQ(window->centralWidget()->size(), QSize(403, 323)) << "the window grows instead";
    EXPECT_GT(window->height(), height);
    EXPECT_GE(bar->geometry().top(), window->centralWidget()->geometry().bottom());
    item->trigger();
    EXPECT_FALSE(bar->isVisible());
    EXPECT_FALSE(item->isChecked());
}

TEST_F(CanvasStatusTest, ReadsThePixelUnderThePointerAndTheZoom)
{
    item->trigger();
    surface().putPicture(MakePicture(320, 200, MakeColour(128, 128, 127), {{31, 22, kWhite}}));
    MoveTo(QPoint(12, 34));
    EXPECT_EQ(Text("StatusPosition"), "12, 34");
    EXPECT_EQ(Text("StatusSum"), "383/765");
    EXPECT_EQ(Text("StatusHeight"), "5.11");
    EXPECT_EQ(Text("StatusZoom"), "100%");
    // Zoomed about the view's centre, the same pointer is over another pixel.
    Find<QAction>(window, "ZoomIn1")->trigger();
    const QPoint scroll = canvasView->scrollPosition();
    const QPoint pixel(static_cast<int>((12 + scroll.x()) / std::sqrt(2.0)),
                       static_cast<int>((34 + scroll.y()) / std::sqrt(2.0)));
    EXPECT_EQ(Text("StatusPosition"), CanvasStatus::PositionText(pixel));
    EXPECT_EQ(Text("StatusZoom"), "141%");
    Find<QAction>(window, "ActualPixels1")->trigger();
    MoveTo(QPoint(31, 22));
    EXPECT_EQ(Text("StatusSum"), "765/765");
    EXPECT_EQ(Text("StatusHeight"), "10.20");
    // And after every change of the picture, once the command has returned.
    surface().setBrushColour(kBlack);
    surface().fillRect(30, 20, 40, 30);
    QApplication::processEvents();
    EXPECT_EQ(Text("StatusSum"), "0/765");
    EXPECT_EQ(Text("StatusHeight"), "0.00");
}

TEST_F(CanvasStatusTest, OffThePictureOnlyTheZoomShows)
{
    item->trigger();
    MoveTo(QPoint(10, 10));
    ASSERT_EQ(Text("StatusPosition"), "10, 10");
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(imageView, &leave);
    ExpectOnlyTheZoom("100%");
    // A stroke held outside the picture: the pointer is still the view's, but over no pixel.
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), imageView->mapToGlobal(QPointF(5, 5)), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(imageView, &press);
    MoveTo(QPoint(-30, 20), Qt::LeftButton);
    ExpectOnlyTheZoom("100%");
    MoveTo(QPoint(350, 20), Qt::LeftButton);
    ExpectOnlyTheZoom("100%");
    MoveTo(QPoint(319, 199), Qt::LeftButton);
    EXPECT_EQ(Text("StatusPosition"), "319, 199");
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(319, 199), imageView->mapToGlobal(QPointF(319, 199)),
                        Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(imageView, &release);
}

TEST_F(CanvasStatusTest, APictureWithoutPixelsShowsNoHeights)
{
    item->trigger();
    Picture icon;
    icon.kind = PictureKind::Icon;
    icon.width = icon.height = 32;
    surface().putPicture(icon);
    MoveTo(QPoint(3, 4));
    EXPECT_EQ(Text("StatusPosition"), "3, 4");
    EXPECT_EQ(Text("StatusSum"), "");
    EXPECT_EQ(Text("StatusHeight"), "");
    EXPECT_EQ(imageView->outline(), std::nullopt) << "no square would be filled";
}

}  // namespace
