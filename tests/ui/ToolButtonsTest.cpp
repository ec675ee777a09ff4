#include <functional>

#include <QSignalSpy>
#include <QTest>

#include "MainWindowFixture.h"
#include "ui/ColourStrip.h"
#include "ui/SpeedButton.h"
#include "tests/support/DoubleClick.h"

namespace {

using ToolButtonsTest = MainWindowFixture;

TEST_F(ToolButtonsTest, ExactlyOneToolIsDownAndPressingItAgainKeepsItDown)
{
    const std::vector<SpeedButton*> tools = {pencilTool, eraserTool, blurTool};
    for (SpeedButton* pressed : {eraserTool, blurTool, blurTool, pencilTool}) {
        QTest::mouseClick(pressed, Qt::LeftButton);
        for (SpeedButton* tool : tools)
            EXPECT_EQ(tool->isChecked(), tool == pressed);
    }
}

TEST_F(ToolButtonsTest, TheFirstClickOfADoubleClickHasChosenTheTool)
{
    std::vector<std::string> order;
    QObject::connect(blurTool, &SpeedButton::clicked, [&] { order.push_back("click"); });
    QObject::connect(blurTool, &SpeedButton::doubleClicked, [&] {
        order.push_back(blurTool->isChecked() ? "double while down" : "double while up");
    });
    DoubleClick(blurTool);
    EXPECT_EQ(order, (std::vector<std::string>{"click", "double while down", "click"}));
    EXPECT_TRUE(blurTool->isChecked());
}

TEST_F(ToolButtonsTest, ADoubleClickWhileTheButtonIsUpIsNotReported)
{
    QSignalSpy doubles(blurTool, &SpeedButton::doubleClicked);
    // Something else takes the tool between the two clicks.
    DoubleClick(blurTool, [&] { pencilTool->setChecked(true); });
    EXPECT_EQ(doubles.count(), 0);
}

TEST_F(ToolButtonsTest, TheStripRepaintsAtOnceInItsNewColour)
{
    QImage shot = colourStrip->grab().toImage();
    EXPECT_EQ(shot.pixelColor(0, 0), QColor(Qt::black));
    EXPECT_EQ(shot.pixelColor(396, 28), QColor(Qt::black));
    EXPECT_EQ(shot.pixelColor(1, 1), QColor(128, 0, 0));
    colourStrip->setColour(MakeColour(130, 2, 2));
    EXPECT_EQ(drawingColour(), MakeColour(130, 2, 2));
    shot = colourStrip->grab().toImage();
    EXPECT_EQ(shot.pixelColor(200, 14), QColor(130, 2, 2));
    EXPECT_EQ(shot.pixelColor(0, 14), QColor(Qt::black));
}

}  // namespace
