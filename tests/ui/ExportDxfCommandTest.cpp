#include <QTest>
#include <QToolButton>

#include "MainWindowFixture.h"
#include "export/MeshExport.h"
#include "ui/ErrorDisplay.h"
#include "ui/ImageView.h"
#include "ui/UpDown.h"
#include "tests/support/AllocationCount.h"
#include "tests/support/TempFolder.h"

namespace {

const QString kWaiting = QStringLiteral("Exporting DXF... Please Wait");
const QString kComplete = QStringLiteral("Exporting DXF Complete");

class ExportDxfCommandTest : public MainWindowFixture {
protected:
    // What the core writes for the window's present state, without touching it.
    QByteArray CoreOutput()
    {
        EditorState copy = state();
        const QString file = temp.path(QStringLiteral("core.dxf"));
        WriteMesh(MeshFormat::Dxf, copy, surface(), file.toStdString());
        return ReadWholeFile(file);
    }

    QString Export(const QString& name)
    {
        const QString file = temp.path(name);
        dialogs.saveAnswers.push_back(file);
        exportDxfAction->trigger();
        return file;
    }

    TempFolder temp;
};

// The last lines of a DXF file, CR LF ended.
QStringList Tail(const QByteArray& file, int lines)
{
    QStringList all = QString::fromLatin1(file).split(QStringLiteral("\r\n"));
    EXPECT_TRUE(all.last().isEmpty());
    all.removeLast();
    return all.mid(all.size() - lines);
}

TEST_F(ExportDxfCommandTest, MenuExportWritesWhatTheCoreWritesForTheSameState)
{
    QTest::mouseClick(gridSizeUpDown->downButton(), Qt::LeftButton);  // grid size 40
    const QByteArray expected = CoreOutput();
    const QString file = Export(QStringLiteral("hill.dxf"));
    EXPECT_EQ(ReadWholeFile(file), expected);
    EXPECT_EQ(expected.count("3DFACE"), 41 * 40 + 1);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(ExportDxfCommandTest, DialogGetsTheExportSettingsOnEveryRun)
{
    saveAction->trigger();  // cancelled, leaves the bitmap values in the shared dialog
    Export(QStringLiteral("first.dxf"));
    exportDxfAction->trigger();  // cancelled
    ASSERT_EQ(dialogs.saveRequests.size(), 3u);
    EXPECT_EQ(dialogs.saveRequests[0].settings.fileName, "VORTALQUENCH.BMP");
    for (const ScriptedDialogs::FileRequest& request :
         {dialogs.saveRequests[1], dialogs.saveRequests[2]}) {
        EXPECT_EQ(request.settings.title, "Export To DXF from Relief_Foundry");
        EXPECT_EQ(request.settings.filterLabel, "Data Exchange Format(*.DXF)");
        EXPECT_EQ(request.settings.filterPattern, "*.DXF");
        EXPECT_EQ(request.settings.defaultExtension, "*.DXF");
        EXPECT_EQ(request.settings.fileName, "VORTALQUENCH.DXF");
        EXPECT_TRUE(request.settings.overwritePrompt);
    }
}

// The three mesh exports keep the same caption rules, each with its format's name.
struct CaptionRow {
    const char* name;
    const char* item;     // the menu item's object name
    const char* waiting;  // its waiting caption
    const char* answer;   // nullptr: cancel; "missing/..." a folder that does not exist
    const char* finalCaption;
    const char* message;  // nullptr: none
};

constexpr const char* kDxfWaiting = "Exporting DXF... Please Wait";
constexpr const char* kStlWaiting = "Exporting STL... Please Wait";
constexpr const char* kObjWaiting = "Exporting OBJ... Please Wait";
constexpr const char* k3mfWaiting = "Exporting 3MF... Please Wait";
constexpr const char* kHeightMapWaiting = "Exporting Height Map... Please Wait";

class ExportCaptions : public ExportDxfCommandTest, public ::testing::WithParamInterface<CaptionRow> {};

TEST_P(ExportCaptions, CaptionWaitsDuringTheDialogAndEndsByOutcome)
{
    const CaptionRow& row = GetParam();
    if (row.answer)
        dialogs.saveAnswers.push_back(temp.path(QString::fromLatin1(row.answer)));
    QStringList captions;
    QObject::connect(window, &QWidget::windowTitleChanged, [&](const QString& title) { captions << title; });
    const QString waiting = QString::fromLatin1(row.waiting);
    Find<QAction>(window, row.item)->trigger();
    ASSERT_EQ(dialogs.saveRequests.size(), 1u);
    EXPECT_EQ(dialogs.saveRequests[0].caption, waiting);
    EXPECT_EQ(window->windowTitle(), QString::fromLatin1(row.finalCaption));
    QStringList expected = {waiting};
    if (QString::fromLatin1(row.finalCaption) != waiting)
        expected << QString::fromLatin1(row.finalCaption);
    EXPECT_EQ(captions, expected);
    if (row.message) {
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_EQ(dialogs.messages[0].text, QString::fromLatin1(row.message));
        EXPECT_EQ(dialogs.messages[0].title, AppTitle());
        EXPECT_EQ(dialogs.messages[0].icon, Dialogs::Icon::Critical);
    } else {
        EXPECT_TRUE(dialogs.messages.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Outcomes, ExportCaptions,
    ::testing::Values(
        CaptionRow{"Confirmed", "ExportDXF1", kDxfWaiting, "a.dxf", "Exporting DXF Complete", nullptr},
        CaptionRow{"Cancelled", "ExportDXF1", kDxfWaiting, nullptr, "Exporting DXF Complete", nullptr},
        CaptionRow{"Failing", "ExportDXF1", kDxfWaiting, "missing/a.dxf", kDxfWaiting, "Invalid filename."},
        CaptionRow{"StlConfirmed", "ExportSTL1", kStlWaiting, "a.stl", "Exporting STL Complete", nullptr},
        CaptionRow{"StlCancelled", "ExportSTL1", kStlWaiting, nullptr, "Exporting STL Complete", nullptr},
        CaptionRow{"StlFailing", "ExportSTL1", kStlWaiting, "missing/a.stl", kStlWaiting, "Invalid filename."},
        CaptionRow{"ObjConfirmed", "ExportOBJ1", kObjWaiting, "a.obj", "Exporting OBJ Complete", nullptr},
        CaptionRow{"ObjCancelled", "ExportOBJ1", kObjWaiting, nullptr, "Exporting OBJ Complete", nullptr},
        CaptionRow{"ObjFailing", "ExportOBJ1", kObjWaiting, "missing/a.obj", kObjWaiting, "Invalid filename."},
        CaptionRow{"ThreeMfConfirmed", "Export3MF1", k3mfWaiting, "a.3mf", "Exporting 3MF Complete", nullptr},
        CaptionRow{"ThreeMfCancelled", "Export3MF1", k3mfWaiting, nullptr, "Exporting 3MF Complete", nullptr},
        CaptionRow{"ThreeMfFailing", "Export3MF1", k3mfWaiting, "missing/a.3mf", k3mfWaiting, "Invalid filename."},
        CaptionRow{"HeightMapConfirmed", "ExportHeightMap1", kHeightMapWaiting, "a.png", "Exporting Height Map Complete",
                   nullptr},
        CaptionRow{"HeightMapCancelled", "ExportHeightMap1", kHeightMapWaiting, nullptr,
                   "Exporting Height Map Complete", nullptr},
        CaptionRow{"HeightMapFailing", "ExportHeightMap1", kHeightMapWaiting, "missing/a.r16", kHeightMapWaiting,
                   "Invalid filename."}),
    [](const auto& info) { return std::string(info.param.name); });

// The waiting caption is shown without running other queued work inside the command.
TEST_F(ExportDxfCommandTest, QueuedWorkWaitsUntilTheCommandHasEnded)
{
    bool ran = false;
    QMetaObject::invokeMethod(window, [&] { ran = true; }, Qt::QueuedConnection);
    bool ranWhileOpen = true;
    dialogs.whileOpen = [&] { ranWhileOpen = ran; };
    Export(QStringLiteral("queued.dxf"));
    EXPECT_FALSE(ranWhileOpen);
    EXPECT_FALSE(ran);
    QApplication::processEvents();
    EXPECT_TRUE(ran);
}

TEST_F(ExportDxfCommandTest, CancelSamplesNothingAndWritesNothing)
{
    exportDxfAction->trigger();
    EXPECT_EQ(state().heights.at(1, 1), 0.0);
    EXPECT_EQ(window->windowTitle(), kComplete);
}

TEST_F(ExportDxfCommandTest, AnIconPictureStopsTheExportBeforeAnyFile)
{
    Picture icon;
    icon.kind = PictureKind::Icon;
    icon.width = icon.height = 32;
    surface().putPicture(icon);
    const QString file = Export(QStringLiteral("icon.dxf"));
    EXPECT_FALSE(QFile::exists(file));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "Can only modify an image if it contains a bitmap.");
    EXPECT_EQ(window->windowTitle(), kWaiting);
}

// Memory that runs out in the middle of a command is the editor's own failure to the
// user, never the library's word for it.
TEST_F(ExportDxfCommandTest, MemoryRunningOutIsShownAsOutOfMemoryAndKeepsTheOldFile)
{
    const QString file = temp.path(QStringLiteral("old.dxf"));
    WriteWholeFile(file.toStdString(), "an earlier export\r\n");
    dialogs.saveAnswers.push_back(file);
    FailAllocations(1, std::size_t{512} << 10);  // the writer's buffer
    exportDxfAction->trigger();
    FailAllocations(0);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "Out of memory.");
    EXPECT_EQ(ReadWholeFile(file), "an earlier export\r\n");
    EXPECT_EQ(window->windowTitle(), kWaiting);
}

using OptionTogglesTest = ExportDxfCommandTest;

TEST_F(OptionTogglesTest, EachItemFlipsItsFlagAndCheckMarkAlone)
{
    exportBlackAction->trigger();
    EXPECT_FALSE(state().exportBlackPlanes);
    EXPECT_FALSE(exportBlackAction->isChecked());
    EXPECT_TRUE(state().exportWhitePlanes);
    EXPECT_TRUE(exportWhiteAction->isChecked());
    exportBlackAction->trigger();
    EXPECT_TRUE(state().exportBlackPlanes);
    EXPECT_TRUE(exportBlackAction->isChecked());
    exportWhiteAction->trigger();
    EXPECT_FALSE(state().exportWhitePlanes);
    EXPECT_FALSE(exportWhiteAction->isChecked());
}

struct OptionRow {
    const char* name;
    bool black, white;
    QStringList tail;
};

class OptionEffect : public ExportDxfCommandTest, public ::testing::WithParamInterface<OptionRow> {};

const QString kCredit = QStringLiteral("Created by Relief_Foundry V1.0 by Quennick (VORTALQUENCH)");

TEST_P(OptionEffect, TheNextExportFollowsTheOptions)
{
    const OptionRow& row = GetParam();
    if (!row.black)
        exportBlackAction->trigger();
    if (!row.white)
        exportWhiteAction->trigger();
    const QByteArray expected = CoreOutput();
    const QByteArray written = ReadWholeFile(Export(QStringLiteral("options.dxf")));
    EXPECT_EQ(written, expected);
    EXPECT_EQ(Tail(written, row.tail.size()), row.tail);
}

INSTANTIATE_TEST_SUITE_P(
    Options, OptionEffect,
    ::testing::Values(OptionRow{"BothOn", true, true, {"EOF", "2", kCredit}},
                      OptionRow{"BlackOff", false, true, {"2", kCredit, "Black not exported"}},
                      OptionRow{"WhiteOff", true, false, {"2", kCredit, "White not exported"}},
                      OptionRow{"BothOff", false, false, {kCredit, "Black not exported", "White not exported"}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
