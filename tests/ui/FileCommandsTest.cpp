// File › New BMP, Load BMP and Save BMP through the real menu items, with the dialogs
// answered by the script.
#include <QTest>
#include <QToolButton>

#include "MainWindowFixture.h"
#include "files/BmpWriter.h"
#include "model/BuiltInPicture.h"
#include "ui/ImageView.h"
#include "ui/UpDown.h"
#include "tests/support/TempFolder.h"

namespace {

const QString kProductCaption = QStringLiteral("Relief_Foundry by Quennick (VORTALQUENCH)");

class FileCommandsTest : public MainWindowFixture {
protected:
    // A grid size of 40 chosen with the up-down, heights sampled by an export, which
    // leaves its completion caption.
    void ChangeTheGrid()
    {
        QTest::mouseClick(gridSizeUpDown->downButton(), Qt::LeftButton);
        ASSERT_EQ(state().gridSize, 40);
        dialogs.saveAnswers.push_back(temp.path(QStringLiteral("sampled.dxf")));
        exportDxfAction->trigger();
        sampledHeight = state().heights.at(7, 8);
        ASSERT_GT(sampledHeight, 0.0);
        ASSERT_EQ(window->windowTitle(), "Exporting DXF Complete");
        dialogs.saveRequests.clear();
    }

    QString WriteFile(const QString& name, const std::vector<std::uint8_t>& bytes)
    {
        const QString path = temp.path(name);
        QFile out(path);
        EXPECT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
        return path;
    }

    ImageSurface& Surface() { return surface(); }

    // The name the load dialog offers next, seen by running it once more (cancelled).
    QString OfferedLoadName()
    {
        loadAction->trigger();
        return dialogs.openRequests.back().settings.fileName;
    }

    TempFolder temp;
    double sampledHeight = 0;
};

Picture Grey(int width, int height)
{
    Picture p;
    p.width = width;
    p.height = height;
    p.pixels.assign(static_cast<std::size_t>(width * height), StoredPixel(0x505050));
    return p;
}

TEST_F(FileCommandsTest, CancelledLoadStillResetsTheGridWhileTheBoxKeepsItsText)
{
    ChangeTheGrid();
    loadAction->trigger();  // nothing queued: cancel
    ASSERT_EQ(dialogs.openRequests.size(), 1u);
    EXPECT_EQ(state().gridSize, 50);
    EXPECT_EQ(gridSizeBox->text(), "40");
    EXPECT_EQ(state().heights.at(7, 8), 0.0);
    EXPECT_EQ(window->windowTitle(), kProductCaption);
    EXPECT_EQ(OfferedLoadName(), "VORTALQUENCH");
    EXPECT_EQ(Surface().picture().width, 320);
}

TEST_F(FileCommandsTest, LoadDialogHasItsStoredSettingsAndRemembersTheChosenName)
{
    const QString file = WriteFile(QStringLiteral("small.bmp"), EncodeBmp24(Grey(64, 48)));
    dialogs.openAnswers.push_back(file);
    loadAction->trigger();
    loadAction->trigger();  // cancelled: the name stays
    ASSERT_EQ(dialogs.openRequests.size(), 2u);
    const FileDialogSettings& first = dialogs.openRequests[0].settings;
    EXPECT_TRUE(first.title.isEmpty());
    EXPECT_EQ(first.filterLabel, "Uncompressed Bitmap (*.BMP)");
    EXPECT_EQ(first.filterPattern, "*.BMP");
    EXPECT_EQ(first.defaultExtension, "*.BMP");
    EXPECT_EQ(first.fileName, "VORTALQUENCH");
    EXPECT_FALSE(first.overwritePrompt);
    EXPECT_EQ(dialogs.openRequests[1].settings.fileName, file);
}

TEST_F(FileCommandsTest, LoadReplacesThePictureAndResetsTheGrid)
{
    ChangeTheGrid();
    dialogs.openAnswers.push_back(WriteFile(QStringLiteral("small.bmp"), EncodeBmp24(Grey(64, 48))));
    loadAction->trigger();
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(imageView->width(), 64);
    EXPECT_EQ(imageView->height(), 48);
    EXPECT_EQ(state().imageWidth, 64);
    EXPECT_EQ(state().imageHeight, 48);
    EXPECT_EQ(state().gridSize, 50);
    EXPECT_EQ(state().stepX, 1.28);
    EXPECT_EQ(state().stepY, 0.96);
    EXPECT_EQ(state().heights.at(7, 8), 0.0);
    EXPECT_EQ(Surface().pixel(63, 47), 0x505050u);
}

TEST_F(FileCommandsTest, FailingLoadShowsTheErrorAndChangesNothing)
{
    ChangeTheGrid();
    const QString missing = temp.path(QStringLiteral("gone.bmp"));
    dialogs.openAnswers.push_back(missing);
    const PixelBuffer pixels = Surface().picture().pixels;
    loadAction->trigger();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "Cannot open file " + missing + ".");
    EXPECT_EQ(Surface().picture().pixels, pixels);
    EXPECT_EQ(imageView->width(), 320);
    EXPECT_EQ(state().gridSize, 40);
    EXPECT_EQ(state().heights.at(7, 8), sampledHeight);
    EXPECT_EQ(window->windowTitle(), "Exporting DXF Complete");
    EXPECT_EQ(OfferedLoadName(), missing);  // remembered although the load failed
}

