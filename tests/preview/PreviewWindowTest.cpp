// The 3D preview as a user meets it: the View menu and Ctrl+3, a window of its own that
// keeps its place, the main window still at work beside it, the view following every
// change at its next frame, and the mouse and keys of the view.
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QSpinBox>
#include <QTest>
#include <QWheelEvent>

#include "PreviewFixture.h"
#include "paint/DrawingColour.h"
#include "tests/support/DoubleClick.h"
#include "tests/support/PictureBuilder.h"
#include "tests/support/TempFolder.h"

namespace {

class PreviewWindowTest : public PreviewFixture {
protected:
    int PreviewWindows() const
    {
        int count = 0;
        for (QWidget* top : QApplication::topLevelWidgets())
            count += top->objectName() == QLatin1String("PreviewWindow");
        return count;
    }

    // A mouse move with buttons held, as the platform delivers it during a drag.
    void DragTo(QPoint to, Qt::MouseButtons buttons)
    {
        QMouseEvent move(QEvent::MouseMove, to, view->mapToGlobal(to), Qt::NoButton, buttons, Qt::NoModifier);
        QApplication::sendEvent(view, &move);
    }

    void Drag(Qt::MouseButton button, QPoint from, QPoint to)
    {
        QTest::mousePress(view, button, Qt::NoModifier, from);
        DragTo(to, button);
        QTest::mouseRelease(view, button, Qt::NoModifier, to);
    }

    std::vector<float> Heights() const
    {
        std::vector<float> heights;
        for (std::size_t k = 2; k < view->mesh().positions.size(); k += 3)
            heights.push_back(view->mesh().positions[k]);
        return heights;
    }
};

// The zoom items and the status bar follow the preview (tests/ui/CanvasViewTest.cpp).
TEST_F(PreviewWindowTest, ViewMenuStandsRightBeforeOptionsWithThePreviewFirst)
{
    const QList<QAction*> menus = window->menuBar()->actions();
    const qsizetype view = menus.indexOf(viewMenu);
    ASSERT_GE(view, 0);
    ASSERT_LT(view + 1, menus.size());
    EXPECT_EQ(menus[view + 1], optionsMenu);
    EXPECT_EQ(viewMenu->text(), "&View");
    ASSERT_NE(viewMenu->menu(), nullptr);
    ASSERT_FALSE(viewMenu->menu()->actions().isEmpty());
    EXPECT_EQ(viewMenu->menu()->actions().front(), previewAction);
    EXPECT_EQ(previewAction->text(), "3D &Preview");
    EXPECT_EQ(previewAction->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_3));
}

