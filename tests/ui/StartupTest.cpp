#include <functional>

#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>

#include "MainWindowFixture.h"
#include "ui/ProgramWindows.h"
#include "ui/WindowPlacement.h"
#include "ui/ColourStrip.h"
#include "ui/ImageView.h"
#include "ui/SpeedButton.h"
#include "ui/UpDown.h"

namespace {

QColor ToQColor(ColourValue c)
{
    return QColor(RedOf(c), GreenOf(c), BlueOf(c));
}

using StartupTest = MainWindowFixture;

TEST_F(StartupTest, TheHelpWindowStartsHidden)
{
    EXPECT_FALSE(help->isVisible());
    EXPECT_TRUE(window->isVisible());
}

TEST_F(StartupTest, EditorStateIsAtItsStartValues)
{
    const EditorState& s = state();
    EXPECT_EQ(s.gridSize, 50);
    EXPECT_EQ(s.stepX, 6.4);
    EXPECT_EQ(s.stepY, 4.0);
    EXPECT_EQ(s.imageWidth, 320);
    EXPECT_EQ(s.imageHeight, 200);
    EXPECT_EQ(s.currentTool, Tool::Pencil);
    EXPECT_FALSE(s.drawing);
    EXPECT_EQ(s.nibSize, 10);
    EXPECT_TRUE(s.exportBlackPlanes);
    EXPECT_TRUE(s.exportWhitePlanes);
    EXPECT_EQ(drawingColour(), kMaroon);
}

TEST_F(StartupTest, CaptionBoxesAndButtonsShowTheStartState)
{
    EXPECT_EQ(window->windowTitle(), "Relief_Foundry by Quennick (VORTALQUENCH)");
    EXPECT_EQ(gridSizeBox->text(), "50");
    EXPECT_EQ(nibSizeBox->text(), "10");
    EXPECT_TRUE(gridSizeBox->isReadOnly());
    EXPECT_TRUE(nibSizeBox->isReadOnly());
    EXPECT_EQ(gridSizeUpDown->position(), 50);
    EXPECT_EQ(nibSizeUpDown->position(), 10);
    EXPECT_EQ(intensityNudge->position(), 0);
    EXPECT_TRUE(pencilTool->isChecked());
    EXPECT_FALSE(eraserTool->isChecked());
    EXPECT_FALSE(blurTool->isChecked());
    EXPECT_TRUE(exportBlackAction->isChecked());
    EXPECT_TRUE(exportWhiteAction->isChecked());
    EXPECT_EQ(colourButton->text(), "Colour");
    EXPECT_TRUE(colourButton->isDefault());
    EXPECT_EQ(QApplication::focusWidget(), static_cast<QWidget*>(gridSizeBox));
}

// The first window as it has always been; a large picture now stays above the strip, in
// the view, with scroll bars, instead of running under the controls.
TEST_F(StartupTest, ClientAreaStartsTealAtItsFirstSizeAndALargePictureStaysAboveTheStrip)
{
    QWidget* client = window->centralWidget();
    EXPECT_EQ(client->size(), QSize(403, 323));
    EXPECT_EQ(window->minimumSizeHint(), window->size());
    EXPECT_FALSE(canvasView->horizontalScrollBar()->isVisible());
    EXPECT_FALSE(canvasView->verticalScrollBar()->isVisible());
    const QImage before = client->grab().toImage();
    EXPECT_EQ(before.pixelColor(400, 100), QColor(0, 128, 128));
    EXPECT_EQ(before.pixelColor(10, 250), QColor(0, 128, 128));
    EXPECT_EQ(before.pixelColor(10, 10), ToQColor(surface().pixel(10, 10)));

    Picture large;
    large.width = 640;
    large.height = 480;
    large.pixels.assign(640 * 480, StoredPixel(MakeColour(10, 20, 30)));
    const QSize windowSize = window->size();
    surface().putPicture(large);
    QApplication::processEvents();
    EXPECT_EQ(window->size(), windowSize);
    EXPECT_EQ(client->size(), QSize(403, 323));
    EXPECT_EQ(imageView->size(), canvasView->viewport()->size());
    EXPECT_TRUE(canvasView->horizontalScrollBar()->isVisible());
    EXPECT_TRUE(canvasView->verticalScrollBar()->isVisible());
    const QImage after = client->grab().toImage();
    EXPECT_EQ(after.size(), QSize(403, 323));
    EXPECT_EQ(after.pixelColor(300, 100), QColor(10, 20, 30));
    EXPECT_EQ(after.pixelColor(130, 318), QColor(128, 0, 0)) << "the strip, not the picture";
}

struct Placement {
    QWidget* widget;
    const char* name;
    QRect geometry;
};

TEST_F(StartupTest, EveryControlSitsAtItsPlaceInStackingOrder)
{
    const std::vector<Placement> controls = {
        {canvasView, "ScrollBox1", QRect(0, 0, 403, 292)},
        {colourStrip, "Shape1", QRect(0, 292, 397, 29)},
        {gridSizeLabel, "Label1", QRect(8, 300, 52, 13)},
        {pencilTool, "SpeedButton1", QRect(252, 296, 25, 25)},
        {eraserTool, "SpeedButton2", QRect(280, 296, 25, 25)},
        {blurTool, "SpeedButton3", QRect(304, 296, 25, 25)},
        {nibSizeLabel, "Label2", QRect(136, 300, 48, 13)},
        {gridSizeBox, "EGridSize", QRect(68, 296, 41, 21)},
        {gridSizeUpDown, "UpDown1", QRect(109, 296, 15, 21)},
        {colourButton, "Button1", QRect(336, 296, 49, 25)},
        {nibSizeBox, "ENibSize", QRect(188, 296, 41, 21)},
        {nibSizeUpDown, "UNibSize", QRect(229, 296, 15, 21)},
        {intensityNudge, "UpDown2", QRect(384, 296, 16, 24)},
    };
    const QObjectList& stacking = window->centralWidget()->children();
    qsizetype previous = -1;
    for (const Placement& placement : controls) {
        SCOPED_TRACE(placement.name);
        EXPECT_EQ(placement.widget->geometry(), placement.geometry);
        const qsizetype index = stacking.indexOf(placement.widget);
        EXPECT_GT(index, previous);
        previous = index;
    }
    // The picture in the view's top-left corner, as it was in the window's.
    EXPECT_EQ(imageView->geometry(), QRect(0, 0, 320, 200));
    EXPECT_EQ(imageView->mapTo(window->centralWidget(), QPoint(0, 0)), QPoint(0, 0));
}

TEST_F(StartupTest, LabelsAreBoldWhiteAndLetTheStripShowThrough)
{
    for (QLabel* label : {gridSizeLabel, nibSizeLabel}) {
        EXPECT_TRUE(label->font().bold());
        EXPECT_EQ(label->font().pixelSize(), 11);
        EXPECT_EQ(label->palette().color(QPalette::WindowText), Qt::white);
        EXPECT_FALSE(label->autoFillBackground());
    }
    EXPECT_EQ(gridSizeLabel->text(), "Grid Size");
    EXPECT_EQ(nibSizeLabel->text(), "Nib Size");
    // A pixel of Label1's area without text shows the strip's maroon.
    const QImage shot = window->centralWidget()->grab().toImage();
    EXPECT_EQ(shot.pixelColor(8, 312), QColor(128, 0, 0));
}

TEST_F(StartupTest, ToolButtonsCarryHintsAndGlyphs)
{
    EXPECT_EQ(pencilTool->toolTip(), "Draw in Current Colour");
    EXPECT_EQ(eraserTool->toolTip(), "Eraser");
    EXPECT_EQ(blurTool->toolTip(), "Blur / Interpolate");
    EXPECT_EQ(intensityNudge->toolTip(), "Intensity Nudge");
    for (SpeedButton* tool : {pencilTool, eraserTool, blurTool}) {
        EXPECT_EQ(tool->iconSize(), QSize(16, 16));
        const QImage glyph = tool->icon().pixmap(16, 16).toImage();
        ASSERT_EQ(glyph.size(), QSize(16, 16));
        EXPECT_EQ(glyph.pixelColor(0, 15).alpha(), 0);  // the lower-left colour is see-through
        const QImage greyed = tool->icon().pixmap(QSize(16, 16), QIcon::Disabled).toImage();
        EXPECT_NE(greyed, glyph);
    }
}

TEST_F(StartupTest, MenusCarryCaptionsSeparatorsAndTheF1Shortcut)
{
    // Edit (undo) and View (the 3D preview) are tested with their commands.
    const QList<QAction*> bar = window->menuBar()->actions();
    ASSERT_EQ(bar.size(), 5);
    EXPECT_EQ(bar[0], fileMenu);
    EXPECT_EQ(bar[1]->objectName(), "Edit1");
    EXPECT_EQ(bar[2]->objectName(), "View1");
    EXPECT_EQ(bar[3], optionsMenu);
    EXPECT_EQ(bar[4], helpMenu);
    EXPECT_EQ(fileMenu->text(), "&File");
    EXPECT_EQ(optionsMenu->text(), "&Options");
    EXPECT_EQ(helpMenu->text(), "&Help");
    EXPECT_EQ(helpMenu->shortcut(), QKeySequence(Qt::Key_F1));

    QStringList file;
    for (QAction* item : fileMenu->menu()->actions())
        file << (item->isSeparator() ? QStringLiteral("-") : item->text());
    EXPECT_EQ(file, QStringList({"&New BMP", "&Load BMP", "&Import Picture...", "&Save BMP", "-", "Export &DXF",
                                 "Export S&TL...", "Export &OBJ...", "Export 3&MF...", "Export &Height Map...", "-",
                                 "E&xit"}));
    QStringList options;
    for (QAction* item : optionsMenu->menu()->actions())
        options << (item->isSeparator() ? QStringLiteral("-") : item->text());
    EXPECT_EQ(options, QStringList({"Export &Black", "Export &White", "-", "&Mesh Settings..."}));
    EXPECT_TRUE(firstSeparator->isSeparator());
    EXPECT_EQ(exportBlackAction->text(), "Export &Black");
    EXPECT_EQ(exportWhiteAction->text(), "Export &White");
    EXPECT_EQ(exportBlackAction->statusTip(), "Include Black Planes in output");
    EXPECT_EQ(exportWhiteAction->statusTip(), "Export White Planes in Output");
    EXPECT_EQ(quickHelpAction->text(), "&Quick Help");
    for (QAction* item : {newAction, loadAction, saveAction, exportDxfAction, exitAction,
                          exportBlackAction, exportWhiteAction, quickHelpAction})
        EXPECT_TRUE(item->shortcut().isEmpty()) << item->text().toStdString();
}

TEST_F(StartupTest, DialogsStartWithTheirStoredSettings)
{
    exportDxfAction->trigger();
    loadAction->trigger();
    colourButton->click();
    ASSERT_EQ(dialogs.saveRequests.size(), 1u);
    ASSERT_EQ(dialogs.openRequests.size(), 1u);
    ASSERT_EQ(dialogs.colourRequests.size(), 1u);
    const FileDialogSettings& save = dialogs.saveRequests[0].settings;
    EXPECT_EQ(save.title, "Export To DXF from Relief_Foundry");
    EXPECT_TRUE(save.overwritePrompt);
    EXPECT_EQ(save.fileName, "VORTALQUENCH.DXF");
    const FileDialogSettings& open = dialogs.openRequests[0].settings;
    EXPECT_EQ(open.fileName, "VORTALQUENCH");
    EXPECT_EQ(open.filterLabel, "Uncompressed Bitmap (*.BMP)");
    EXPECT_EQ(open.filterPattern, "*.BMP");
    EXPECT_FALSE(open.overwritePrompt);
    EXPECT_EQ(dialogs.colourRequests[0].initial, kBlack);
}

TEST_F(StartupTest, ResetGridPutsTheProductCaptionBackButNotTheGridBox)
{
    gridSizeUpDown->step(true);
    exportDxfAction->trigger();  // cancelled: leaves its completion caption
    ASSERT_EQ(window->windowTitle(), "Exporting DXF Complete");
    loadAction->trigger();       // cancelled: resets the grid
    EXPECT_EQ(window->windowTitle(), "Relief_Foundry by Quennick (VORTALQUENCH)");
    EXPECT_EQ(state().gridSize, 50);
    EXPECT_EQ(gridSizeBox->text(), "60");
}

void Later(const std::function<void()>& call)
{
    QMetaObject::invokeMethod(qApp, call, Qt::QueuedConnection);
}

// Runs the event loop with one queued action. Should the loop go on after it, a later
// round ends it with code 99 (posted within the action's round, it runs only in the next).
int RunLoopWith(const std::function<void()>& action)
{
    Later([action] {
        action();
        Later([] { Later([] { QCoreApplication::exit(99); }); });
    });
    return QApplication::exec();
}

// The window is centred by its outer size, frame included, once the frame is known.
TEST(ProgramWindows, TheMainWindowOpensCentredWithTheHelpWindowHidden)
{
    ScriptedDialogs dialogs;
    const ProgramWindows windows = OpenProgramWindows();
    ASSERT_TRUE(windows.main && windows.help);
    QApplication::processEvents();
    const QRect screen = windows.main->screen()->geometry();
    const QRect outer = windows.main->frameGeometry();
    EXPECT_EQ(outer.size(), OuterSize(windows.main.get()));
    EXPECT_EQ(outer.topLeft(), QPoint((screen.width() - outer.width()) / 2, (screen.height() - outer.height()) / 2));
    EXPECT_TRUE(windows.main->isVisible());
    EXPECT_FALSE(windows.help->isVisible());
    windows.main->findChild<QAction*>(QStringLiteral("QuickHelp1"))->trigger();
    EXPECT_TRUE(windows.help->isVisible());
    windows.help->close();
}

TEST_F(StartupTest, ExitEndsTheProgramAtOnceWithCodeZero)
{
    EXPECT_EQ(RunLoopWith([this] { exitAction->trigger(); }), 0);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(StartupTest, TheCloseBoxEndsTheProgramToo)
{
    help->showModal();
    help->close();
    EXPECT_EQ(RunLoopWith([this] { window->close(); }), 0);
    EXPECT_TRUE(dialogs.messages.empty());
}

}  // namespace
