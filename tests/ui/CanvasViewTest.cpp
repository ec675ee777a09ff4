// The picture view in the main window: the View menu's zoom items and their keys, the
// scroll bars, the wheel and the middle button, the zoom after New, Load and Import,
// painting through the zoom, the brush outline, and the pyramid kept equal to a fresh one.
#include <QMenu>
#include <QScrollBar>
#include <QWheelEvent>

#include <cmath>

#include "MainWindowFixture.h"
#include "files/BmpWriter.h"
#include "paint/DrawingColour.h"
#include "tests/support/AllocationCount.h"
#include "tests/support/DoubleClick.h"
#include "tests/support/PictureBuilder.h"
#include "tests/support/TempFolder.h"
#include "ui/ViewMapping.h"
#include "ui/ZoomSteps.h"

namespace {

const double kRootTwo = std::sqrt(2.0);

void Settle()
{
    for (int pass = 0; pass < 3; ++pass)
        QApplication::processEvents();
}

// Mouse and wheel events as the platform delivers them, buttons and keys held included:
// marked as coming from the window system, so that what a widget leaves goes on to its
// parents.
void Mouse(QWidget* widget, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held,
           Qt::KeyboardModifiers modifiers = {})
{
    QMouseEvent event(type, QPointF(at), widget->mapToGlobal(QPointF(at)), button, held, modifiers);
    QSpontaneKeyEvent::setSpontaneous(&event);
    QApplication::sendEvent(widget, &event);
}

void Wheel(QWidget* widget, QPoint at, QPoint angle, QPoint pixels = {}, Qt::KeyboardModifiers modifiers = {})
{
    QWheelEvent event(QPointF(at), widget->mapToGlobal(QPointF(at)), pixels, angle, Qt::NoButton, modifiers,
                      Qt::NoScrollPhase, false);
    QSpontaneKeyEvent::setSpontaneous(&event);
    QApplication::sendEvent(widget, &event);
}

class CanvasViewTest : public MainWindowFixture {
protected:
    QAction* Item(const char* name) { return Find<QAction>(window, name); }
    QScrollBar* Across() { return canvasView->horizontalScrollBar(); }
    QScrollBar* Down() { return canvasView->verticalScrollBar(); }

    void Put(Picture picture)
    {
        surface().putPicture(std::move(picture));
        QApplication::processEvents();
    }

    // The picture point under view point `at`, in picture pixels, not rounded.
    QPointF PointUnder(QPointF at) const
    {
        const QPoint scroll = canvasView->scrollPosition();
        return (at + QPointF(scroll)) / canvasView->zoom();
    }

    // Where picture pixel `p` shows in the view: its first view pixel, plus `into` inside it.
    QPoint ViewPointOf(QPoint p, int into = 0) const
    {
        const QPoint scroll = canvasView->scrollPosition();
        const double zoom = canvasView->zoom();
        return {ViewCoordinate(p.x(), scroll.x(), zoom) + into, ViewCoordinate(p.y(), scroll.y(), zoom) + into};
    }

    void Stroke(const std::vector<QPoint>& viewPoints)
    {
        Mouse(imageView, QEvent::MouseButtonPress, viewPoints.front(), Qt::LeftButton, Qt::LeftButton);
        for (const QPoint& at : viewPoints)
            Mouse(imageView, QEvent::MouseMove, at, Qt::NoButton, Qt::LeftButton);
        Mouse(imageView, QEvent::MouseButtonRelease, viewPoints.back(), Qt::LeftButton, Qt::NoButton);
    }

    TempFolder temp;
};

// ---- The View menu and its keys ------------------------------------------------------------

TEST_F(CanvasViewTest, TheViewMenuHasTheZoomItemsAndTheStatusBarAfterThePreview)
{
    QMenu* view = Find<QAction>(window, "View1")->menu();
    QStringList items;
    for (QAction* item : view->actions())
        items << (item->isSeparator() ? QStringLiteral("-") : item->text());
    EXPECT_EQ(items, QStringList({"3D &Preview", "-", "Zoom &In", "Zoom &Out", "&Fit Picture", "&Actual Pixels", "-",
                                  "&Status Bar"}));
    EXPECT_EQ(Item("ZoomIn1")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Equal)) << "the keys: ZoomKeys below";
    EXPECT_FALSE(Item("ShowStatusBar1")->isChecked());
    EXPECT_EQ(canvasView->focusPolicy(), Qt::NoFocus);
}