TEST_F(FileCommandsTest, SaveRightAfterStartWritesTheBuiltInFile)
{
    const QString file = temp.path(QStringLiteral("start.bmp"));
    dialogs.saveAnswers.push_back(file);
    saveAction->trigger();
    EXPECT_TRUE(dialogs.messages.empty());
    const QByteArray saved = ReadWholeFile(file);
    ASSERT_EQ(saved.size(), 192054);
    const auto builtIn = BuiltInPictureFile();
    EXPECT_EQ(saved.mid(14), QByteArray(reinterpret_cast<const char*>(builtIn.data()) + 14, 192040));
    EXPECT_EQ(window->windowTitle(), kProductCaption);
}

TEST_F(FileCommandsTest, SaveDialogGetsTheBitmapSettingsOnEveryRun)
{
    exportDxfAction->trigger();  // cancelled, leaves the DXF values in the shared dialog
    dialogs.saveAnswers = {std::nullopt, temp.path(QStringLiteral("elsewhere.bmp"))};
    saveAction->trigger();  // saved under a name of the user's
    saveAction->trigger();
    ASSERT_EQ(dialogs.saveRequests.size(), 3u);
    for (std::size_t i = 1; i < 3; ++i) {
        const FileDialogSettings& s = dialogs.saveRequests[i].settings;
        EXPECT_EQ(s.title, "Export To DXF from Relief_Foundry");
        EXPECT_EQ(s.defaultExtension, "*.BMP");
        EXPECT_EQ(s.fileName, "VORTALQUENCH.BMP");
        EXPECT_EQ(s.filterLabel, "Uncompressed Bitmap Image (*.BMP)");
        EXPECT_EQ(s.filterPattern, "*.BMP");
        EXPECT_TRUE(s.overwritePrompt);
    }
}

TEST_F(FileCommandsTest, NewThenSaveWritesABlackTwentyFourBitFile)
{
    ChangeTheGrid();
    newAction->trigger();
    EXPECT_EQ(imageView->width(), 320);
    EXPECT_EQ(imageView->height(), 200);
    EXPECT_EQ(Surface().pixel(319, 199), 0u);
    EXPECT_EQ(state().gridSize, 40);
    EXPECT_EQ(state().heights.at(7, 8), sampledHeight);

    const QString file = temp.path(QStringLiteral("black.bmp"));
    dialogs.saveAnswers.push_back(file);
    saveAction->trigger();
    const QByteArray saved = ReadWholeFile(file);
    ASSERT_EQ(saved.size(), 192054);
    EXPECT_EQ(saved.mid(38, 8), QByteArray(8, '\0'));  // both resolutions
    EXPECT_EQ(saved.mid(54), QByteArray(192000, '\0'));
}

TEST_F(FileCommandsTest, SaveIntoAMissingFolderShowsCannotCreate)
{
    const QString file = temp.path(QStringLiteral("missing/out.bmp"));
    dialogs.saveAnswers.push_back(file);
    saveAction->trigger();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "Cannot create file " + file + ".");
}

}  // namespace
