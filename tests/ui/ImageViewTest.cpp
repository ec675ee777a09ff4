#include <QBuffer>
#include <QImage>
#include <QPaintEvent>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include "ScriptedDialogs.h"
#include "ui/ImageView.h"

namespace {

Picture Flat(int width, int height, ColourValue colour)
{
    Picture picture;
    picture.width = width;
    picture.height = height;
    picture.pixels.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), StoredPixel(colour));
    return picture;
}

QColor ToQColor(ColourValue c)
{
    return QColor(RedOf(c), GreenOf(c), BlueOf(c));
}

// Records the rectangles the view is asked to paint.
class PaintLog : public QObject {
public:
    std::vector<QRect> rects;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            rects.push_back(static_cast<QPaintEvent*>(event)->rect());
        return false;
    }
};

class ImageViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        window.resize(400, 300);
        view = new ImageView(&window);
        view->surface().putPicture(Flat(100, 80, MakeColour(10, 20, 30)));
        window.show();
        QApplication::processEvents();
    }

    ScriptedDialogs dialogs;
    QWidget window;
    ImageView* view = nullptr;
};

TEST_F(ImageViewTest, TakesThePicturesSizeAndShowsItsPixels)
{
    EXPECT_EQ(view->size(), QSize(100, 80));
    view->surface().setBrushColour(MakeColour(200, 100, 50));
    view->surface().fillRect(5, 5, 7, 7);
    QApplication::processEvents();
    const QImage shot = view->grab().toImage();
    EXPECT_EQ(shot.pixelColor(6, 6), QColor(200, 100, 50));
    EXPECT_EQ(shot.pixelColor(7, 6), QColor(10, 20, 30));
    EXPECT_EQ(shot.pixelColor(99, 79), ToQColor(view->surface().pixel(99, 79)));
}

TEST_F(ImageViewTest, ManyFillsBecomeOneRepaintOfTheirBoundingRectangle)
{
    PaintLog log;
    view->installEventFilter(&log);
    view->surface().setBrushColour(kWhite);
    view->surface().fillRect(10, 10, 20, 20);
    for (int i = 0; i < 500; ++i)
        view->surface().fillRect(50, 40, 60, 45);
    view->surface().fillRect(90, 90, 120, 120);  // outside: clipped to nothing
    EXPECT_TRUE(log.rects.empty());  // nothing is drawn before the command returns
    // One round posts the repaint request, the next one paints.
    QApplication::processEvents();
    QApplication::processEvents();
    ASSERT_EQ(log.rects.size(), 1u);
    EXPECT_EQ(log.rects[0], QRect(QPoint(10, 10), QPoint(59, 44)));
}

TEST_F(ImageViewTest, UnusablePixelsDrawNothingAndAreReportedOnce)
{
    Picture broken = Flat(4, 4, kWhite);
    broken.pixelsUnusable = true;
    view->surface().putPicture(broken);
    QApplication::processEvents();
    view->repaint();
    view->repaint();
    EXPECT_TRUE(dialogs.messages.empty());  // never from inside a paint
    QApplication::processEvents();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "Bitmap image is not valid.");
    EXPECT_EQ(dialogs.messages[0].icon, Dialogs::Icon::Critical);
}

TEST_F(ImageViewTest, AnIconIsDrawnAtThirtyTwoPixels)
{
    QImage red(16, 16, QImage::Format_ARGB32);
    red.fill(Qt::red);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(red.save(&buffer, "ico"));
    Picture icon;
    icon.kind = PictureKind::Icon;
    icon.width = icon.height = 32;
    icon.sourceFile.assign(bytes.begin(), bytes.end());
    view->surface().putPicture(icon);
    QApplication::processEvents();
    EXPECT_EQ(view->size(), QSize(32, 32));
    const QImage shot = view->grab().toImage();
    EXPECT_EQ(shot.pixelColor(0, 0), QColor(Qt::red));
    EXPECT_EQ(shot.pixelColor(31, 31), QColor(Qt::red));
}

struct ShiftRow {
    const char* name;
    Qt::KeyboardModifiers modifiers;
    Qt::MouseButtons buttons;
    ShiftState expected;
};

class ShiftRows : public ::testing::TestWithParam<ShiftRow> {};

