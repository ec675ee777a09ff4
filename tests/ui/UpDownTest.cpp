#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

#include "MainWindowFixture.h"
#include "ui/UpDown.h"

namespace {

// Positions met by clicking one arrow again and again from a start position.
std::vector<int> Walk(UpDown& upDown, bool up, int clicks)
{
    std::vector<int> seen;
    for (int i = 0; i < clicks; ++i) {
        QTest::mouseClick(up ? upDown.upButton() : upDown.downButton(), Qt::LeftButton);
        seen.push_back(upDown.buddy() ? upDown.buddy()->text().toInt() : upDown.position());
    }
    return seen;
}

std::vector<int> Range(int first, int last, int step)
{
    std::vector<int> values;
    for (int v = first; step > 0 ? v <= last : v >= last; v += step)
        values.push_back(v);
    return values;
}

struct Stepping {
    const char* name;
    int minimum, maximum, increment, start;
    bool up;
    int clicks;
    std::vector<int> expected;
};

class UpDownStepping : public ::testing::TestWithParam<Stepping> {};

TEST_P(UpDownStepping, StepsByTheIncrementAndStopsAtTheEnds)
{
    const Stepping& row = GetParam();
    QLineEdit buddy(QString::number(row.start));
    UpDown upDown(row.minimum, row.maximum, row.increment, row.start);
    upDown.resize(15, 21);
    upDown.setBuddy(&buddy);
    EXPECT_EQ(Walk(upDown, row.up, row.clicks), row.expected);
}

std::vector<int> Append(std::vector<int> values, std::initializer_list<int> more)
{
    values.insert(values.end(), more);
    return values;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, UpDownStepping,
    ::testing::Values(
        Stepping{"GridUpFrom50", 1, 300, 10, 50, true, 27, Append(Range(60, 300, 10), {300, 300})},
        Stepping{"GridDownFrom50", 1, 300, 10, 50, false, 6, {40, 30, 20, 10, 1, 1}},
        Stepping{"GridUpFrom1", 1, 300, 10, 1, true, 31, Append(Range(11, 291, 10), {300, 300})},
        Stepping{"NibUpTo100", 0, 100, 1, 98, true, 3, {99, 100, 100}},
        Stepping{"NibDownTo0", 0, 100, 1, 2, false, 3, {1, 0, 0}},
        Stepping{"NudgeUpTo255", -255, 255, 1, 254, true, 2, {255, 255}},
        Stepping{"NudgeDownToMinus255", -255, 255, 1, -254, false, 2, {-255, -255}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(UpDownTest, AnnouncesAClickOnlyWhenThePositionMoved)
{
    UpDown upDown(-255, 255, 1, 254);
    upDown.resize(16, 24);
    QSignalSpy clicks(&upDown, &UpDown::clicked);
    QTest::mouseClick(upDown.upButton(), Qt::LeftButton);
    QTest::mouseClick(upDown.upButton(), Qt::LeftButton);
    QTest::mouseClick(upDown.downButton(), Qt::LeftButton);
    ASSERT_EQ(clicks.count(), 2);
    EXPECT_EQ(clicks[0][0].toBool(), true);
    EXPECT_EQ(clicks[1][0].toBool(), false);
    EXPECT_EQ(upDown.position(), 254);
}

TEST(UpDownTest, ArrowsRepeatWhileHeldAndTakeNoFocus)
{
    UpDown upDown(0, 100, 1, 10);
    EXPECT_TRUE(upDown.upButton()->autoRepeat());
    EXPECT_TRUE(upDown.downButton()->autoRepeat());
    EXPECT_EQ(upDown.focusPolicy(), Qt::NoFocus);
    EXPECT_EQ(upDown.upButton()->focusPolicy(), Qt::NoFocus);
}

TEST(UpDownTest, BuddyUpAndDownKeysStepIt)
{
    QLineEdit buddy(QStringLiteral("10"));
    UpDown upDown(0, 100, 1, 10);
    upDown.setBuddy(&buddy);
    QTest::keyClick(&buddy, Qt::Key_Up);
    QTest::keyClick(&buddy, Qt::Key_Up);
    EXPECT_EQ(buddy.text(), "12");
    QTest::keyClick(&buddy, Qt::Key_Down);
    EXPECT_EQ(buddy.text(), "11");
}

using GridSizeBoxTest = MainWindowFixture;

TEST_F(GridSizeBoxTest, ArrowClicksReachTheGridSizeThroughTheBox)
{
    QTest::mouseClick(gridSizeUpDown->upButton(), Qt::LeftButton);
    EXPECT_EQ(gridSizeBox->text(), "60");
    EXPECT_EQ(state().gridSize, 60);
    EXPECT_DOUBLE_EQ(state().stepX, 320.0 / 60);
    EXPECT_DOUBLE_EQ(state().stepY, 200.0 / 60);
    for (int i = 0; i < 6; ++i)
        QTest::mouseClick(gridSizeUpDown->downButton(), Qt::LeftButton);
    EXPECT_EQ(gridSizeBox->text(), "1");
    EXPECT_EQ(state().gridSize, 1);
    EXPECT_EQ(state().stepX, 320.0);
}

TEST_F(GridSizeBoxTest, AtTheTopTheUpArrowFiresNoChange)
{
    for (int i = 0; i < 25; ++i)
        gridSizeUpDown->step(true);
    ASSERT_EQ(gridSizeBox->text(), "300");
    QSignalSpy changes(gridSizeBox, &QLineEdit::textChanged);
    QTest::mouseClick(gridSizeUpDown->upButton(), Qt::LeftButton);
    EXPECT_EQ(changes.count(), 0);
    EXPECT_EQ(state().gridSize, 300);
}

TEST_F(GridSizeBoxTest, NibBoxKeysStepItsUpDownAndTheNibSize)
{
    nibSizeBox->setFocus();
    QTest::keyClick(nibSizeBox, Qt::Key_Down);
    EXPECT_EQ(nibSizeBox->text(), "9");
    EXPECT_EQ(nibSizeUpDown->position(), 9);
}

TEST_F(GridSizeBoxTest, TypingDoesNotChangeTheBoxes)
{
    gridSizeBox->setFocus();
    QTest::keyClicks(gridSizeBox, "7");
    EXPECT_EQ(gridSizeBox->text(), "50");
    EXPECT_EQ(state().gridSize, 50);
}

}  // namespace