struct KeyRow {
    const char* name;
    std::vector<std::pair<Qt::Key, Qt::KeyboardModifiers>> keys;
    double zoom;
    ColourValue colour;
};

class ZoomKeys : public MainWindowFixture, public ::testing::WithParamInterface<KeyRow> {};

// The main keyboard's keys zoom; the keypad's plus and minus step the drawing colour,
// with Ctrl too, and never zoom.
TEST_P(ZoomKeys, ZoomOrStepTheColourAsTheyAlwaysHave)
{
    for (const auto& [key, modifiers] : GetParam().keys) {
        ASSERT_NE(QApplication::focusWidget(), nullptr);
        QTest::keyClick(QApplication::focusWidget(), key, modifiers);
    }
    EXPECT_DOUBLE_EQ(canvasView->zoom(), GetParam().zoom);
    EXPECT_EQ(drawingColour(), GetParam().colour);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, ZoomKeys,
    ::testing::Values(
        KeyRow{"CtrlEqualZoomsIn", {{Qt::Key_Equal, Qt::ControlModifier}}, kRootTwo, kMaroon},
        KeyRow{"CtrlPlusZoomsIn", {{Qt::Key_Plus, Qt::ControlModifier}}, kRootTwo, kMaroon},
        KeyRow{"CtrlMinusZoomsOut", {{Qt::Key_Minus, Qt::ControlModifier}}, 1 / kRootTwo, kMaroon},
        KeyRow{"CtrlZeroFits", {{Qt::Key_0, Qt::ControlModifier}}, FitZoom(320, 200, 403, 292), kMaroon},
        KeyRow{"CtrlOneGoesBackToActual",
               {{Qt::Key_Minus, Qt::ControlModifier}, {Qt::Key_Minus, Qt::ControlModifier}, {Qt::Key_1, Qt::ControlModifier}},
               1.0, kMaroon},
        KeyRow{"KeypadPlusWithCtrlBrightens", {{Qt::Key_Plus, Qt::KeypadModifier | Qt::ControlModifier}}, 1.0,
               BrightenStep(kMaroon)},
        KeyRow{"KeypadMinusWithCtrlDarkens", {{Qt::Key_Minus, Qt::KeypadModifier | Qt::ControlModifier}}, 1.0,
               DarkenStep(kMaroon)},
        KeyRow{"KeypadPlusBrightens", {{Qt::Key_Plus, Qt::KeypadModifier}}, 1.0, BrightenStep(kMaroon)}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- Fit, Actual Pixels and the scroll bars ----------------------------------------------------

TEST_F(CanvasViewTest, FitShowsTheWholePictureAndActualPixelsKeepsThePointAtTheCentre)
{
    Put(NoisePicture(2000, 1500));
    Item("FitPicture1")->trigger();
    EXPECT_EQ(canvasView->zoom(), FitZoom(2000, 1500, 403, 292));
    EXPECT_EQ(imageView->size(), QSize(ZoomedExtent(2000, canvasView->zoom()), 292));
    Item("ZoomIn1")->trigger();
    Item("ZoomIn1")->trigger();
    const QPointF centre = QRectF(canvasView->viewport()->rect()).center();
    const QPointF before = PointUnder(centre);
    Item("ActualPixels1")->trigger();
    EXPECT_EQ(canvasView->zoom(), 1.0);
    const QPointF after = PointUnder(centre);
    EXPECT_NEAR(after.x(), before.x(), 0.5);
    EXPECT_NEAR(after.y(), before.y(), 0.5);
}

struct BarsRow {
    const char* name;
    int width, height;
    int zoomIns;
    bool across, down;
};

class ScrollBars : public CanvasViewTest, public ::testing::WithParamInterface<BarsRow> {};

// A bar only while the zoomed picture does not fit; one bar's room can call for the other.
TEST_P(ScrollBars, ShowOnlyWhileTheZoomedPictureDoesNotFit)
{
    const BarsRow& row = GetParam();
    Put(MakePicture(row.width, row.height, kWhite));
    for (int k = 0; k < row.zoomIns; ++k)
        Item("ZoomIn1")->trigger();
    Settle();
    EXPECT_EQ(Across()->isVisible(), row.across);
    EXPECT_EQ(Down()->isVisible(), row.down);
    const QSize viewport = canvasView->viewport()->size();
    const QSize zoomed(ZoomedExtent(row.width, canvasView->zoom()), ZoomedExtent(row.height, canvasView->zoom()));
    EXPECT_EQ(Across()->maximum(), std::max(0, zoomed.width() - viewport.width()));
    EXPECT_EQ(Down()->maximum(), std::max(0, zoomed.height() - viewport.height()));
    EXPECT_EQ(imageView->size(), zoomed.boundedTo(viewport));
    // Fitted, every bar goes.
    Item("FitPicture1")->trigger();
    Settle();
    EXPECT_FALSE(Across()->isVisible());
    EXPECT_FALSE(Down()->isVisible());
}

INSTANTIATE_TEST_SUITE_P(Sizes, ScrollBars,
                         ::testing::Values(BarsRow{"TheFirstPicture", 320, 200, 0, false, false},
                                           BarsRow{"ExactlyTheView", 403, 292, 0, false, false},
                                           BarsRow{"Large", 640, 480, 0, true, true},
                                           BarsRow{"WideOnly", 500, 100, 0, true, false},
                                           BarsRow{"TallOnly", 100, 400, 0, false, true},
                                           BarsRow{"WideBarMakesItTooTall", 410, 285, 0, true, true},
                                           BarsRow{"TallBarMakesItTooWide", 400, 300, 0, true, true},
                                           BarsRow{"TheFirstPictureZoomedTwice", 320, 200, 2, true, true}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- Wheel and middle button -------------------------------------------------------------------

struct WheelRow {
    const char* name;
    QPoint at;
    QPoint angle;
    QPoint pixels;
    double factor;  // the zoom after, over the zoom before
};

class CtrlWheel : public CanvasViewTest, public ::testing::WithParamInterface<WheelRow> {};

TEST_P(CtrlWheel, ZoomsKeepingThePictureUnderThePointer)
{
    Put(NoisePicture(2000, 1500));
    canvasView->scrollTo(QPoint(700, 500));
    const WheelRow& row = GetParam();
    const double zoom = canvasView->zoom();
    const QPointF under = PointUnder(row.at);
    Wheel(imageView, row.at, row.angle, row.pixels, Qt::ControlModifier);
    EXPECT_DOUBLE_EQ(canvasView->zoom(), zoom * row.factor);
    // Within half a view pixel; a stroke there paints the pixel under the pointer.
    const QPointF after = PointUnder(row.at);
    EXPECT_LE(std::abs(after.x() - under.x()) * canvasView->zoom(), 0.5);
    EXPECT_LE(std::abs(after.y() - under.y()) * canvasView->zoom(), 0.5);
    Stroke({row.at});
    EXPECT_EQ(surface().pixel(static_cast<int>(after.x()), static_cast<int>(after.y())), kMaroon);
}

INSTANTIATE_TEST_SUITE_P(
    Pointer, CtrlWheel,
    ::testing::Values(WheelRow{"NotchInAtCorner", QPoint(3, 4), QPoint(0, 120), {}, kRootTwo},
                      WheelRow{"NotchOutNearEdge", QPoint(380, 260), QPoint(0, -120), {}, 1 / kRootTwo},
                      WheelRow{"HalfANotchDoesNothingYet", QPoint(201, 77), QPoint(0, 60), {}, 1.0},
                      WheelRow{"TouchpadOut", QPoint(10, 280), QPoint(0, -48), QPoint(0, -120), std::exp2(-0.5)}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CanvasViewTest, TheWheelScrollsDownShiftWheelAcrossAndTouchpadsByTheirPixels)
{
    Put(NoisePicture(2000, 1500));
    const int notch = QApplication::wheelScrollLines() * 20;
    Wheel(imageView, QPoint(50, 50), QPoint(0, -120));
    EXPECT_EQ(canvasView->scrollPosition(), QPoint(0, notch));
    Wheel(imageView, QPoint(50, 50), QPoint(0, -120), {}, Qt::ShiftModifier);
    EXPECT_EQ(canvasView->scrollPosition(), QPoint(notch, notch));
    Wheel(imageView, QPoint(50, 50), QPoint(-12, 24), QPoint(-7, 37));
    EXPECT_EQ(canvasView->scrollPosition(), QPoint(notch + 7, notch - 37));
    Wheel(imageView, QPoint(50, 50), QPoint(0, 120 * 50));
    EXPECT_EQ(canvasView->scrollPosition().y(), 0) << "stops at the top";
    EXPECT_EQ(canvasView->zoom(), 1.0);
}

TEST_F(CanvasViewTest, TheMiddleButtonDragsThePictureAndPaintsNothing)
{
    Put(NoisePicture(2000, 1500));
    const PixelBuffer before = surface().picture().pixels;
    canvasView->scrollTo(QPoint(300, 200));
    QTest::mousePress(imageView, Qt::MiddleButton, {}, QPoint(100, 100));
    QTest::mouseMove(imageView, QPoint(60, 70));
    QTest::mouseMove(imageView, QPoint(50, 90));
    QTest::mouseRelease(imageView, Qt::MiddleButton, {}, QPoint(50, 90));
    EXPECT_EQ(canvasView->scrollPosition(), QPoint(350, 210));
    EXPECT_FALSE(state().drawing);
    EXPECT_EQ(surface().picture().pixels, before);
    EXPECT_FALSE(Item("Undo1")->isEnabled());
}

// ---- The zoom after New, Load and Import; no undo steps -----------------------------------------

TEST_F(CanvasViewTest, LoadAndNewKeepTheZoomAndShowTheTopLeftCorner)
{
    Put(NoisePicture(800, 600));
    Item("ZoomIn1")->trigger();
    canvasView->scrollTo(QPoint(400, 300));
    const QString file = temp.path(QStringLiteral("next.bmp"));
    WriteWholeFile(file.toStdString(), [] {
        const std::vector<std::uint8_t> bytes = EncodeBmp24(NoisePicture(700, 500, 3));
        return std::string(bytes.begin(), bytes.end());
    }());
    dialogs.openAnswers.push_back(file);
    loadAction->trigger();
    ASSERT_EQ(surface().width(), 700);
    EXPECT_DOUBLE_EQ(canvasView->zoom(), kRootTwo);
    EXPECT_EQ(canvasView->scrollPosition(), QPoint(0, 0));
    canvasView->scrollTo(QPoint(100, 100));
    newAction->trigger();
    EXPECT_DOUBLE_EQ(canvasView->zoom(), kRootTwo);
    EXPECT_EQ(canvasView->scrollPosition(), QPoint(0, 0));
}

// A smaller picture is shown at 100 %: ImportPictureTest drops one.
TEST_F(CanvasViewTest, ImportFitsALargerPictureAndAFailedOneLeavesTheView)
{
    QImage large(1000, 800, QImage::Format_RGB32);
    large.fill(Qt::darkGreen);
    const QString file = temp.path(QStringLiteral("large.png"));
    ASSERT_TRUE(large.save(file));
    dialogs.openAnswers = {file, temp.path(QStringLiteral("missing.png"))};
    Item("ImportPicture1")->trigger();
    EXPECT_EQ(canvasView->zoom(), FitZoom(1000, 800, 403, 292));
    EXPECT_FALSE(Across()->isVisible());
    Item("ZoomIn1")->trigger();
    canvasView->scrollTo(QPoint(9, 9));
    Item("ImportPicture1")->trigger();
    EXPECT_EQ(dialogs.messages.size(), 1u);
    EXPECT_DOUBLE_EQ(canvasView->zoom(), ZoomedIn(FitZoom(1000, 800, 403, 292)));
    EXPECT_EQ(canvasView->scrollPosition(), QPoint(9, 9));
}

TEST_F(CanvasViewTest, ZoomAndScrollAreNoUndoStepsAndChangeNoExport)
{
    const std::string first = temp.path() + "/first.dxf";
    dialogs.saveAnswers.push_back(QString::fromStdString(first));
    exportDxfAction->trigger();
    const PixelBuffer pixels = surface().picture().pixels;
    Item("ZoomIn1")->trigger();
    Item("ZoomIn1")->trigger();
    canvasView->scrollTo(QPoint(120, 80));
    Wheel(imageView, QPoint(20, 20), QPoint(0, -120), {}, Qt::ControlModifier);
    Item("FitPicture1")->trigger();
    EXPECT_FALSE(Item("Undo1")->isEnabled());
    EXPECT_EQ(surface().picture().pixels, pixels);
    EXPECT_EQ(state().gridSize, 50);
    const std::string second = temp.path() + "/second.dxf";
    dialogs.saveAnswers.push_back(QString::fromStdString(second));
    exportDxfAction->trigger();
    EXPECT_EQ(ReadWholeFile(second), ReadWholeFile(first));
}

// No memory for the pyramid's level: that zoom shows black and says so once; other zooms,
// and the same one once memory is back, draw as ever.
TEST_F(CanvasViewTest, NoMemoryForAZoomedOutLevelIsReportedOnceAndNothingElseFails)
{
    const ColourValue colour = MakeColour(200, 100, 50);
    Put(MakePicture(2048, 2048, colour));
    Item("ZoomOut1")->trigger();
    Item("ZoomOut1")->trigger();  // 50 %: level 1, 1024 x 1024 x 3 bytes
    const QColor plain(200, 100, 50);
    FailAllocations(1, std::size_t{2} << 20);
    const QImage without = imageView->grab().toImage();
    FailAllocations(0);
    EXPECT_EQ(without.pixelColor(10, 10), QColor(Qt::black));
    EXPECT_TRUE(dialogs.messages.empty()) << "never from inside a paint";
    Settle();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "Out of memory.");
    Item("ZoomOut1")->trigger();
    Item("ZoomOut1")->trigger();  // 25 %: level 2, made before level 1 was asked for
    EXPECT_EQ(imageView->grab().toImage().pixelColor(10, 10), plain);
    Item("ZoomIn1")->trigger();
    Item("ZoomIn1")->trigger();
    EXPECT_EQ(imageView->grab().toImage().pixelColor(10, 10), plain);
    Settle();
    EXPECT_EQ(dialogs.messages.size(), 1u);
}

// ---- Painting through the zoom ----------------------------------------------------------------

// Nib-10 squares at the picture pixels given, worked out here.
Picture WithSquares(Picture picture, const std::vector<QPoint>& pixels, ColourValue colour)
{
    for (const QPoint& p : pixels)
        for (int y = p.y() / 10 * 10; y < p.y() / 10 * 10 + 10; ++y)
            for (int x = p.x() / 10 * 10; x < p.x() / 10 * 10 + 10; ++x)
                SetPixel(picture, x, y, colour);
    return picture;
}

TEST_F(CanvasViewTest, TheSameStrokeAtAQuarterOneAndFourGivesOnePicture)
{
    window->resize(window->size() + QSize(500, 400));
    Settle();
    const Picture start = NoisePicture(1200, 900);
    // Pixels a quarter can point at, too: every fourth.
    const std::vector<QPoint> pixels = {{508, 404}, {520, 412}, {560, 432}, {612, 468}, {588, 472}};
    const Picture expected = WithSquares(start, pixels, kMaroon);
    for (const double zoom : {0.25, 1.0, 4.0}) {
        SCOPED_TRACE(zoom);
        Put(start);
        canvasView->zoomAbout(zoom, QPointF(0, 0));
        canvasView->scrollTo(QPoint(static_cast<int>(500 * zoom) - 20, static_cast<int>(400 * zoom) - 20));
        // Into the middle of each pixel's square where it has one.
        const int into = zoom > 1 ? 2 : 0;
        std::vector<QPoint> at;
        for (const QPoint& p : pixels)
            at.push_back(ViewPointOf(p, into));
        for (const QPoint& a : at)
            ASSERT_TRUE(imageView->rect().contains(a)) << a.x() << ", " << a.y();
        Stroke(at);
        EXPECT_EQ(surface().picture().pixels, expected.pixels);
    }
}

// The pointer held on the picture paints on outside the view, through the same zoom and
// scroll, and the view stays where it is.
TEST_F(CanvasViewTest, ACapturedStrokeGoesOnOutsideTheViewWhenZoomed)
{
    Put(MakePicture(600, 400, kWhite));
    canvasView->zoomAbout(2.0, QPointF(0, 0));
    canvasView->scrollTo(QPoint(300, 100));
    const QPoint scroll = canvasView->scrollPosition();
    Mouse(imageView, QEvent::MouseButtonPress, QPoint(5, 5), Qt::LeftButton, Qt::LeftButton);
    Mouse(imageView, QEvent::MouseMove, QPoint(-61, 12), Qt::NoButton, Qt::LeftButton);
    Mouse(imageView, QEvent::MouseButtonRelease, QPoint(-61, 12), Qt::LeftButton, Qt::NoButton);
    // (-61 + 300) / 2 = 119.5, (12 + 100) / 2 = 56: the square from (110, 50).
    EXPECT_EQ(surface().pixel(110, 50), kMaroon);
    EXPECT_EQ(surface().pixel(119, 59), kMaroon);
    EXPECT_EQ(surface().pixel(120, 50), kWhite);
    EXPECT_EQ(canvasView->scrollPosition(), scroll);
}

// ---- The brush outline --------------------------------------------------------------------

// The square the next move would fill, in white round black: one shows on any picture.
TEST_F(CanvasViewTest, TheOutlineShowsTheNextSquareFollowingNibSizeAndZoomAndIsNotPainted)
{
    for (const ColourValue background : {kBlack, kWhite}) {
        Put(MakePicture(320, 200, background));
        Mouse(imageView, QEvent::MouseMove, QPoint(57, 33), Qt::NoButton, Qt::NoButton);
        ASSERT_EQ(imageView->outline(), QRect(50, 30, 10, 10));
        Settle();
        const QImage shot = imageView->grab().toImage();
        const QColor plain(RedOf(background), GreenOf(background), BlueOf(background));
        EXPECT_EQ(shot.pixelColor(50, 30), QColor(Qt::white));
        EXPECT_EQ(shot.pixelColor(58, 38), QColor(Qt::black));
        EXPECT_EQ(shot.pixelColor(54, 34), plain) << "inside the outline";
        EXPECT_EQ(shot.pixelColor(49, 30), plain) << "outside it";
        EXPECT_EQ(surface().pixel(50, 30), background) << "never in the picture";
    }
    for (int k = 0; k < 5; ++k)
        QTest::mouseClick(nibSizeUpDown->upButton(), Qt::LeftButton);
    EXPECT_EQ(imageView->outline(), QRect(45, 30, 15, 15)) << "at once, without a move";
    while (nibSizeUpDown->position() > 1)
        QTest::mouseClick(nibSizeUpDown->downButton(), Qt::LeftButton);
    // Zoomed about the view's centre, the pointer is over another pixel, two view pixels
    // wide: an outline three across, white round a black middle.
    Item("ZoomIn1")->trigger();
    Item("ZoomIn1")->trigger();
    const QPointF under = PointUnder(QPointF(57, 33));
    const QPoint pixel(static_cast<int>(under.x()), static_cast<int>(under.y()));
    EXPECT_EQ(imageView->outline(), QRect(pixel, QSize(1, 1)));
    Settle();
    const QImage shot = imageView->grab().toImage();
    EXPECT_EQ(shot.pixelColor(ViewPointOf(pixel) - QPoint(1, 1)), QColor(Qt::white));
    EXPECT_EQ(shot.pixelColor(ViewPointOf(pixel)), QColor(Qt::black));
    QTest::mouseClick(nibSizeUpDown->downButton(), Qt::LeftButton);
    EXPECT_EQ(imageView->outline(), std::nullopt) << "nib 0 paints nothing";
    QTest::mouseClick(nibSizeUpDown->upButton(), Qt::LeftButton);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(imageView, &leave);
    EXPECT_EQ(imageView->outline(), std::nullopt);
}

// ---- The pyramid through the window's commands ------------------------------------------------

TEST_F(CanvasViewTest, ThePyramidStaysEqualToAFreshOneThroughStrokesBlurUndoAndRedo)
{
    Put(NoisePicture(700, 530));
    Item("ZoomOut1")->trigger();
    Item("ZoomOut1")->trigger();  // 50 %: drawn from level 1
    auto expectFresh = [this](const char* after) {
        SCOPED_TRACE(after);
        const PicturePyramid& pyramid = imageView->renderer().pyramid();
        for (int round = 0; round < 1000; ++round) {
            bool stale = false;
            for (int k = 1; k <= PicturePyramid::kLevels; ++k)
                stale = stale || pyramid.stale(k);
            if (!stale)
                break;
            QApplication::processEvents();
        }
        PicturePyramid fresh;
        fresh.reset(surface().picture().width, surface().picture().height);
        fresh.update(surface().picture(), 1);
        for (int k = 1; k <= PicturePyramid::kLevels; ++k) {
            ASSERT_FALSE(pyramid.stale(k)) << "level " << k;
            const PicturePyramid::Level a = pyramid.level(k), b = fresh.level(k);
            ASSERT_EQ(a.stride, b.stride);
            EXPECT_EQ(std::memcmp(a.data, b.data, a.stride * static_cast<std::size_t>(a.height)), 0) << "level " << k;
        }
    };
    expectFresh("the first drawing");
    Stroke({QPoint(20, 20), QPoint(40, 25), QPoint(150, 140)});
    expectFresh("a stroke");
    DoubleClick(blurTool);
    expectFresh("the blur");
    Item("Undo1")->trigger();
    expectFresh("undoing the blur");
    Item("Undo1")->trigger();
    expectFresh("undoing the stroke");
    Item("Redo1")->trigger();
    expectFresh("redoing the stroke");
}

}  // namespace
