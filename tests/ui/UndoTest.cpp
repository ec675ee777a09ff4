// Edit › Undo and Redo through the real menu items and keys: one step per stroke, blur,
// New BMP and Load BMP, the pictures compared byte for byte with copies saved at each
// step, and undo kept away from strokes in progress and modal windows.
#include <QDialog>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTest>

#include "MainWindowFixture.h"
#include "model/BuiltInPicture.h"
#include "model/ImageSurface.h"
#include "tests/support/BmpBuilder.h"
#include "tests/support/DoubleClick.h"
#include "tests/support/PictureBuilder.h"
#include "tests/support/TempFolder.h"
#include "ui/KeyRouter.h"
#include "ui/PictureHistory.h"

namespace {

QByteArray BytesOf(const Bytes& bytes)
{
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
}

// A 60 x 40 picture at 8 bits, and the same picture run-length encoded.
BmpSpec EightBitSpec()
{
    BmpSpec s;
    s.width = 60;
    s.height = 40;
    s.bitsPerPixel = 8;
    s.table = {0x102030, 0x405060, 0x708090, 0xA0B0C0, 0xF0E0D0};
    s.coloursUsed = 5;
    std::vector<int> indices;
    for (int k = 0; k < 60 * 40; ++k)
        indices.push_back((k / 7 + k / 60) % 5);
    s.pixels = IndexRows(indices, 60, 40, 8);
    return s;
}

BmpSpec RunLengthSpec()
{
    BmpSpec s = EightBitSpec();
    s.compression = 1;
    std::vector<int> indices;
    for (int k = 0; k < 60 * 40; ++k)
        indices.push_back((k / 7 + k / 60) % 5);
    s.pixels = RleRows(indices, 60, 40, false);
    return s;
}

// The image's change becomes a repaint request one pass of the event loop later, and
// the repaint itself comes one pass after that.
void Settle()
{
    for (int pass = 0; pass < 3; ++pass)
        QApplication::processEvents();
}

class UndoTest : public MainWindowFixture {
protected:
    void SetUp() override
    {
        MainWindowFixture::SetUp();
        editMenu = Find<QAction>(window, "Edit1");
        undoAction = Find<QAction>(window, "Undo1");
        redoAction = Find<QAction>(window, "Redo1");
        preview = window->findChild<KeyRouter*>();
        ASSERT_NE(preview, nullptr);
    }

    // A left-button stroke through the given points.
    void Stroke(std::initializer_list<QPoint> moves)
    {
        QTest::mousePress(imageView, Qt::LeftButton, {}, *moves.begin());
        for (const QPoint& at : moves)
            QTest::mouseMove(imageView, at);
        QTest::mouseRelease(imageView, Qt::LeftButton, {}, *(moves.end() - 1));
    }

    void Blur() { DoubleClick(blurTool); }

    void Load(const QString& file)
    {
        dialogs.openAnswers.push_back(file);
        loadAction->trigger();
    }

    // The picture as Save BMP writes it now.
    QByteArray Saved()
    {
        const QString name = temp.path(QStringLiteral("save%1.bmp").arg(saves++));
        dialogs.saveAnswers.push_back(name);
        saveAction->trigger();
        return ReadWholeFile(name);
    }

    QString WriteFile(const QString& name, const Bytes& bytes)
    {
        const QString path = temp.path(name);
        WriteBytes(path.toStdString(), bytes);
        return path;
    }

    // Keys go to whichever control has the focus, as on the desktop.
    static void Key(Qt::Key key, Qt::KeyboardModifiers modifiers)
    {
        QTest::keyClick(QApplication::focusWidget(), key, modifiers);
    }
    static void CtrlZ() { Key(Qt::Key_Z, Qt::ControlModifier); }
    static void CtrlY() { Key(Qt::Key_Y, Qt::ControlModifier); }
    static void CtrlShiftZ() { Key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier); }

    TempFolder temp;
    int saves = 0;
    QAction* editMenu = nullptr;
    QAction* undoAction = nullptr;
    QAction* redoAction = nullptr;
    KeyRouter* preview = nullptr;
};

// ---- The Edit menu ---------------------------------------------------------------------------

