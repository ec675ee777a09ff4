#include <QLineEdit>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <QWindow>
#include <gtest/gtest.h>

#include <vector>

#include "MainWindowFixture.h"
#include "model/BuiltInPicture.h"
#include "paint/BlurImage.h"
#include "ui/ColourStrip.h"
#include "ui/ImageView.h"
#include "ui/SpeedButton.h"
#include "ui/UpDown.h"
#include "tests/support/DoubleClick.h"

namespace {

const ColourValue kStartColour = kMaroon;

ColourValue PixelAt(const Picture& picture, int x, int y)
{
    return picture.pixels[static_cast<std::size_t>(y * picture.width + x)] & 0x00FFFFFFu;
}

// The built-in picture with the given squares painted over it, worked out here
// pixel by pixel rather than by the painting code.
Picture WithSquares(const std::vector<std::pair<QRect, ColourValue>>& squares)
{
    Picture expected = BuiltInPicture();
    for (const auto& [square, colour] : squares)
        for (int y = square.top(); y <= square.bottom(); ++y)
            for (int x = square.left(); x <= square.right(); ++x)
                if (x >= 0 && y >= 0 && x < expected.width && y < expected.height)
                    expected.pixels[static_cast<std::size_t>(y * expected.width + x)] = StoredPixel(colour);
    return expected;
}

// Counts the pixels where two pictures differ, so a failure says how much went wrong.
int Differences(const Picture& a, const Picture& b)
{
    if (a.width != b.width || a.height != b.height)
        return -1;
    int differing = 0;
    for (std::size_t k = 0; k < a.pixels.size(); ++k)
        differing += (a.pixels[k] & 0x00FFFFFFu) != (b.pixels[k] & 0x00FFFFFFu);
    return differing;
}

// QTest moves carry no modifiers, and with no button held they only move the cursor;
// these send the move the platform would deliver.
void MoveWith(QWidget* widget, QPoint at, Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers = {})
{
    QMouseEvent move(QEvent::MouseMove, at, widget->mapToGlobal(at), Qt::NoButton, buttons, modifiers);
    QApplication::sendEvent(widget, &move);
}

// Records the window's captions as they are set.
class CaptionLog : public QObject {
public:
    explicit CaptionLog(QWidget* window) : window_(window) { window->installEventFilter(this); }
    std::vector<QString> captions;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == window_ && event->type() == QEvent::WindowTitleChange)
            captions.push_back(window_->windowTitle());
        return false;
    }

private:
    QWidget* window_;
};

// Records the areas the image repaints.
class PaintLog : public QObject {
public:
    explicit PaintLog(QWidget* widget) : widget_(widget) { widget->installEventFilter(this); }
    QRegion painted;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == widget_ && event->type() == QEvent::Paint)
            painted += static_cast<QPaintEvent*>(event)->region();
        return false;
    }

private:
    QWidget* widget_;
};

// The image's change turns into a repaint request one pass of the event loop later,
// and the repaint itself comes one pass after that.
void Settle()
{
    for (int pass = 0; pass < 3; ++pass)
        QApplication::processEvents();
}

// Keys go to whichever control has the focus, as they do on the desktop.
void KeyClick(Qt::Key key, Qt::KeyboardModifiers modifiers = {})
{
    ASSERT_NE(QApplication::focusWidget(), nullptr);
    QTest::keyClick(QApplication::focusWidget(), key, modifiers);
}

QColor StripColour(ColourStrip* strip)
{
    return strip->grab().toImage().pixelColor(strip->width() / 2, strip->height() / 2);
}

QColor AsQColor(ColourValue colour)
{
    return QColor(RedOf(colour), GreenOf(colour), BlueOf(colour));
}

class PaintTest : public MainWindowFixture {
protected:
    const Picture& painted() { return surface().picture(); }
};

} // namespace

// ---- Strokes ------------------------------------------------------------------------------

