// File › Import Picture through the real menu item with the dialogs answered by the
// script, and picture files dropped on the window through its platform window, as a
// file manager's drag arrives.
#include <QDragEnterEvent>
#include <QImageWriter>
#include <QMenu>
#include <QMimeData>
#include <QWindow>

#include "MainWindowFixture.h"
#include "files/BmpWriter.h"
#include "tests/support/PictureBuilder.h"
#include "tests/support/TempFolder.h"
#include "ui/ErrorDisplay.h"
#include "ui/ViewMapping.h"

namespace {

const QString kProductCaption = QStringLiteral("Relief_Foundry by Quennick (VORTALQUENCH)");

class ImportPictureTest : public MainWindowFixture {
protected:
    void SetUp() override
    {
        MainWindowFixture::SetUp();
        importAction = Find<QAction>(window, "ImportPicture1");
        startPixels = surface().picture().pixels;
    }

    // A grid size of 40 chosen with the up-down and heights sampled by an export, which
    // leaves its completion caption: all of it must go, or all stay.
    void ChangeTheGrid()
    {
        QTest::mouseClick(gridSizeUpDown->downButton(), Qt::LeftButton);
        dialogs.saveAnswers.push_back(temp.path(QStringLiteral("sampled.dxf")));
        exportDxfAction->trigger();
        sampledHeight = state().heights.at(7, 8);
        ASSERT_GT(sampledHeight, 0.0);
        ASSERT_EQ(state().gridSize, 40);
        ASSERT_EQ(window->windowTitle(), "Exporting DXF Complete");
    }

    void ExpectGridUnchanged()
    {
        EXPECT_EQ(state().gridSize, 40);
        EXPECT_EQ(state().heights.at(7, 8), sampledHeight);
        EXPECT_EQ(window->windowTitle(), "Exporting DXF Complete");
        EXPECT_EQ(imageView->width(), 320);
        EXPECT_EQ(surface().picture().pixels, startPixels);
    }

    void ExpectGridReset(int width, int height)
    {
        EXPECT_TRUE(dialogs.messages.empty());
        EXPECT_EQ(imageView->width(), width);
        EXPECT_EQ(imageView->height(), height);
        EXPECT_EQ(state().imageWidth, width);
        EXPECT_EQ(state().imageHeight, height);
        EXPECT_EQ(state().gridSize, 50);
        EXPECT_EQ(gridSizeBox->text(), "40");  // as after Load BMP: the box keeps its text
        EXPECT_EQ(state().heights.at(7, 8), 0.0);
        EXPECT_EQ(window->windowTitle(), kProductCaption);
    }

    QString Write(const QImage& image, const QString& name)
    {
        const QString path = temp.path(name);
        EXPECT_TRUE(QImageWriter(path).write(image));
        return path;
    }