TEST_P(ShiftRows, KeysAndButtonsHeldBecomeTheShiftState)
{
    EXPECT_EQ(ShiftStateOf(GetParam().modifiers, GetParam().buttons), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Held, ShiftRows,
    ::testing::Values(ShiftRow{"Nothing", Qt::NoModifier, Qt::NoButton, 0},
                      ShiftRow{"RightAlone", Qt::NoModifier, Qt::RightButton, kRightButton},
                      ShiftRow{"CtrlRight", Qt::ControlModifier, Qt::RightButton, kCtrlKey | kRightButton},
                      ShiftRow{"LeftRight", Qt::NoModifier, Qt::LeftButton | Qt::RightButton,
                               kLeftButton | kRightButton},
                      ShiftRow{"ShiftAltMiddle", Qt::ShiftModifier | Qt::AltModifier, Qt::MiddleButton,
                               kShiftKey | kAltKey | kMiddleButton},
                      ShiftRow{"KeypadIsNoKey", Qt::KeypadModifier, Qt::NoButton, 0}),
    [](const auto& info) { return std::string(info.param.name); });

class ImageMouseTest : public ImageViewTest {
protected:
    void SetUp() override
    {
        ImageViewTest::SetUp();
        downs = std::make_unique<QSignalSpy>(view, &ImageView::mouseDown);
        moves = std::make_unique<QSignalSpy>(view, &ImageView::mouseMove);
        ups = std::make_unique<QSignalSpy>(view, &ImageView::mouseUp);
    }

    std::unique_ptr<QSignalSpy> downs, moves, ups;
};

TEST_F(ImageMouseTest, ReportsButtonsShiftAndPictureCoordinates)
{
    QTest::mousePress(view, Qt::LeftButton, Qt::ShiftModifier, QPoint(27, 3));
    ASSERT_EQ(downs->count(), 1);
    EXPECT_EQ((*downs)[0][0].value<Qt::MouseButton>(), Qt::LeftButton);
    EXPECT_EQ((*downs)[0][1].toUInt(), kShiftKey | kLeftButton);
    EXPECT_EQ((*downs)[0][2].toInt(), 27);
    EXPECT_EQ((*downs)[0][3].toInt(), 3);
    QTest::mouseRelease(view, Qt::LeftButton, Qt::NoModifier, QPoint(21, 8));
    ASSERT_EQ(ups->count(), 1);
    EXPECT_EQ((*ups)[0][2].toInt(), 21);
    EXPECT_EQ((*ups)[0][3].toInt(), 8);
}

TEST_F(ImageMouseTest, ALeftPressCapturesMovesAndTheReleaseOutside)
{
    QTest::mousePress(view, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    EXPECT_TRUE(view->capturing());
    QTest::mouseMove(view, QPoint(-5, 3));
    QTest::mouseMove(view, QPoint(150, 90));
    QTest::mouseRelease(view, Qt::LeftButton, Qt::NoModifier, QPoint(150, 90));
    EXPECT_FALSE(view->capturing());
    ASSERT_EQ(moves->count(), 2);
    EXPECT_EQ((*moves)[0][1].toInt(), -5);
    EXPECT_EQ(ups->count(), 1);
}

TEST_F(ImageMouseTest, ARightPressDoesNotCaptureMovesOutside)
{
    QTest::mousePress(view, Qt::RightButton, Qt::NoModifier, QPoint(5, 5));
    EXPECT_FALSE(view->capturing());
    QTest::mouseMove(view, QPoint(-5, 3));
    QTest::mouseMove(view, QPoint(6, 6));
    QTest::mouseRelease(view, Qt::RightButton, Qt::NoModifier, QPoint(150, 90));
    ASSERT_EQ(moves->count(), 1);
    EXPECT_EQ((*moves)[0][1].toInt(), 6);
    EXPECT_EQ(ups->count(), 0);
}

TEST_F(ImageMouseTest, AControlAboveThePictureTakesTheMouseThere)
{
    QWidget cover(&window);
    cover.setGeometry(0, 50, 100, 30);
    cover.show();
    QTest::mouseMove(view, QPoint(10, 60));
    QTest::mouseMove(view, QPoint(10, 40));
    ASSERT_EQ(moves->count(), 1);
    EXPECT_EQ((*moves)[0][2].toInt(), 40);
}

}  // namespace
