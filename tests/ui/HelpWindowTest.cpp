#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>

#include "MainWindowFixture.h"

namespace {

class HelpWindowTest : public MainWindowFixture {
protected:
    void Open()
    {
        quickHelpAction->trigger();
        QApplication::setActiveWindow(help);
        QApplication::processEvents();
    }
};

TEST_F(HelpWindowTest, QuickHelpShowsItOverTheDisabledMainWindow)
{
    EXPECT_FALSE(help->isVisible());
    Open();
    EXPECT_TRUE(help->isVisible());
    EXPECT_EQ(help->windowModality(), Qt::ApplicationModal);
    EXPECT_EQ(QApplication::activeModalWidget(), help);
    EXPECT_EQ(help->windowTitle(), "Help for Relief_Foundry");
    EXPECT_EQ(QApplication::focusWidget(), static_cast<QWidget*>(helpMemo));
}

TEST_F(HelpWindowTest, FirstShowingIsCentredByTheOuterSize)
{
    Open();
    const QRect screen = help->screen()->geometry();
    EXPECT_EQ(help->pos(), QPoint((screen.width() - 463) / 2, (screen.height() - 322) / 2));
    EXPECT_GE(help->width(), 451);
    EXPECT_GE(help->height(), 293);
}

TEST_F(HelpWindowTest, ControlsSitAtTheirPlacesOnBlack)
{
    EXPECT_EQ(helpMemo->geometry(), QRect(4, 12, 445, 249));
    EXPECT_EQ(helpOk->geometry(), QRect(420, 268, 31, 25));
    EXPECT_EQ(helpOk->text(), "OK");
    EXPECT_FALSE(helpOk->isDefault());
    EXPECT_EQ(helpScrollArea->widget()->size(), QSize(451, 293));
    EXPECT_EQ(help->palette().color(QPalette::Window), Qt::black);
    EXPECT_EQ(helpMemo->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    EXPECT_EQ(helpMemo->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_FALSE(helpMemo->isReadOnly());
    EXPECT_TRUE(helpMemo->tabChangesFocus());
}

// The forty-seven lines the program has always shown, then a blank line and a line each
// on the STL, OBJ, 3MF and height-map exports and the mesh settings.
TEST_F(HelpWindowTest, TheTextHasItsFortySevenLinesWithTheirBlanks)
{
    const QStringList lines = helpMemo->toPlainText().split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 53);
    EXPECT_EQ(lines[0], "Use the menu to load, save and export images.");
    EXPECT_EQ(lines[5], "Tools: ");
    EXPECT_EQ(lines[6], "Pencil:  Left click on image to draw in current colour");
    EXPECT_EQ(lines[7], "\tRight Click on image to draw in black");
    EXPECT_EQ(lines[9], "\tRight click to draw in white (Highest Area)");
    EXPECT_EQ(lines[11], "        Double-Click on the BLUR TOOL to blur the entire image");
    EXPECT_EQ(lines[13], "Grid Size: The number of divisions the BMP undergoes during EXPORTING (Higher ");
    EXPECT_EQ(lines[18], "        while you are drawing. You can hold these keys down as you draw");
    EXPECT_EQ(lines[29], " you must rotate the Image MAP 180 degrees Z (use GRID SNAP) and use Planar ");
    EXPECT_EQ(lines[32], " You can then scale the mountain's height or animate a 'growing' one");
    for (int blank : {2, 4, 16, 19, 24, 33, 34, 39, 45})
        EXPECT_TRUE(lines[blank].isEmpty()) << "line " << blank + 1;
    for (int filled : {35, 36, 37, 38, 40, 41, 42, 43, 44})
        EXPECT_FALSE(lines[filled].isEmpty()) << "line " << filled + 1;
    EXPECT_EQ(lines[46], "Relief_Foundry Version 1.0");
    EXPECT_TRUE(lines[47].isEmpty());
    EXPECT_EQ(lines[48], "Export STL: a closed solid for 3D printing in millimetres, with walls down to a flat base "
                         "under the lowest ground, sized by Mesh Settings. Export Black and Export White do not "
                         "apply to it: a solid with holes cannot be printed.");
    EXPECT_EQ(lines[49], "Export OBJ: the same faces as the DXF, for Blender and other modelling programs.");
    EXPECT_EQ(lines[50], "Export 3MF: the same solid as Export STL in the 3D Manufacturing Format, which slicers take "
                         "with its millimetres as it is.");
    EXPECT_EQ(lines[51], "Export Height Map: the picture's heights at its own size for game engines and GIS tools, as "
                         "a 16-bit PNG or a 16-bit RAW (.r16) file: all 766 levels, not 256.");
    EXPECT_EQ(lines[52], "Mesh Settings (Options menu): the solid's longest side, relief and base in millimetres, in "
                         "the picture's proportions or square, and inverted (white lowest) for lithophanes.");
}

TEST_F(HelpWindowTest, EscapeNeitherCloses)
{
    Open();
    QTest::keyClick(helpMemo, Qt::Key_Escape);
    QTest::keyClick(helpOk, Qt::Key_Escape);
    EXPECT_TRUE(help->isVisible());
}

TEST_F(HelpWindowTest, EnterBreaksTheLineInTheMemoAndClosesOnTheButton)
{
    Open();
    helpMemo->moveCursor(QTextCursor::Start);
    QTest::keyClick(helpMemo, Qt::Key_Return);
    EXPECT_TRUE(help->isVisible());
    EXPECT_EQ(helpMemo->document()->blockCount(), 54);  // the text's 53 lines and the new one
    QTest::keyClick(helpMemo, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), static_cast<QWidget*>(helpOk));
    QTest::keyClick(helpOk, Qt::Key_Return);
    EXPECT_FALSE(help->isVisible());
}

// Exactly two tab stops, the memo and OK, in either direction and round again.
TEST_F(HelpWindowTest, TabAndShiftTabCycleBetweenTheMemoAndOkOnly)
{
    Open();
    const QString text = helpMemo->toPlainText();
    QStringList forward, backward;
    for (int i = 0; i < 4; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        forward << QApplication::focusWidget()->objectName();
    }
    EXPECT_EQ(forward, QStringList({"Button1", "Memo1", "Button1", "Memo1"}));
    for (int i = 0; i < 4; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
        backward << QApplication::focusWidget()->objectName();
    }
    EXPECT_EQ(backward, QStringList({"Button1", "Memo1", "Button1", "Memo1"}));
    EXPECT_EQ(helpMemo->toPlainText(), text);  // no tab typed
}

// OK takes Enter and Space only when they are pressed on their own.
TEST_F(HelpWindowTest, OkIgnoresEnterAndSpaceWithShiftCtrlOrAlt)
{
    Open();
    QTest::keyClick(helpMemo, Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), static_cast<QWidget*>(helpOk));
    for (Qt::KeyboardModifier modifier : {Qt::ShiftModifier, Qt::ControlModifier, Qt::AltModifier}) {
        for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Space}) {
            QTest::keyClick(helpOk, key, modifier);
            EXPECT_TRUE(help->isVisible()) << key << " with " << modifier;
        }
    }
    QTest::keyClick(helpOk, Qt::Key_Space);
    EXPECT_FALSE(help->isVisible());
}