    // Drags urls onto the window at a point of the given widget and drops them there
    // when the window takes the drag. Returns whether it did; the import has run by then.
    bool DragAndDrop(const QList<QUrl>& urls, QWidget* over, Qt::DropActions actions = Qt::CopyAction)
    {
        QMimeData data;
        data.setUrls(urls);
        const QPointF at = over->mapTo(window, QPoint(4, 4));
        QWindow* platformWindow = window->windowHandle();
        QDragEnterEvent enter(at.toPoint(), actions, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(platformWindow, &enter);
        if (!enter.isAccepted()) {
            QDragLeaveEvent leave;
            QCoreApplication::sendEvent(platformWindow, &leave);
            return false;
        }
        EXPECT_EQ(enter.dropAction(), Qt::CopyAction);
        QDropEvent drop(at, actions, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(platformWindow, &drop);
        EXPECT_TRUE(drop.isAccepted());
        EXPECT_EQ(drop.dropAction(), Qt::CopyAction);  // never a move: the file stays
        QCoreApplication::processEvents();
        return true;
    }

    QAction* importAction = nullptr;
    TempFolder temp;
    double sampledHeight = 0;
    PixelBuffer startPixels;  // the built-in picture's
};

QImage DeepGrey(int width, int height, quint16 value)
{
    QImage image(width, height, QImage::Format_Grayscale16);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            reinterpret_cast<quint16*>(image.scanLine(y))[x] = value;
    return image;
}

TEST_F(ImportPictureTest, ItemComesRightAfterLoadBmp)
{
    QMenu* file = fileMenu->menu();
    ASSERT_NE(file, nullptr);
    QStringList names;
    for (QAction* item : file->actions())
        names << item->objectName();
    EXPECT_EQ(names, QStringList({"NewBMP1", "LoadBMP1", "ImportPicture1", "SaveBMP1", "N1", "ExportDXF1", "ExportSTL1",
                                  "ExportOBJ1", "Export3MF1", "ExportHeightMap1", "", "Exit1"}));
    EXPECT_EQ(importAction->text(), "&Import Picture...");
    EXPECT_TRUE(importAction->shortcut().isEmpty());
}

TEST_F(ImportPictureTest, DialogOffersPicturesAndAllFilesAndKeepsTheChosenName)
{
    const QString gone = temp.path(QStringLiteral("gone.png"));
    dialogs.openAnswers.push_back(gone);
    importAction->trigger();  // fails: the name is kept all the same
    importAction->trigger();  // cancelled
    ASSERT_EQ(dialogs.openRequests.size(), 2u);
    const FileDialogSettings& first = dialogs.openRequests[0].settings;
    EXPECT_EQ(first.title, "Import Picture");
    EXPECT_EQ(first.filterLabel, "Pictures (*.png *.jpg *.jpeg *.tif *.tiff *.tga *.bmp *.gif *.webp)");
    EXPECT_EQ(first.filterPattern, "*.png *.jpg *.jpeg *.tif *.tiff *.tga *.bmp *.gif *.webp");
    ASSERT_EQ(first.moreFilters.size(), 1);
    EXPECT_EQ(first.moreFilters[0].label, "All files (*)");
    EXPECT_EQ(first.moreFilters[0].pattern, "*");
    EXPECT_TRUE(first.fileName.isEmpty());
    EXPECT_FALSE(first.overwritePrompt);
    EXPECT_EQ(dialogs.openRequests[1].settings.fileName, gone);
    // Load BMP's own dialog is untouched.
    loadAction->trigger();
    EXPECT_EQ(dialogs.openRequests[2].settings.fileName, "VORTALQUENCH");
    EXPECT_TRUE(dialogs.openRequests[2].settings.moreFilters.isEmpty());
}

// A 16-bit grey picture comes in as after Load BMP, with 766 heights: 43 of 65535 is a
// third of an 8-bit step, so one channel holds 1 and the export's height is 1/75.
TEST_F(ImportPictureTest, ImportReplacesThePictureAndResetsTheGrid)
{
    ChangeTheGrid();
    QImage deep = DeepGrey(64, 48, 43);
    reinterpret_cast<quint16*>(deep.scanLine(47))[63] = 65535;
    dialogs.openAnswers.push_back(Write(deep, QStringLiteral("deep.png")));
    importAction->trigger();
    ExpectGridReset(64, 48);
    EXPECT_EQ(state().stepX, 1.28);
    EXPECT_EQ(surface().pixel(0, 0), MakeColour(1, 0, 0));
    EXPECT_EQ(surface().pixel(63, 47), kWhite);
    EXPECT_FALSE(surface().picture().encodingKept);

    dialogs.saveAnswers.push_back(temp.path(QStringLiteral("heights.dxf")));
    exportDxfAction->trigger();
    EXPECT_EQ(state().heights.at(7, 8), 1.0 / 3.0 / 25);  // image pixel (55, 8)
}

// No kept encoding: Save BMP writes a fresh 24-bit file of the imported pixels.
TEST_F(ImportPictureTest, SaveAfterImportWritesAFreshTwentyFourBitFile)
{
    QImage grey(3, 2, QImage::Format_Grayscale8);
    grey.fill(0x40);
    dialogs.openAnswers.push_back(Write(grey, QStringLiteral("grey.png")));
    importAction->trigger();
    const QString saved = temp.path(QStringLiteral("grey.bmp"));
    dialogs.saveAnswers.push_back(saved);
    saveAction->trigger();
    const std::vector<std::uint8_t> expected = EncodeBmp24(MakePicture(3, 2, Grey(0x40)));
    EXPECT_EQ(ReadWholeFile(saved),
              QByteArray(reinterpret_cast<const char*>(expected.data()), static_cast<qsizetype>(expected.size())));
}

// An import is one undo step: undo puts the built-in picture back with its encoding, so
// Save BMP writes the built-in file again; the grid stays as the import left it.
TEST_F(ImportPictureTest, ImportIsOneUndoStep)
{
    const std::vector<std::uint8_t> builtIn = surface().picture().sourceFile;
    QImage grey(3, 2, QImage::Format_Grayscale8);
    grey.fill(0x40);
    dialogs.openAnswers.push_back(Write(grey, QStringLiteral("grey.png")));
    importAction->trigger();
    auto* undo = Find<QAction>(window, "Undo1");
    auto* redo = Find<QAction>(window, "Redo1");
    EXPECT_EQ(undo->text(), "&Undo Import Picture");
    undo->trigger();
    EXPECT_EQ(surface().picture().pixels, startPixels);
    EXPECT_EQ(surface().picture().sourceFile, builtIn);
    EXPECT_EQ(imageView->width(), 320);
    EXPECT_EQ(state().imageWidth, 3);  // the grid is not part of the picture
    EXPECT_EQ(redo->text(), "&Redo Import Picture");
    redo->trigger();
    EXPECT_EQ(surface().picture().pixels, MakePicture(3, 2, Grey(0x40)).pixels);
}

TEST_F(ImportPictureTest, CancelChangesNothing)
{
    ChangeTheGrid();
    importAction->trigger();
    ASSERT_EQ(dialogs.openRequests.size(), 1u);
    ExpectGridUnchanged();
}

TEST_F(ImportPictureTest, UnreadableFileShowsTheReasonAndChangesNothing)
{
    ChangeTheGrid();
    const QString path = temp.path(QStringLiteral("cut.png"));
    QImage colour(40, 40, QImage::Format_RGB32);
    colour.fill(Qt::darkCyan);
    Write(colour, QStringLiteral("whole.png"));
    QByteArray bytes = ReadWholeFile(temp.path(QStringLiteral("whole.png")));
    bytes.chop(bytes.size() / 2);
    WriteWholeFile(path.toStdString(), bytes.toStdString());
    dialogs.openAnswers.push_back(path);
    importAction->trigger();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "Cannot import " + path + ": Unable to read image data.");
    EXPECT_EQ(dialogs.messages[0].title, AppTitle());
    EXPECT_EQ(dialogs.messages[0].icon, Dialogs::Icon::Critical);
    ExpectGridUnchanged();
}

// As Import Picture: fitted into the view when larger, else at 100 %, from the corner.
TEST_F(ImportPictureTest, ADroppedPictureLargerThanTheViewIsFittedASmallerOneShownAtActualPixels)
{
    const QString large = Write(DeepGrey(1200, 300, 30000), QStringLiteral("large.png"));
    const QString small = Write(DeepGrey(400, 290, 30000), QStringLiteral("small.png"));
    ASSERT_TRUE(DragAndDrop({QUrl::fromLocalFile(large)}, imageView));
    EXPECT_EQ(canvasView->zoom(), 403.0 / 1200);
    EXPECT_EQ(imageView->size(), QSize(403, ZoomedExtent(300, 403.0 / 1200)));
    EXPECT_EQ(canvasView->scrollPosition(), QPoint(0, 0));
    ASSERT_TRUE(DragAndDrop({QUrl::fromLocalFile(small)}, imageView));
    EXPECT_EQ(canvasView->zoom(), 1.0);
    EXPECT_EQ(imageView->size(), QSize(400, 290));
}

TEST_F(ImportPictureTest, DroppedPictureIsImported)
{
    ChangeTheGrid();
    const QString path = Write(DeepGrey(20, 10, 65535), QStringLiteral("white.png"));
    ASSERT_TRUE(DragAndDrop({QUrl::fromLocalFile(path)}, imageView, Qt::CopyAction | Qt::MoveAction));
    ExpectGridReset(20, 10);
    EXPECT_EQ(surface().pixel(19, 9), kWhite);
    EXPECT_FALSE(surface().picture().encodingKept);
    EXPECT_TRUE(QFile::exists(path));
}

// Load BMP's kinds go through Load BMP's reader: a BMP keeps its encoding.
TEST_F(ImportPictureTest, DroppedBmpLoadsAsLoadBmpLoadsIt)
{
    ChangeTheGrid();
    const std::vector<std::uint8_t> bmp = EncodeBmp24(MakePicture(7, 5, 0x203040));
    const QString path = temp.path(QStringLiteral("small.BMP"));
    WriteBytes(path.toStdString(), bmp);
    ASSERT_TRUE(DragAndDrop({QUrl::fromLocalFile(path)}, gridSizeBox));  // also over a read-only box
    ExpectGridReset(7, 5);
    EXPECT_TRUE(surface().picture().encodingKept);
    EXPECT_EQ(surface().picture().sourceFile, bmp);
    EXPECT_EQ(surface().pixel(6, 4), 0x203040u);
}

TEST_F(ImportPictureTest, DroppedFileThatFailsShowsWhyAndChangesNothing)
{
    ChangeTheGrid();
    const QString text = temp.path(QStringLiteral("notes.png"));
    WriteWholeFile(text.toStdString(), "not a picture\n");
    const QString bmp = temp.path(QStringLiteral("notes.bmp"));
    WriteWholeFile(bmp.toStdString(), "not a picture either\n");
    ASSERT_TRUE(DragAndDrop({QUrl::fromLocalFile(text)}, imageView));
    ASSERT_TRUE(DragAndDrop({QUrl::fromLocalFile(bmp)}, imageView));
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[0].text, "Cannot import " + text + ": Unsupported image format.");
    EXPECT_EQ(dialogs.messages[1].text, "Bitmap image is not valid.");
    ExpectGridUnchanged();
}

TEST_F(ImportPictureTest, OnlyASingleLocalFileIsTaken)
{
    ChangeTheGrid();
    const QString one = Write(DeepGrey(2, 2, 0), QStringLiteral("one.png"));
    const QString two = Write(DeepGrey(2, 2, 0), QStringLiteral("two.png"));
    const QList<QUrl> refused[] = {
        {QUrl::fromLocalFile(one), QUrl::fromLocalFile(two)},
        {QUrl::fromLocalFile(temp.path(QString()))},  // a folder
        {QUrl(QStringLiteral("https://example.invalid/hill.png"))},
        {},
    };
    for (const QList<QUrl>& urls : refused)
        EXPECT_FALSE(DragAndDrop(urls, imageView)) << urls.size() << " urls";
    EXPECT_FALSE(DragAndDrop({QUrl::fromLocalFile(one)}, imageView, Qt::MoveAction));  // a move only
    ExpectGridUnchanged();
    EXPECT_TRUE(dialogs.messages.empty());
}

}  // namespace
