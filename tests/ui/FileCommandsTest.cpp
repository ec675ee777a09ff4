// File › New BMP, Load BMP and Save BMP through the real menu items, with the dialogs
// answered by the script.
#include <QTest>
#include <QToolButton>

#include "Form1Fixture.h"
#include "TempFolder.h"
#include "files/BmpWriter.h"
#include "model/BuiltInPicture.h"
#include "ui/ImageView.h"
#include "ui/UpDown.h"

namespace {

const QString kProductCaption = QStringLiteral("Relief_Foundry by Quennick (VORTALQUENCH)");

class FileCommandsTest : public Form1Fixture {
protected:
    // A grid size of 40 chosen with the up-down, heights set, a caption of another command.
    void ChangeTheGrid()
    {
        QTest::mouseClick(form->UpDown1->downButton(), Qt::LeftButton);
        ASSERT_EQ(form->State.GridSize, 40);
        form->State.HeightGrid.set(7, 8, 9.5);
        form->setStatusCaption(QStringLiteral("Exporting DXF Complete"));
    }

    QString WriteFile(const QString& name, const std::vector<std::uint8_t>& bytes)
    {
        const QString path = temp.path(name);
        QFile out(path);
        EXPECT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
        return path;
    }

    ImageSurface& Surface() { return form->Image1->surface(); }

    TempFolder temp;
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
    form->LoadBMP1->trigger();  // nothing queued: cancel
    ASSERT_EQ(dialogs.openRequests.size(), 1u);
    EXPECT_EQ(form->State.GridSize, 50);
    EXPECT_EQ(form->EGridSize->text(), "40");
    EXPECT_EQ(form->State.HeightGrid.at(7, 8), 0.0);
    EXPECT_EQ(form->windowTitle(), kProductCaption);
    EXPECT_EQ(form->OpenDialog1.fileName, "VORTALQUENCH");
    EXPECT_EQ(Surface().picture().width, 320);
}

TEST_F(FileCommandsTest, LoadDialogHasItsStoredSettingsAndRemembersTheChosenName)
{
    const QString file = WriteFile(QStringLiteral("small.bmp"), EncodeBmp24(Grey(64, 48)));
    dialogs.openAnswers.push_back(file);
    form->LoadBMP1->trigger();
    form->LoadBMP1->trigger();  // cancelled: the name stays
    ASSERT_EQ(dialogs.openRequests.size(), 2u);
    const FileDialogSettings& first = dialogs.openRequests[0].settings;
    EXPECT_TRUE(first.title.isEmpty());
    EXPECT_EQ(first.filterLabel, "Uncompressed Bitmap (*.BMP)");
    EXPECT_EQ(first.filterPattern, "*.BMP");
    EXPECT_EQ(first.defaultExtension, "*.BMP");
    EXPECT_EQ(first.fileName, "VORTALQUENCH");
    EXPECT_FALSE(first.overwritePrompt);
    EXPECT_EQ(dialogs.openRequests[1].settings.fileName, file);
    EXPECT_EQ(form->OpenDialog1.fileName, file);
}

TEST_F(FileCommandsTest, LoadReplacesThePictureAndResetsTheGrid)
{
    ChangeTheGrid();
    dialogs.openAnswers.push_back(WriteFile(QStringLiteral("small.bmp"), EncodeBmp24(Grey(64, 48))));
    form->LoadBMP1->trigger();
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(form->Image1->width(), 64);
    EXPECT_EQ(form->Image1->height(), 48);
    EXPECT_EQ(form->State.ImageWidth, 64);
    EXPECT_EQ(form->State.ImageHeight, 48);
    EXPECT_EQ(form->State.GridSize, 50);
    EXPECT_EQ(form->State.StepX, 1.28);
    EXPECT_EQ(form->State.StepY, 0.96);
    EXPECT_EQ(form->State.HeightGrid.at(7, 8), 0.0);
    EXPECT_EQ(Surface().pixel(63, 47), 0x505050u);
}

TEST_F(FileCommandsTest, FailingLoadShowsTheErrorAndChangesNothing)
{
    ChangeTheGrid();
    const QString missing = temp.path(QStringLiteral("gone.bmp"));
    dialogs.openAnswers.push_back(missing);
    const std::vector<std::uint32_t> pixels = Surface().picture().pixels;
    form->LoadBMP1->trigger();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "Cannot open file " + missing + ".");
    EXPECT_EQ(Surface().picture().pixels, pixels);
    EXPECT_EQ(form->Image1->width(), 320);
    EXPECT_EQ(form->State.GridSize, 40);
    EXPECT_EQ(form->State.HeightGrid.at(7, 8), 9.5);
    EXPECT_EQ(form->windowTitle(), "Exporting DXF Complete");
    EXPECT_EQ(form->OpenDialog1.fileName, missing);  // remembered although the load failed
}

TEST_F(FileCommandsTest, SaveRightAfterStartWritesTheBuiltInFile)
{
    const QString file = temp.path(QStringLiteral("start.bmp"));
    dialogs.saveAnswers.push_back(file);
    form->SaveBMP1->trigger();
    EXPECT_TRUE(dialogs.messages.empty());
    const QByteArray saved = TempFolder::Read(file);
    ASSERT_EQ(saved.size(), 192054);
    const auto builtIn = BuiltInPictureFile();
    EXPECT_EQ(saved.mid(14), QByteArray(reinterpret_cast<const char*>(builtIn.data()) + 14, 192040));
    EXPECT_EQ(form->windowTitle(), kProductCaption);
}

TEST_F(FileCommandsTest, SaveDialogGetsTheBitmapSettingsOnEveryRun)
{
    form->ExportDXF1->trigger();  // cancelled, leaves the DXF values in the shared dialog
    form->SaveBMP1->trigger();
    form->SaveDialog1.fileName = QStringLiteral("elsewhere.bmp");
    form->SaveBMP1->trigger();
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
    form->NewBMP1->trigger();
    EXPECT_EQ(form->Image1->width(), 320);
    EXPECT_EQ(form->Image1->height(), 200);
    EXPECT_EQ(Surface().pixel(319, 199), 0u);
    EXPECT_EQ(form->State.GridSize, 40);
    EXPECT_EQ(form->State.HeightGrid.at(7, 8), 9.5);

    const QString file = temp.path(QStringLiteral("black.bmp"));
    dialogs.saveAnswers.push_back(file);
    form->SaveBMP1->trigger();
    const QByteArray saved = TempFolder::Read(file);
    ASSERT_EQ(saved.size(), 192054);
    EXPECT_EQ(saved.mid(38, 8), QByteArray(8, '\0'));  // both resolutions
    EXPECT_EQ(saved.mid(54), QByteArray(192000, '\0'));
}

TEST_F(FileCommandsTest, SaveIntoAMissingFolderShowsCannotCreate)
{
    const QString file = temp.path(QStringLiteral("missing/out.bmp"));
    dialogs.saveAnswers.push_back(file);
    form->SaveBMP1->trigger();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "Cannot create file " + file + ".");
}

}  // namespace