TEST_F(HelpWindowTest, OkAndTheCloseBoxHideButKeepTheWindow)
{
    QPointer<HelpWindow> kept(help);
    Open();
    QTest::mouseClick(helpOk, Qt::LeftButton);
    EXPECT_FALSE(help->isVisible());
    Open();
    EXPECT_TRUE(help->close());
    QApplication::processEvents();
    EXPECT_FALSE(help->isVisible());
    EXPECT_EQ(kept.data(), help);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_TRUE(window->isVisible());
}

TEST_F(HelpWindowTest, TypedTextPlaceAndSizeSurviveAReopen)
{
    Open();
    helpMemo->moveCursor(QTextCursor::End);
    QTest::keyClicks(helpMemo, "my notes");
    help->setGeometry(QRect(30, 40, 300, 200));
    QTest::mouseClick(helpOk, Qt::LeftButton);
    Open();
    EXPECT_TRUE(helpMemo->toPlainText().endsWith("inverted (white lowest) for lithophanes.my notes"));
    EXPECT_EQ(help->geometry(), QRect(30, 40, 300, 200));
}

TEST_F(HelpWindowTest, ASmallWindowScrollsToEveryControl)
{
    Open();
    help->resize(200, 150);
    QApplication::processEvents();
    QScrollArea* area = helpScrollArea;
    EXPECT_EQ(area->horizontalScrollBar()->maximum(), 451 - area->viewport()->width());
    EXPECT_EQ(area->verticalScrollBar()->maximum(), 293 - area->viewport()->height());
    help->resize(600, 400);
    QApplication::processEvents();
    EXPECT_EQ(area->horizontalScrollBar()->maximum(), 0);
    EXPECT_EQ(helpMemo->geometry(), QRect(4, 12, 445, 249));
}

}  // namespace