TEST_F(PaintTest, StrokePaintsOneSquarePerMoveUntilRelease)
{
    ImageView* image = imageView;
    QTest::mousePress(image, Qt::LeftButton, {}, QPoint(27, 3));
    EXPECT_EQ(Differences(painted(), BuiltInPicture()), 0) << "a press alone paints";
    QTest::mouseMove(image, QPoint(27, 3));
    QTest::mouseMove(image, QPoint(21, 8));
    QTest::mouseMove(image, QPoint(155, 47));
    QTest::mouseRelease(image, Qt::LeftButton, {}, QPoint(155, 47));
    MoveWith(image, QPoint(75, 75), Qt::NoButton);

    const Picture expected = WithSquares({{QRect(20, 0, 10, 10), kStartColour}, {QRect(150, 40, 10, 10), kStartColour}});
    EXPECT_EQ(Differences(painted(), expected), 0);
    EXPECT_FALSE(state().drawing);
}

TEST_F(PaintTest, OnlyThePaintedSquareIsRepainted)
{
    ImageView* image = imageView;
    Settle();
    ASSERT_TRUE(window->windowHandle()->isExposed());
    PaintLog log(image);
    QTest::mousePress(image, Qt::LeftButton, {}, QPoint(57, 33));
    QTest::mouseMove(image, QPoint(57, 33));
    QTest::mouseRelease(image, Qt::LeftButton, {}, QPoint(57, 33));
    Settle();
    EXPECT_EQ(log.painted, QRegion(50, 30, 10, 10));
}

TEST_F(PaintTest, LeftPressCapturesThePointerOffTheLeftEdge)
{
    ImageView* image = imageView;
    QTest::mousePress(image, Qt::LeftButton, {}, QPoint(5, 12));
    QTest::mouseMove(image, QPoint(-5, 25));   // snaps to 0: cell x 0..9
    QTest::mouseMove(image, QPoint(-10, 45));  // snaps to -10: nothing visible
    QTest::mouseRelease(image, Qt::LeftButton, {}, QPoint(-30, 45));
    EXPECT_FALSE(state().drawing) << "the release away from the image ends the stroke";
    MoveWith(image, QPoint(100, 100), Qt::NoButton);

    EXPECT_EQ(Differences(painted(), WithSquares({{QRect(0, 20, 10, 10), kStartColour}})), 0);
}

TEST_F(PaintTest, RightPressDoesNotCapture)
{
    ImageView* image = imageView;
    QTest::mousePress(image, Qt::RightButton, {}, QPoint(5, 12));
    MoveWith(image, QPoint(-5, 25), Qt::RightButton);
    EXPECT_EQ(Differences(painted(), BuiltInPicture()), 0);
}

TEST_F(PaintTest, RightButtonAloneDrawsBlackButNotWithCtrl)
{
    ImageView* image = imageView;
    QTest::mousePress(image, Qt::RightButton, {}, QPoint(5, 5));
    MoveWith(image, QPoint(5, 5), Qt::RightButton);
    MoveWith(image, QPoint(15, 5), Qt::RightButton, Qt::ControlModifier);
    MoveWith(image, QPoint(25, 5), Qt::RightButton | Qt::LeftButton);
    QTest::mouseRelease(image, Qt::RightButton, {}, QPoint(25, 5));

    const Picture expected = WithSquares({{QRect(0, 0, 10, 10), kBlack},
                                          {QRect(10, 0, 10, 10), kStartColour},
                                          {QRect(20, 0, 10, 10), kStartColour}});
    EXPECT_EQ(Differences(painted(), expected), 0);
}

TEST_F(PaintTest, EachToolButtonChoosesItsTool)
{
    const std::vector<std::pair<SpeedButton*, Tool>> clicks = {
        {eraserTool, Tool::Eraser}, {blurTool, Tool::BlurBrush}, {blurTool, Tool::BlurBrush},
        {pencilTool, Tool::Pencil}, {blurTool, Tool::BlurBrush}, {eraserTool, Tool::Eraser}};
    for (const auto& [button, tool] : clicks) {
        QTest::mouseClick(button, Qt::LeftButton);
        EXPECT_EQ(state().currentTool, tool);
        EXPECT_TRUE(button->isChecked());
    }
}