TEST_F(PreviewWindowTest, CtrlThreeShowsASeparateSizeableWindowAndRaisesIt)
{
    const QString caption = window->windowTitle();
    QTest::keyClick(window, Qt::Key_3, Qt::ControlModifier);
    preview = PreviewWindowOf();
    ASSERT_NE(preview, nullptr);
    EXPECT_TRUE(preview->isVisible());
    EXPECT_TRUE(preview->isWindow());
    EXPECT_EQ(preview->parentWidget(), nullptr);
    EXPECT_EQ(preview->windowModality(), Qt::NonModal);
    EXPECT_EQ(preview->windowTitle(), "3D Preview");
    EXPECT_EQ(preview->size(), QSize(800, 600));
    EXPECT_LT(preview->minimumSize().width(), 800);
    EXPECT_GT(preview->maximumSize().width(), 800);
    EXPECT_TRUE(window->isEnabled());
    EXPECT_EQ(window->windowTitle(), caption);
    previewAction->trigger();
    EXPECT_EQ(PreviewWindows(), 1);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(PreviewWindowTest, ClosingHidesTheWindowWhichComesBackWhereItWas)
{
    OpenPreview();
    preview->setGeometry(130, 90, 640, 480);
    const QRect placed = preview->geometry();
    preview->close();
    EXPECT_FALSE(preview->isVisible());
    EXPECT_EQ(PreviewWindows(), 1);
    previewAction->trigger();
    EXPECT_TRUE(preview->isVisible());
    EXPECT_EQ(preview->geometry(), placed);
}

// The main window's keys are previewed in the main window only: a key in the preview
// window is the preview's.
TEST_F(PreviewWindowTest, MainWindowKeysKeepWorkingBesideThePreview)
{
    OpenPreview();
    QTest::keyClick(view, Qt::Key_Plus, Qt::KeypadModifier);
    EXPECT_EQ(drawingColour(), kMaroon);
    QTest::keyClick(window->focusWidget(), Qt::Key_Plus, Qt::KeypadModifier);
    EXPECT_EQ(drawingColour(), BrightenStep(kMaroon));
    newAction->trigger();
    EXPECT_TRUE(dialogs.messages.empty());
}

// Changes only mark the mesh stale: however many come before a frame, the picture's
// handlers never sample for the view, and the next frame samples once.
TEST_F(PreviewWindowTest, ChangesAreGatheredIntoOneSamplingAtTheNextFrame)
{
    OpenPreview();
    Render();
    const int samplings = view->samplings();
    surface().setBrushColour(kWhite);
    for (int step = 0; step < 200; ++step)
        surface().fillRect(step, 0, step + 10, 10);
    QTest::mouseClick(gridSizeUpDown->downButton(), Qt::LeftButton);
    EXPECT_EQ(view->samplings(), samplings);
    Render();
    EXPECT_EQ(view->samplings(), samplings + 1);
    EXPECT_EQ(view->faceCount(), 41u * 40u + 1u);
}

enum class Change { Stroke, Blur, New, GridSize, ExportBlack, NewWithBlackOff, LoadResetsTheGrid, Undo, Import };

struct LiveRow {
    const char* name;
    Change change;
    std::size_t faces;  // after the change, from the built-in picture at grid 50
    bool heightsChange;
};

class LiveUpdates : public PreviewWindowTest, public ::testing::WithParamInterface<LiveRow> {
protected:
    TempFolder temp;

    void Stroke()
    {
        QTest::mousePress(imageView, Qt::LeftButton, Qt::NoModifier, QPoint(100, 100));
        QMouseEvent move(QEvent::MouseMove, QPoint(140, 100), imageView->mapToGlobal(QPoint(140, 100)), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(imageView, &move);
        QTest::mouseRelease(imageView, Qt::LeftButton, Qt::NoModifier, QPoint(140, 100));
    }

    void Make(Change change)
    {
        switch (change) {
        case Change::Stroke:
            Stroke();
            break;
        case Change::Blur:
            DoubleClick(blurTool);
            break;
        case Change::New:
            newAction->trigger();
            break;
        case Change::GridSize:
            QTest::mouseClick(gridSizeUpDown->downButton(), Qt::LeftButton);
            break;
        case Change::ExportBlack:
            exportBlackAction->trigger();
            break;
        case Change::NewWithBlackOff:
            exportBlackAction->trigger();
            newAction->trigger();
            break;
        case Change::LoadResetsTheGrid:
            QTest::mouseClick(gridSizeUpDown->downButton(), Qt::LeftButton);
            Render();
            loadAction->trigger();  // cancelled: the grid goes back to 50
            break;
        case Change::Undo:
            Stroke();
            Render();
            Find<QAction>(window, "Undo1")->trigger();  // the stroke goes again
            break;
        case Change::Import: {
            QImage grey(64, 48, QImage::Format_Grayscale8);
            grey.fill(200);
            const QString file = temp.path(QStringLiteral("grey.png"));
            ASSERT_TRUE(grey.save(file));
            dialogs.openAnswers.push_back(file);
            Find<QAction>(window, "ImportPicture1")->trigger();
            break;
        }
        }
    }
};

TEST_P(LiveUpdates, TheNextFrameShowsTheChange)
{
    const LiveRow& row = GetParam();
    OpenPreview();
    Render();
    ASSERT_EQ(view->faceCount(), 51u * 50u + 1u);
    const std::vector<float> before = Heights();
    Make(row.change);
    Render();
    EXPECT_EQ(view->faceCount(), row.faces);
    if (row.faces == 51u * 50u + 1u) {
        EXPECT_EQ(Heights() != before, row.heightsChange);
    }
    EXPECT_TRUE(dialogs.messages.empty());
}

// The built-in picture has no black: Export Black off only takes the base face away.
INSTANTIATE_TEST_SUITE_P(Changes, LiveUpdates,
                         ::testing::Values(LiveRow{"Stroke", Change::Stroke, 51 * 50 + 1, true},
                                           LiveRow{"Blur", Change::Blur, 51 * 50 + 1, true},
                                           LiveRow{"New", Change::New, 51 * 50 + 1, true},
                                           LiveRow{"GridSize", Change::GridSize, 41 * 40 + 1, true},
                                           LiveRow{"ExportBlack", Change::ExportBlack, 51 * 50, false},
                                           LiveRow{"NewWithBlackOff", Change::NewWithBlackOff, 0, true},
                                           LiveRow{"LoadResetsTheGrid", Change::LoadResetsTheGrid, 51 * 50 + 1, false},
                                           LiveRow{"Undo", Change::Undo, 51 * 50 + 1, false},
                                           LiveRow{"Import", Change::Import, 51 * 50 + 1, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(PreviewWindowTest, LeftDragOrbitsOtherButtonsPanAndHomeResets)
{
    OpenPreview();
    const PreviewCamera start = view->camera();
    Drag(Qt::LeftButton, QPoint(400, 300), QPoint(450, 310));
    EXPECT_DOUBLE_EQ(view->camera().azimuth(), start.azimuth() - 20.0);
    EXPECT_DOUBLE_EQ(view->camera().elevation(), start.elevation() + 4.0);
    EXPECT_EQ(view->camera().panOffset(), QPointF());
    for (Qt::MouseButton button : {Qt::RightButton, Qt::MiddleButton}) {
        const QPointF centre = view->camera().project(view->box().centre(), view->box(), view->size());
        Drag(button, QPoint(300, 300), QPoint(340, 270));
        const QPointF moved = view->camera().project(view->box().centre(), view->box(), view->size());
        EXPECT_NEAR(moved.x() - centre.x(), 40.0, 0.01);
        EXPECT_NEAR(moved.y() - centre.y(), -30.0, 0.01);
    }
    QTest::keyClick(view, Qt::Key_Home);
    EXPECT_DOUBLE_EQ(view->camera().azimuth(), start.azimuth());
    EXPECT_DOUBLE_EQ(view->camera().elevation(), start.elevation());
    EXPECT_DOUBLE_EQ(view->camera().distance(), start.distance());
    EXPECT_EQ(view->camera().panOffset(), QPointF());
}

TEST_F(PreviewWindowTest, DoubleClickResetsTheView)
{
    OpenPreview();
    const PreviewCamera start = view->camera();
    Drag(Qt::RightButton, QPoint(300, 300), QPoint(200, 200));
    Drag(Qt::LeftButton, QPoint(300, 300), QPoint(200, 200));
    QTest::mouseDClick(view, Qt::LeftButton, Qt::NoModifier, QPoint(100, 100));
    EXPECT_DOUBLE_EQ(view->camera().azimuth(), start.azimuth());
    EXPECT_DOUBLE_EQ(view->camera().elevation(), start.elevation());
    EXPECT_EQ(view->camera().panOffset(), QPointF());
}

TEST_F(PreviewWindowTest, TheWheelZoomsTowardsThePointer)
{
    OpenPreview();
    const QPointF pointer(200, 150);
    const QVector3D under = view->camera().pointAtCentreDepth(pointer, view->box(), view->size());
    const double distance = view->camera().distance();
    QWheelEvent wheel(pointer, view->mapToGlobal(pointer), QPoint(), QPoint(0, 240), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(view, &wheel);
    EXPECT_NEAR(view->camera().distance(), distance * 0.85 * 0.85, 1e-9);
    const QPointF after = view->camera().project(under, view->box(), view->size());
    EXPECT_NEAR(after.x(), pointer.x(), 0.01);
    EXPECT_NEAR(after.y(), pointer.y(), 0.01);
}

// On flat ground (New), the wireframe draws the faces' sides and leaves the background
// between them; the shaded view covers it.
TEST_F(PreviewWindowTest, WTogglesTheWireframeAndTheExaggerationRunsFromOneToTen)
{
    OpenPreview();
    newAction->trigger();
    auto* wireframe = Find<QAction>(preview, "Wireframe");
    const QVector3D inCell(25.5f, 25.5f, 0.0f);
    const QVector3D onSide(25.0f, 25.5f, 0.0f);
    EXPECT_NE(Render().pixel(Projected(inCell)), kBackground);
    QTest::keyClick(view, Qt::Key_W);
    EXPECT_TRUE(view->wireframe());
    EXPECT_TRUE(wireframe->isChecked());
    const QImage lines = Render();
    EXPECT_EQ(lines.pixel(Projected(inCell)), kBackground);
    // A line about a pixel wide: one of the pixels around the side's point has its grey,
    // the lines' unlit ramp starting at 0.45.
    int lineGrey = 0;
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
            const QRgb pixel = lines.pixel(Projected(onSide) + QPoint(dx, dy));
            if (IsGrey(pixel))
                lineGrey = qRed(pixel);
        }
    EXPECT_NEAR(lineGrey, 115, 3);
    QTest::keyClick(view, Qt::Key_W);
    EXPECT_FALSE(view->wireframe());
    EXPECT_NE(Render().pixel(Projected(inCell)), kBackground);

    auto* exaggeration = Find<QSpinBox>(preview, "Exaggeration");
    EXPECT_EQ(exaggeration->value(), 1);
    EXPECT_EQ(exaggeration->minimum(), 1);
    EXPECT_EQ(exaggeration->maximum(), 10);
    EXPECT_EQ(exaggeration->suffix(), "x");
    exaggeration->setValue(10);
    EXPECT_EQ(view->exaggeration(), 10);
    EXPECT_FLOAT_EQ(view->box().size.z(), 102.0f);
}

} // namespace
