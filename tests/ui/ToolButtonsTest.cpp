#include <functional>

#include <QSignalSpy>
#include <QTest>

#include "Form1Fixture.h"
#include "ui/ColourStrip.h"
#include "ui/SpeedButton.h"

namespace {

using ToolButtonsTest = Form1Fixture;

TEST_F(ToolButtonsTest, ExactlyOneToolIsDownAndPressingItAgainKeepsItDown)
{
    const std::vector<SpeedButton*> tools = {form->SpeedButton1, form->SpeedButton2, form->SpeedButton3};
    for (SpeedButton* pressed : {form->SpeedButton2, form->SpeedButton3, form->SpeedButton3, form->SpeedButton1}) {
        QTest::mouseClick(pressed, Qt::LeftButton);
        for (SpeedButton* tool : tools)
            EXPECT_EQ(tool->isChecked(), tool == pressed);
    }
}

// What the window system delivers for a double click: press, release, then the second
// press followed by the double-click event, then its release.
void DoubleClick(QWidget* button, const std::function<void()>& betweenTheClicks = {})
{
    const QPoint centre = button->rect().center();
    QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, centre);
    if (betweenTheClicks)
        betweenTheClicks();
    QTest::mousePress(button, Qt::LeftButton, Qt::NoModifier, centre);
    QMouseEvent dbl(QEvent::MouseButtonDblClick, centre, button->mapToGlobal(QPointF(centre)), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(button, &dbl);
    QTest::mouseRelease(button, Qt::LeftButton, Qt::NoModifier, centre);
}

TEST_F(ToolButtonsTest, TheFirstClickOfADoubleClickHasChosenTheTool)
{
    std::vector<std::string> order;
    QObject::connect(form->SpeedButton3, &SpeedButton::clicked, [&] { order.push_back("click"); });
    QObject::connect(form->SpeedButton3, &SpeedButton::doubleClicked, [&] {
        order.push_back(form->SpeedButton3->isChecked() ? "double while down" : "double while up");
    });
    DoubleClick(form->SpeedButton3);
    EXPECT_EQ(order, (std::vector<std::string>{"click", "double while down", "click"}));
    EXPECT_TRUE(form->SpeedButton3->isChecked());
}

TEST_F(ToolButtonsTest, ADoubleClickWhileTheButtonIsUpIsNotReported)
{
    QSignalSpy doubles(form->SpeedButton3, &SpeedButton::doubleClicked);
    // Something else takes the tool between the two clicks.
    DoubleClick(form->SpeedButton3, [&] { form->SpeedButton1->setChecked(true); });
    EXPECT_EQ(doubles.count(), 0);
}

TEST_F(ToolButtonsTest, TheStripRepaintsAtOnceInItsNewColour)
{
    QImage shot = form->Shape1->grab().toImage();
    EXPECT_EQ(shot.pixelColor(0, 0), QColor(Qt::black));
    EXPECT_EQ(shot.pixelColor(396, 28), QColor(Qt::black));
    EXPECT_EQ(shot.pixelColor(1, 1), QColor(128, 0, 0));
    form->setDrawingColour(MakeColour(130, 2, 2));
    EXPECT_EQ(form->drawingColour(), MakeColour(130, 2, 2));
    shot = form->Shape1->grab().toImage();
    EXPECT_EQ(shot.pixelColor(200, 14), QColor(130, 2, 2));
    EXPECT_EQ(shot.pixelColor(0, 14), QColor(Qt::black));
}

}  // namespace