TEST_F(PaintTest, EraserAndNibSizeFollowTheirControls)
{
    QTest::mouseClick(eraserTool, Qt::LeftButton);
    EXPECT_EQ(state().currentTool, Tool::Eraser);
    for (int k = 0; k < 5; ++k)
        QTest::mouseClick(nibSizeUpDown->upButton(), Qt::LeftButton);
    EXPECT_EQ(nibSizeBox->text(), QStringLiteral("15"));
    EXPECT_EQ(state().nibSize, 15);

    ImageView* image = imageView;
    QTest::mousePress(image, Qt::RightButton, {}, QPoint(40, 40));
    MoveWith(image, QPoint(40, 40), Qt::RightButton);
    QTest::mouseRelease(image, Qt::RightButton, {}, QPoint(40, 40));
    EXPECT_EQ(Differences(painted(), WithSquares({{QRect(30, 30, 15, 15), kWhite}})), 0);
}

TEST_F(PaintTest, NibSizeZeroPaintsNothing)
{
    for (int k = 0; k < 12; ++k)
        QTest::mouseClick(nibSizeUpDown->downButton(), Qt::LeftButton);
    EXPECT_EQ(nibSizeBox->text(), QStringLiteral("0"));
    QTest::mousePress(imageView, Qt::LeftButton, {}, QPoint(40, 40));
    QTest::mouseMove(imageView, QPoint(44, 44));
    QTest::mouseRelease(imageView, Qt::LeftButton, {}, QPoint(44, 44));
    EXPECT_EQ(Differences(painted(), BuiltInPicture()), 0);
}

// ---- Whole-picture blur ----------------------------------------------------------------------

TEST_F(PaintTest, DoubleClickOnBlurToolWhilePencilSelectedBlursTheWholePicture)
{
    ASSERT_EQ(state().currentTool, Tool::Pencil);
    CaptionLog log(window);
    DoubleClick(blurTool);

    EXPECT_EQ(state().currentTool, Tool::BlurBrush);
    EXPECT_TRUE(blurTool->isChecked());
    EXPECT_FALSE(pencilTool->isChecked());
    EXPECT_EQ(log.captions, (std::vector<QString>{QStringLiteral("Blurring... Please Wait"),
                                                  QStringLiteral("Blurring Complete")}));
    ImageSurface reference;
    reference.putPicture(BuiltInPicture());
    BlurImage(state(), reference);
    EXPECT_EQ(Differences(painted(), reference.picture()), 0);
    EXPECT_GT(Differences(painted(), BuiltInPicture()), 1000);
}

TEST_F(PaintTest, TheBlurRunsNoQueuedWorkWhileItsCaptionsAreShown)
{
    bool ran = false;
    bool ranBeforeTheEnd = true;
    QObject::connect(window, &QWidget::windowTitleChanged, window, [&](const QString& title) {
        if (title == QStringLiteral("Blurring Complete"))
            ranBeforeTheEnd = ran;
    });
    QTest::mouseClick(blurTool, Qt::LeftButton);
    QMetaObject::invokeMethod(window, [&] { ran = true; }, Qt::QueuedConnection);
    QTest::mousePress(blurTool, Qt::LeftButton, Qt::NoModifier, blurTool->rect().center());
    QMouseEvent second(QEvent::MouseButtonDblClick, QPointF(blurTool->rect().center()),
                       blurTool->mapToGlobal(QPointF(blurTool->rect().center())), Qt::LeftButton, Qt::LeftButton,
                       Qt::NoModifier);
    QApplication::sendEvent(blurTool, &second);
    QTest::mouseRelease(blurTool, Qt::LeftButton, Qt::NoModifier, blurTool->rect().center());
    EXPECT_EQ(window->windowTitle(), "Blurring Complete");
    EXPECT_FALSE(ranBeforeTheEnd);
}

TEST_F(PaintTest, SingleClickOnBlurToolDoesNotBlur)
{
    QTest::mouseClick(blurTool, Qt::LeftButton);
    EXPECT_EQ(state().currentTool, Tool::BlurBrush);
    EXPECT_EQ(Differences(painted(), BuiltInPicture()), 0);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Relief_Foundry by Quennick (VORTALQUENCH)"));
}

TEST_F(PaintTest, BlurOfAnIconFailsAndKeepsTheWaitingCaption)
{
    Picture icon;
    icon.kind = PictureKind::Icon;
    icon.width = icon.height = 32;
    surface().putPicture(icon);
    DoubleClick(blurTool);

    EXPECT_EQ(window->windowTitle(), QStringLiteral("Blurring... Please Wait"));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, QStringLiteral("Can only modify an image if it contains a bitmap."));
    EXPECT_EQ(dialogs.messages[0].icon, Dialogs::Icon::Critical);
}