TEST_F(UndoTest, EditMenuSitsBetweenFileAndOptionsWithUndoAndRedo)
{
    // File, Edit, then View (the 3D preview) and Options.
    const QList<QAction*> bar = window->menuBar()->actions();
    ASSERT_EQ(bar.size(), 5);
    EXPECT_EQ(bar[0], fileMenu);
    EXPECT_EQ(bar[1], editMenu);
    EXPECT_EQ(bar[2]->objectName(), "View1");
    EXPECT_EQ(bar[3], optionsMenu);
    EXPECT_EQ(editMenu->text(), "&Edit");
    EXPECT_EQ(editMenu->menu()->actions(), (QList<QAction*>{undoAction, redoAction}));
    EXPECT_EQ(undoAction->text(), "&Undo");
    EXPECT_EQ(redoAction->text(), "&Redo");
    EXPECT_EQ(undoAction->shortcuts(), QList<QKeySequence>{QKeySequence(Qt::CTRL | Qt::Key_Z)});
    EXPECT_EQ(redoAction->shortcuts(), (QList<QKeySequence>{QKeySequence(Qt::CTRL | Qt::Key_Y),
                                                             QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)}));
    EXPECT_FALSE(undoAction->isEnabled());
    EXPECT_FALSE(redoAction->isEnabled());
}

TEST_F(UndoTest, ItemsNameTheStepTheyWouldUndoOrRedo)
{
    const QString icon = QStringLiteral(RF_SOURCE_DIR "/tests/fuzz/seeds/icon.ico");
    std::vector<std::pair<QString, QString>> seen;
    auto look = [&] { seen.emplace_back(undoAction->isEnabled() ? undoAction->text() : "-",
                                        redoAction->isEnabled() ? redoAction->text() : "-"); };
    Stroke({QPoint(10, 10), QPoint(30, 10)});
    look();
    Blur();
    look();
    newAction->trigger();
    look();
    Load(icon);
    look();
    undoAction->trigger();
    look();
    undoAction->trigger();
    look();
    const std::vector<std::pair<QString, QString>> expected = {
        {"&Undo Stroke", "-"}, {"&Undo Blur", "-"}, {"&Undo New BMP", "-"},
        {"&Undo Load BMP", "-"}, {"&Undo New BMP", "&Redo Load BMP"}, {"&Undo Blur", "&Redo New BMP"}};
    EXPECT_EQ(seen, expected);
    EXPECT_TRUE(dialogs.messages.empty());
}

// ---- Undo and redo through mixed steps ------------------------------------------------------

struct FileRow {
    const char* name;
    BmpSpec (*spec)();
};

void PrintTo(const FileRow& row, std::ostream* out) { *out << row.name; }

class UndoToTheLoadedFile : public UndoTest, public ::testing::WithParamInterface<FileRow> {};

