#include <functional>

#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>

#include "Form1Fixture.h"
#include "ui/ColourStrip.h"
#include "ui/ImageView.h"
#include "ui/SpeedButton.h"
#include "ui/UpDown.h"

namespace {

QColor ToQColor(ColourValue c)
{
    return QColor(RedOf(c), GreenOf(c), BlueOf(c));
}

using StartupTest = Form1Fixture;

TEST_F(StartupTest, GlobalsReferToTheNewWindows)
{
    EXPECT_EQ(Form1, form);
    EXPECT_EQ(Form2, help);
    EXPECT_FALSE(help->isVisible());
}

TEST_F(StartupTest, EditorStateIsAtItsStartValues)
{
    const EditorState& s = form->State;
    EXPECT_EQ(s.GridSize, 50);
    EXPECT_EQ(s.StepX, 6.4);
    EXPECT_EQ(s.StepY, 4.0);
    EXPECT_EQ(s.ImageWidth, 320);
    EXPECT_EQ(s.ImageHeight, 200);
    EXPECT_EQ(s.CurrentTool, kPencil);
    EXPECT_FALSE(s.Drawing);
    EXPECT_EQ(s.NibSize, 10);
    EXPECT_TRUE(s.ExportBlackPlanes);
    EXPECT_TRUE(s.ExportWhitePlanes);
    EXPECT_EQ(form->drawingColour(), kMaroon);
}

TEST_F(StartupTest, CaptionBoxesAndButtonsShowTheStartState)
{
    EXPECT_EQ(form->windowTitle(), "Relief_Foundry by Quennick (VORTALQUENCH)");
    EXPECT_EQ(form->EGridSize->text(), "50");
    EXPECT_EQ(form->ENibSize->text(), "10");
    EXPECT_TRUE(form->EGridSize->isReadOnly());
    EXPECT_TRUE(form->ENibSize->isReadOnly());
    EXPECT_EQ(form->UpDown1->position(), 50);
    EXPECT_EQ(form->UNibSize->position(), 10);
    EXPECT_EQ(form->UpDown2->position(), 0);
    EXPECT_TRUE(form->SpeedButton1->isChecked());
    EXPECT_FALSE(form->SpeedButton2->isChecked());
    EXPECT_FALSE(form->SpeedButton3->isChecked());
    EXPECT_TRUE(form->ExportBlack1->isChecked());
    EXPECT_TRUE(form->ExportWhite1->isChecked());
    EXPECT_EQ(form->Button1->text(), "Colour");
    EXPECT_TRUE(form->Button1->isDefault());
    EXPECT_EQ(QApplication::focusWidget(), static_cast<QWidget*>(form->EGridSize));
}

TEST_F(StartupTest, ClientAreaIsFixedTealAndCutsOffALargePicture)
{
    QWidget* client = form->centralWidget();
    EXPECT_EQ(client->size(), QSize(403, 323));
    EXPECT_EQ(form->minimumSize(), form->maximumSize());
    const QImage before = client->grab().toImage();
    EXPECT_EQ(before.pixelColor(400, 100), QColor(0, 128, 128));
    EXPECT_EQ(before.pixelColor(10, 10), ToQColor(form->Image1->surface().pixel(10, 10)));

    Picture large;
    large.width = 640;
    large.height = 480;
    large.pixels.assign(640 * 480, StoredPixel(MakeColour(10, 20, 30)));
    const QSize windowSize = form->size();
    form->Image1->surface().putPicture(large);
    QApplication::processEvents();
    EXPECT_EQ(form->Image1->size(), QSize(640, 480));
    EXPECT_EQ(form->size(), windowSize);
    EXPECT_EQ(client->size(), QSize(403, 323));
    const QImage after = client->grab().toImage();
    EXPECT_EQ(after.size(), QSize(403, 323));
    EXPECT_EQ(after.pixelColor(400, 100), QColor(10, 20, 30));
}

struct Placement {
    QWidget* widget;
    const char* name;
    QRect geometry;
};

TEST_F(StartupTest, EveryControlSitsAtItsPlaceInStackingOrder)
{
    const std::vector<Placement> controls = {
        {form->Image1, "Image1", QRect(0, 0, 320, 200)},
        {form->Shape1, "Shape1", QRect(0, 292, 397, 29)},
        {form->Label1, "Label1", QRect(8, 300, 52, 13)},
        {form->SpeedButton1, "SpeedButton1", QRect(252, 296, 25, 25)},
        {form->SpeedButton2, "SpeedButton2", QRect(280, 296, 25, 25)},
        {form->SpeedButton3, "SpeedButton3", QRect(304, 296, 25, 25)},
        {form->Label2, "Label2", QRect(136, 300, 48, 13)},
        {form->EGridSize, "EGridSize", QRect(68, 296, 41, 21)},
        {form->UpDown1, "UpDown1", QRect(109, 296, 15, 21)},
        {form->Button1, "Button1", QRect(336, 296, 49, 25)},
        {form->ENibSize, "ENibSize", QRect(188, 296, 41, 21)},
        {form->UNibSize, "UNibSize", QRect(229, 296, 15, 21)},
        {form->UpDown2, "UpDown2", QRect(384, 296, 16, 24)},
    };
    const QObjectList& stacking = form->centralWidget()->children();
    qsizetype previous = -1;
    for (const Placement& placement : controls) {
        SCOPED_TRACE(placement.name);
        EXPECT_EQ(placement.widget->geometry(), placement.geometry);
        const qsizetype index = stacking.indexOf(placement.widget);
        EXPECT_GT(index, previous);
        previous = index;
    }
}

TEST_F(StartupTest, LabelsAreBoldWhiteAndLetTheStripShowThrough)
{
    for (QLabel* label : {form->Label1, form->Label2}) {
        EXPECT_TRUE(label->font().bold());
        EXPECT_EQ(label->font().pixelSize(), 11);
        EXPECT_EQ(label->palette().color(QPalette::WindowText), Qt::white);
        EXPECT_FALSE(label->autoFillBackground());
    }
    EXPECT_EQ(form->Label1->text(), "Grid Size");
    EXPECT_EQ(form->Label2->text(), "Nib Size");
    // A pixel of Label1's area without text shows the strip's maroon.
    const QImage shot = form->centralWidget()->grab().toImage();
    EXPECT_EQ(shot.pixelColor(8, 312), QColor(128, 0, 0));
}

TEST_F(StartupTest, ToolButtonsCarryHintsAndGlyphs)
{
    EXPECT_EQ(form->SpeedButton1->toolTip(), "Draw in Current Colour");
    EXPECT_EQ(form->SpeedButton2->toolTip(), "Eraser");
    EXPECT_EQ(form->SpeedButton3->toolTip(), "Blur / Interpolate");
    EXPECT_EQ(form->UpDown2->toolTip(), "Intensity Nudge");
    for (SpeedButton* tool : {form->SpeedButton1, form->SpeedButton2, form->SpeedButton3}) {
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
    const QList<QAction*> bar = form->menuBar()->actions();
    ASSERT_EQ(bar.size(), 3);
    EXPECT_EQ(bar[0], form->File1);
    EXPECT_EQ(bar[1], form->Options1);
    EXPECT_EQ(bar[2], form->Help1);
    EXPECT_EQ(form->File1->text(), "&File");
    EXPECT_EQ(form->Options1->text(), "&Options");
    EXPECT_EQ(form->Help1->text(), "&Help");
    EXPECT_EQ(form->Help1->shortcut(), QKeySequence(Qt::Key_F1));

    QStringList file;
    for (QAction* item : form->File1->menu()->actions())
        file << (item->isSeparator() ? QStringLiteral("-") : item->text());
    EXPECT_EQ(file, QStringList({"&New BMP", "&Load BMP", "&Save BMP", "-", "Export &DXF", "-", "E&xit"}));
    EXPECT_TRUE(form->N1->isSeparator());
    EXPECT_EQ(form->ExportBlack1->text(), "Export &Black");
    EXPECT_EQ(form->ExportWhite1->text(), "Export &White");
    EXPECT_EQ(form->ExportBlack1->statusTip(), "Include Black Planes in output");
    EXPECT_EQ(form->ExportWhite1->statusTip(), "Export White Planes in Output");
    EXPECT_EQ(form->QuickHelp1->text(), "&Quick Help");
    for (QAction* item : {form->NewBMP1, form->LoadBMP1, form->SaveBMP1, form->ExportDXF1, form->Exit1,
                          form->ExportBlack1, form->ExportWhite1, form->QuickHelp1})
        EXPECT_TRUE(item->shortcut().isEmpty()) << item->text().toStdString();
}

TEST_F(StartupTest, DialogsStartWithTheirStoredSettings)
{
    EXPECT_EQ(form->SaveDialog1.title, "Export To DXF from Relief_Foundry");
    EXPECT_TRUE(form->SaveDialog1.overwritePrompt);
    EXPECT_EQ(form->SaveDialog1.fileName, "VORTALQUENCH.DXF");
    EXPECT_EQ(form->OpenDialog1.fileName, "VORTALQUENCH");
    EXPECT_EQ(form->OpenDialog1.filterLabel, "Uncompressed Bitmap (*.BMP)");
    EXPECT_EQ(form->OpenDialog1.filterPattern, "*.BMP");
    EXPECT_FALSE(form->OpenDialog1.overwritePrompt);
    EXPECT_EQ(form->ColorDialog1Colour, kBlack);
}

TEST_F(StartupTest, ResetGridPutsTheProductCaptionBackButNotTheGridBox)
{
    form->UpDown1->step(true);
    form->setStatusCaption("Exporting DXF Complete");
    form->ResetGrid();
    EXPECT_EQ(form->windowTitle(), "Relief_Foundry by Quennick (VORTALQUENCH)");
    EXPECT_EQ(form->State.GridSize, 50);
    EXPECT_EQ(form->EGridSize->text(), "60");
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

TEST_F(StartupTest, ExitEndsTheProgramAtOnceWithCodeZero)
{
    EXPECT_EQ(RunLoopWith([this] { form->Exit1->trigger(); }), 0);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(StartupTest, TheCloseBoxEndsTheProgramToo)
{
    help->ShowModal();
    help->close();
    EXPECT_EQ(RunLoopWith([this] { form->close(); }), 0);
    EXPECT_TRUE(dialogs.messages.empty());
}

}  // namespace