// ---- Drawing colour ------------------------------------------------------------------------

TEST_F(PaintTest, KeypadPlusInTheNibBoxBrightensAndLeavesTheBox)
{
    nibSizeBox->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), nibSizeBox);
    KeyClick(Qt::Key_Plus, Qt::KeypadModifier);
    EXPECT_EQ(drawingColour(), MakeColour(130, 2, 2));
    EXPECT_EQ(nibSizeBox->text(), QStringLiteral("10"));
    EXPECT_EQ(StripColour(colourStrip), QColor(130, 2, 2));

    KeyClick(Qt::Key_Minus, Qt::KeypadModifier | Qt::ControlModifier);
    EXPECT_EQ(drawingColour(), MakeColour(128, 0, 0));
    KeyClick(Qt::Key_Plus);  // the main keyboard's plus does nothing
    EXPECT_EQ(drawingColour(), MakeColour(128, 0, 0));
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(PaintTest, SlashKeyShowsTheOwnershipMessage)
{
    KeyClick(Qt::Key_Question, Qt::ShiftModifier);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].title, QStringLiteral("Proof Of ownership"));
    EXPECT_EQ(dialogs.messages[0].text, QStringLiteral("This program was made by Quennick from the Band VORTALQUENCH"));
    EXPECT_EQ(dialogs.messages[0].icon, Dialogs::Icon::None);
    EXPECT_EQ(drawingColour(), kStartColour);
}

TEST_F(PaintTest, NudgeStopsAtItsTopUntilMovedBack)
{
    QToolButton* up = intensityNudge->upButton();
    for (int k = 0; k < 255; ++k)
        QTest::mouseClick(up, Qt::LeftButton);
    EXPECT_EQ(drawingColour(), MakeColour(254, 254, 254));

    dialogs.colourAnswers.push_back(MakeColour(10, 10, 10));
    QTest::mouseClick(colourButton, Qt::LeftButton);
    QTest::mouseClick(up, Qt::LeftButton);
    EXPECT_EQ(drawingColour(), MakeColour(10, 10, 10)) << "a click at the top counts";
    QTest::mouseClick(intensityNudge->downButton(), Qt::LeftButton);
    EXPECT_EQ(drawingColour(), MakeColour(8, 8, 8));
    QTest::mouseClick(up, Qt::LeftButton);
    EXPECT_EQ(drawingColour(), MakeColour(10, 10, 10));
    EXPECT_EQ(StripColour(colourStrip), QColor(10, 10, 10));
}

TEST_F(PaintTest, ColourDialogStartsFromItsOwnColour)
{
    dialogs.colourAnswers = {MakeColour(200, 100, 50), std::nullopt};
    QTest::mouseClick(colourButton, Qt::LeftButton);
    EXPECT_EQ(drawingColour(), MakeColour(200, 100, 50));
    EXPECT_EQ(StripColour(colourStrip), QColor(200, 100, 50));

    QTest::mouseClick(intensityNudge->upButton(), Qt::LeftButton);
    QTest::mouseClick(colourButton, Qt::LeftButton);  // cancelled
    EXPECT_EQ(drawingColour(), MakeColour(202, 102, 52));
    QTest::mouseClick(colourButton, Qt::LeftButton);  // cancelled again

    ASSERT_EQ(dialogs.colourRequests.size(), 3u);
    EXPECT_EQ(dialogs.colourRequests[0].initial, kBlack);
    EXPECT_EQ(dialogs.colourRequests[1].initial, MakeColour(200, 100, 50));
    EXPECT_EQ(dialogs.colourRequests[2].initial, MakeColour(200, 100, 50));
}

TEST_F(PaintTest, PencilPaintsTheCurrentDrawingColour)
{
    KeyClick(Qt::Key_Plus, Qt::KeypadModifier);
    QTest::mousePress(imageView, Qt::LeftButton, {}, QPoint(3, 3));
    QTest::mouseMove(imageView, QPoint(3, 3));
    QTest::mouseRelease(imageView, Qt::LeftButton, {}, QPoint(3, 3));
    EXPECT_EQ(PixelAt(painted(), 0, 0), MakeColour(130, 2, 2));
    EXPECT_EQ(StripColour(colourStrip), AsQColor(MakeColour(130, 2, 2)));
}