// Every state saved on the way is saved again, byte for byte, on the way back and forth;
// undone to the loaded file, Save BMP writes that file's own bytes.
TEST_P(UndoToTheLoadedFile, SavesEveryEarlierPictureAgain)
{
    const QByteArray builtIn = Saved();
    const Bytes file = BuildBmp(GetParam().spec());
    Load(WriteFile(QStringLiteral("in.bmp"), file));
    std::vector<QByteArray> states = {builtIn, Saved()};
    ASSERT_EQ(states[1], BytesOf(file));
    Stroke({QPoint(5, 5), QPoint(55, 35)});
    states.push_back(Saved());
    Blur();
    states.push_back(Saved());
    Stroke({QPoint(20, 20)});
    states.push_back(Saved());
    newAction->trigger();
    states.push_back(Saved());
    for (std::size_t k = states.size() - 1; k > 0; --k) {
        CtrlZ();
        EXPECT_EQ(Saved(), states[k - 1]) << "undone to state " << k - 1;
    }
    EXPECT_FALSE(undoAction->isEnabled());
    for (std::size_t k = 1; k < states.size(); ++k) {
        k % 2 ? CtrlY() : CtrlShiftZ();
        EXPECT_EQ(Saved(), states[k]) << "redone to state " << k;
    }
    EXPECT_FALSE(redoAction->isEnabled());
    // Undone by the menu item as well, back to the file as it was loaded.
    for (int k = 0; k < 4; ++k)
        undoAction->trigger();
    EXPECT_EQ(Saved(), BytesOf(file));
    EXPECT_TRUE(dialogs.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(Files, UndoToTheLoadedFile,
                         ::testing::Values(FileRow{"EightBit", EightBitSpec}, FileRow{"RunLength", RunLengthSpec}),
                         [](const auto& info) { return std::string(info.param.name); });

// The grid, the caption and the drawing colour are not part of the picture: undoing a
// load leaves them, and the display takes the restored picture's size.
TEST_F(UndoTest, UndoOfALoadLeavesGridCaptionAndColourAlone)
{
    Load(WriteFile(QStringLiteral("in.bmp"), BuildBmp(EightBitSpec())));
    ASSERT_EQ(imageView->size(), QSize(60, 40));
    QTest::mouseClick(gridSizeUpDown->downButton(), Qt::LeftButton);
    ASSERT_EQ(state().gridSize, 40);
    QTest::mouseClick(intensityNudge->upButton(), Qt::LeftButton);
    Blur();
    const EditorState before = state();
    const ColourValue colour = drawingColour();

    undoAction->trigger();
    undoAction->trigger();
    EXPECT_EQ(imageView->size(), QSize(320, 200));
    EXPECT_EQ(surface().width(), 320);
    EXPECT_EQ(window->windowTitle(), "Blurring Complete");
    EXPECT_EQ(state().gridSize, before.gridSize);
    EXPECT_EQ(state().imageWidth, 60);
    EXPECT_EQ(state().stepX, before.stepX);
    EXPECT_EQ(gridSizeBox->text(), "40");
    EXPECT_EQ(drawingColour(), colour);
    EXPECT_EQ(Saved(), BytesOf(Bytes(BuiltInPictureFile().begin(), BuiltInPictureFile().end())));
    redoAction->trigger();
    EXPECT_EQ(imageView->size(), QSize(60, 40));
    EXPECT_EQ(window->windowTitle(), "Blurring Complete");
}

// The display repaints what an undo put back, as after any change of the picture.
TEST_F(UndoTest, TheDisplayShowsWhatUndoPutBack)
{
    Settle();
    const QColor before = imageView->grab().toImage().pixelColor(45, 45);
    Stroke({QPoint(45, 45)});
    Settle();
    ASSERT_EQ(imageView->grab().toImage().pixelColor(45, 45), QColor(128, 0, 0));
    CtrlZ();
    Settle();
    EXPECT_EQ(imageView->grab().toImage().pixelColor(45, 45), before);
}

// ---- Changes that leave no step ----------------------------------------------------------------

TEST_F(UndoTest, StrokesThatPaintNothingLeaveNoStep)
{
    QTest::mousePress(imageView, Qt::LeftButton, {}, QPoint(40, 40));
    QTest::mouseRelease(imageView, Qt::LeftButton, {}, QPoint(40, 40));
    for (int k = 0; k < 10; ++k)
        QTest::mouseClick(nibSizeUpDown->downButton(), Qt::LeftButton);
    ASSERT_EQ(state().nibSize, 0);
    Stroke({QPoint(40, 40), QPoint(60, 60)});
    EXPECT_FALSE(undoAction->isEnabled());
}

TEST_F(UndoTest, FailedAndCancelledCommandsLeaveNoStep)
{
    Stroke({QPoint(10, 10)});
    loadAction->trigger();  // cancelled
    Load(temp.path(QStringLiteral("missing.bmp")));
    Load(WriteFile(QStringLiteral("text.bmp"), Bytes{'h', 'i', '!', '!', '!', '!', '!', '!', '!', '!', '!', '!', '!',
                                                       '!', '!', '!'}));
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(undoAction->text(), "&Undo Stroke");

    Load(QStringLiteral(RF_SOURCE_DIR "/tests/fuzz/seeds/icon.ico"));
    ASSERT_EQ(surface().kind(), PictureKind::Icon);
    newAction->trigger();
    Blur();
    Stroke({QPoint(5, 5)});
    EXPECT_EQ(dialogs.messages.size(), 5u);
    EXPECT_EQ(undoAction->text(), "&Undo Load BMP");
    undoAction->trigger();
    EXPECT_EQ(undoAction->text(), "&Undo Stroke");
    EXPECT_EQ(surface().kind(), PictureKind::Bitmap);
}

// ---- When undo does nothing ---------------------------------------------------------------------

TEST_F(UndoTest, UndoAndRedoDoNothingDuringAStroke)
{
    Stroke({QPoint(10, 10)});
    CtrlZ();
    const QByteArray start = Saved();
    CtrlY();
    CtrlZ();
    ASSERT_TRUE(redoAction->isEnabled());

    QTest::mousePress(imageView, Qt::LeftButton, {}, QPoint(50, 50));
    QTest::mouseMove(imageView, QPoint(50, 50));
    CtrlY();
    redoAction->trigger();
    undoAction->trigger();
    CtrlZ();
    EXPECT_TRUE(state().drawing);
    QTest::mouseMove(imageView, QPoint(70, 50));
    QTest::mouseRelease(imageView, Qt::LeftButton, {}, QPoint(70, 50));
    EXPECT_FALSE(redoAction->isEnabled()) << "the stroke dropped the step that could be redone";
    CtrlZ();
    EXPECT_EQ(Saved(), start) << "the whole stroke is one step";
    EXPECT_FALSE(undoAction->isEnabled());
}

// A right button released away from the picture leaves drawing on; so does undo.
TEST_F(UndoTest, UndoDoesNothingWhileDrawingStaysOnAfterARightButtonLeft)
{
    Stroke({QPoint(10, 10)});
    const QByteArray painted = Saved();
    QTest::mousePress(imageView, Qt::RightButton, {}, QPoint(50, 50));
    QTest::mouseRelease(window->centralWidget(), Qt::RightButton, {}, QPoint(402, 250));
    ASSERT_TRUE(state().drawing);
    CtrlZ();
    undoAction->trigger();
    EXPECT_EQ(Saved(), painted);
}

TEST_F(UndoTest, UndoAndRedoDoNothingWhileAModalWindowIsUp)
{
    Stroke({QPoint(10, 10)});
    const QByteArray painted = Saved();
    help->showModal();
    ASSERT_NE(QApplication::activeModalWidget(), nullptr);
    undoAction->trigger();
    CtrlZ();
    help->hide();
    EXPECT_EQ(Saved(), painted);

    // A dialog up while a command runs, e.g. the colour dialog.
    bool undoneWhileOpen = true;
    dialogs.whileOpen = [&] {
        QDialog dialog(window);
        dialog.setModal(true);
        dialog.show();
        undoAction->trigger();
        undoneWhileOpen = surface().picture().pixels[10 * 320 + 10] != StoredPixel(kMaroon);
        dialog.hide();
    };
    QTest::mouseClick(colourButton, Qt::LeftButton);
    dialogs.whileOpen = nullptr;
    EXPECT_FALSE(undoneWhileOpen);
    undoAction->trigger();
    EXPECT_NE(Saved(), painted);
}

// ---- Keys ---------------------------------------------------------------------------------------

// Ctrl+Z, Ctrl+Y and Ctrl+Shift+Z reach the window's key handler like any other key,
// and only then undo or redo, wherever the focus is; the key goes no further.
TEST_F(UndoTest, UndoKeysArePreviewedFirstThenUndoOrRedo)
{
    Stroke({QPoint(10, 10)});
    std::vector<std::pair<int, bool>> seen;  // key code, and whether the stroke was there then
    QObject::connect(preview, &KeyRouter::keyPressed, [&](int key) {
        if (key >= 16 && key <= 18)
            return;  // Shift, Ctrl, Alt on their own
        seen.emplace_back(key, surface().picture().pixels[10 * 320 + 10] == StoredPixel(kMaroon));
    });
    for (QWidget* focus : {static_cast<QWidget*>(gridSizeBox), static_cast<QWidget*>(colourButton),
                           static_cast<QWidget*>(nibSizeBox)}) {
        focus->setFocus();
        CtrlZ();
        CtrlY();
        CtrlZ();
        CtrlShiftZ();
    }
    const std::vector<std::pair<int, bool>> once = {{90, true}, {89, false}, {90, true}, {90, false}};
    std::vector<std::pair<int, bool>> expected;
    for (int round = 0; round < 3; ++round)
        expected.insert(expected.end(), once.begin(), once.end());
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(gridSizeBox->text(), "50");
    EXPECT_EQ(nibSizeBox->text(), "10");
    EXPECT_TRUE(dialogs.colourRequests.empty());
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(UndoTest, UndoKeysWithNothingToUndoAreStillPreviewedAndChangeNothing)
{
    QSignalSpy previewed(preview, &KeyRouter::keyPressed);
    const QByteArray start = Saved();
    nibSizeBox->setFocus();
    CtrlZ();
    CtrlY();
    int undoKeys = 0;
    for (const QList<QVariant>& call : previewed)
        undoKeys += call[0].toInt() == 90 || call[0].toInt() == 89;
    EXPECT_EQ(undoKeys, 2);
    EXPECT_EQ(Saved(), start);
    EXPECT_EQ(nibSizeBox->text(), "10");
}

// ---- A stroke cut by a whole-picture command -------------------------------------------------------

// A right button released away from the picture keeps drawing on, so the pointer paints
// on after a blur: the moves before and after the blur are steps of their own.
TEST_F(UndoTest, ABlurDuringAStrokeCutsItInTwoSteps)
{
    const QByteArray start = Saved();
    QTest::mousePress(imageView, Qt::RightButton, {}, QPoint(15, 15));
    QMouseEvent move(QEvent::MouseMove, QPointF(15, 15), imageView->mapToGlobal(QPointF(15, 15)), Qt::NoButton,
                     Qt::RightButton, Qt::NoModifier);
    QApplication::sendEvent(imageView, &move);
    QTest::mouseRelease(window->centralWidget(), Qt::RightButton, {}, QPoint(402, 250));
    ASSERT_TRUE(state().drawing);
    const QByteArray firstPart = Saved();
    Blur();
    const QByteArray blurred = Saved();
    QMouseEvent later(QEvent::MouseMove, QPointF(100, 100), imageView->mapToGlobal(QPointF(100, 100)), Qt::NoButton,
                      Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(imageView, &later);
    Stroke({QPoint(200, 100)});  // a press and release on the picture end the drawing
    ASSERT_FALSE(state().drawing);

    std::vector<QString> names;
    for (int k = 0; k < 3; ++k) {
        names.push_back(undoAction->text());
        undoAction->trigger();
        if (k == 0) {
            EXPECT_EQ(Saved(), blurred);
        }
    }
    EXPECT_EQ(names, (std::vector<QString>{"&Undo Stroke", "&Undo Blur", "&Undo Stroke"}));
    EXPECT_EQ(Saved(), start);
    redoAction->trigger();
    EXPECT_EQ(Saved(), firstPart);
}

// ---- The menu items of a history that drops its oldest steps -------------------------------------------

TEST(PictureHistoryMenu, MenuItemsFollowTheHistoryWhenItsOldestStepsGo)
{
    constexpr std::size_t kTile = 64 * 64 * 4;
    PictureHistory history(3 * kTile + 3 * 1024);
    QObject owner;
    QAction* undo = history.createUndoAction(&owner);
    QAction* redo = history.createRedoAction(&owner);
    ImageSurface surface = SurfaceWith(MakePicture(640, 64, kBlack));
    surface.setBrushColour(kWhite);
    for (int stroke = 0; stroke < 6; ++stroke) {
        history.beginStroke(surface);
        surface.fillRect(stroke * 64, 0, stroke * 64 + 8, 8);
        history.endStroke();
    }
    history.record(surface, QStringLiteral("Fill"), [&] { surface.fillRect(0, 20, 640, 24); });
    ASSERT_EQ(history.steps().size(), 1u) << "the whole picture is more than the limit";
    EXPECT_EQ(undo->text(), "&Undo Fill");
    EXPECT_TRUE(undo->isEnabled());
    EXPECT_TRUE(history.undo(surface));
    EXPECT_FALSE(undo->isEnabled());
    EXPECT_EQ(redo->text(), "&Redo Fill");
    EXPECT_FALSE(history.undo(surface));
    EXPECT_EQ(PixelOf(surface, 5 * 64 + 2, 2), kWhite) << "the strokes' steps went";
    EXPECT_EQ(PixelOf(surface, 100, 21), kBlack);

    for (int stroke = 0; stroke < 5; ++stroke) {
        history.beginStroke(surface);
        surface.fillRect(stroke * 64, 40, stroke * 64 + 8, 48);
        history.endStroke();
        EXPECT_EQ(undo->text(), "&Undo Stroke");
    }
    EXPECT_EQ(history.steps().size(), 3u);
    EXPECT_FALSE(redo->isEnabled());
    int undone = 0;
    while (history.undo(surface))
        ++undone;
    EXPECT_EQ(undone, 3);
    EXPECT_FALSE(undo->isEnabled());
    EXPECT_EQ(redo->text(), "&Redo Stroke");
}

TEST(PictureHistoryMenu, AChangeThatThrowsIsPutBackAndLeavesNoStep)
{
    PictureHistory history;
    QObject owner;
    QAction* undo = history.createUndoAction(&owner);
    ImageSurface surface = SurfaceWith(MakePicture(100, 100, kBlack));
    surface.setBrushColour(kWhite);
    EXPECT_THROW(history.record(surface, QStringLiteral("Import Picture"),
                                [&] {
                                    surface.fillRect(0, 0, 50, 50);
                                    throw std::runtime_error("failed half-way");
                                }),
                 std::runtime_error);
    EXPECT_EQ(PixelOf(surface, 10, 10), kBlack);
    EXPECT_FALSE(undo->isEnabled());
    history.record(surface, QStringLiteral("Import Picture"), [&] { surface.putPicture(MakePicture(30, 20, kWhite)); });
    EXPECT_EQ(undo->text(), "&Undo Import Picture");
    history.record(surface, QStringLiteral("Nothing"), [] {});
    EXPECT_EQ(undo->text(), "&Undo Import Picture");
}

} // namespace
