// File › Export STL, OBJ, 3MF and Height Map through the real menu items: their places in
// the menu, captions, dialogs and failures, the files they write; and
// relief-foundry-convert, run as a process, writing byte for byte what the window's
// exports write after the same picture was loaded with the same grid size, options and
// mesh settings.
#include <QMenu>
#include <optional>
#include <QTest>
#include <QToolButton>

#include "MainWindowFixture.h"
#include "export/MeshExport.h"
#include "files/BmpWriter.h"
#include "model/SampleHeights.h"
#include "tests/support/PictureBuilder.h"
#include "tests/support/RunProgram.h"
#include "tests/support/TempFolder.h"

namespace {

// What one mesh command is called and shows.
struct MeshCommand {
    const char* format;  // "STL", "OBJ"
    const char* objectName;
    MeshFormat meshFormat;
    QString waiting() const { return QStringLiteral("Exporting %1... Please Wait").arg(QLatin1String(format)); }
};

const MeshCommand kStl{"STL", "ExportSTL1", MeshFormat::Stl};
const MeshCommand kObj{"OBJ", "ExportOBJ1", MeshFormat::Obj};
const MeshCommand kThreeMf{"3MF", "Export3MF1", MeshFormat::ThreeMf};
const MeshCommand kHeightMap{"Height Map", "ExportHeightMap1", MeshFormat::HeightPng};

class ExportMeshCommandsTest : public MainWindowFixture {
protected:
    QAction* item(const MeshCommand& command) { return Find<QAction>(window, command.objectName); }

    // What the core writes for the window's present state, without touching it.
    QByteArray coreOutput(const MeshCommand& command)
    {
        EditorState copy = state();
        const QString file = temp.path(QStringLiteral("core"));
        WriteMesh(command.meshFormat, copy, surface(), file.toStdString());
        return ReadWholeFile(file);
    }

    QString exportTo(const MeshCommand& command, const QString& name)
    {
        const QString file = temp.path(name);
        dialogs.saveAnswers.push_back(file);
        item(command)->trigger();
        return file;
    }

    TempFolder temp;
};

TEST_F(ExportMeshCommandsTest, TheItemsFollowExportDxfInTheFileMenu)
{
    QStringList names, captions;
    for (QAction* action : fileMenu->menu()->actions()) {
        names << action->objectName();
        captions << action->text();
    }
    EXPECT_EQ(names, (QStringList{"NewBMP1", "LoadBMP1", "ImportPicture1", "SaveBMP1", "N1", "ExportDXF1",
                                  "ExportSTL1", "ExportOBJ1", "Export3MF1", "ExportHeightMap1", "", "Exit1"}));
    EXPECT_EQ(captions, (QStringList{"&New BMP", "&Load BMP", "&Import Picture...", "&Save BMP", "", "Export &DXF",
                                     "Export S&TL...", "Export &OBJ...", "Export 3&MF...", "Export &Height Map...", "",
                                     "E&xit"}));
}

TEST_F(ExportMeshCommandsTest, EachHasItsOwnDialogProposingTheSameNameEveryTime)
{
    struct Expected {
        const MeshCommand& command;
        const char *title, *filter, *pattern, *name;
    };
    for (const Expected& e : {Expected{kStl, "Export To STL from Relief_Foundry", "Stereolithography(*.STL)", "*.STL",
                                       "VORTALQUENCH.STL"},
                              Expected{kObj, "Export To OBJ from Relief_Foundry", "Wavefront OBJ(*.OBJ)", "*.OBJ",
                                       "VORTALQUENCH.OBJ"},
                              Expected{kThreeMf, "Export To 3MF from Relief_Foundry",
                                       "3D Manufacturing Format (*.3mf)", "*.3mf", "VORTALQUENCH.3mf"},
                              Expected{kHeightMap, "Export Height Map from Relief_Foundry", "16-bit PNG (*.png)",
                                       "*.png", "VORTALQUENCH.png"}}) {
        dialogs.saveRequests.clear();
        saveAction->trigger();  // cancelled: leaves its own values in the shared dialog
        exportTo(e.command, QStringLiteral("first"));
        item(e.command)->trigger();  // cancelled
        ASSERT_EQ(dialogs.saveRequests.size(), 3u);
        for (const ScriptedDialogs::FileRequest& request : {dialogs.saveRequests[1], dialogs.saveRequests[2]}) {
            EXPECT_EQ(request.settings.title, e.title);
            EXPECT_EQ(request.settings.filterLabel, e.filter);
            EXPECT_EQ(request.settings.filterPattern, e.pattern);
            EXPECT_EQ(request.settings.defaultExtension, e.pattern);
            EXPECT_EQ(request.settings.fileName, e.name);
            EXPECT_TRUE(request.settings.overwritePrompt);
            if (&e.command == &kHeightMap) {
                ASSERT_EQ(request.settings.moreFilters.size(), 1);
                EXPECT_EQ(request.settings.moreFilters[0].label, "16-bit RAW (*.r16 *.raw)");
                EXPECT_EQ(request.settings.moreFilters[0].pattern, "*.r16 *.raw");
            } else {
                EXPECT_TRUE(request.settings.moreFilters.isEmpty());
            }
        }
    }
    // The dialog DXF export and Save BMP share kept its title: the mesh exports never used it.
    saveAction->trigger();
    EXPECT_EQ(dialogs.saveRequests.back().settings.title, "Export To DXF from Relief_Foundry");
    EXPECT_EQ(dialogs.saveRequests.back().settings.fileName, "VORTALQUENCH.BMP");
}

TEST_F(ExportMeshCommandsTest, WriteWhatTheCoreWritesAndSampleAsTheDxfExportDoes)
{
    QTest::mouseClick(gridSizeUpDown->downButton(), Qt::LeftButton);  // grid size 40
    exportBlackAction->trigger();
    EditorState expected = state();
    SampleHeights(expected, surface());
    for (const MeshCommand* command : {&kStl, &kObj, &kThreeMf}) {
        const QByteArray core = coreOutput(*command);
        EXPECT_EQ(ReadWholeFile(exportTo(*command, QStringLiteral("mesh"))), core) << command->format;
        for (int i = 0; i <= HeightGrid::kMaxIndex; ++i)
            for (int j = 0; j <= HeightGrid::kMaxIndex; ++j)
                ASSERT_EQ(state().heights.at(i, j), expected.heights.at(i, j)) << i << ", " << j;
        EXPECT_EQ(state().gridSize, 40);
        EXPECT_EQ(state().stepX, expected.stepX);
        EXPECT_EQ(state().stepY, expected.stepY);
        EXPECT_FALSE(state().exportBlackPlanes);
        EXPECT_TRUE(state().exportWhitePlanes);
    }
    EXPECT_TRUE(dialogs.messages.empty());
}

// The name's extension chooses: .png (or anything else) the PNG, .r16 and .raw the R16.
// No sampling: the grid's heights stay as they were.
TEST_F(ExportMeshCommandsTest, TheHeightMapsFormatFollowsTheNamesExtension)
{
    const QByteArray png = coreOutput({"PNG", "", MeshFormat::HeightPng});
    const QByteArray raw = coreOutput({"R16", "", MeshFormat::HeightRaw});
    ASSERT_EQ(raw.size(), 2 * 320 * 200);
    ASSERT_TRUE(png.startsWith("\x89PNG"));
    EXPECT_EQ(ReadWholeFile(exportTo(kHeightMap, QStringLiteral("map.png"))), png);
    EXPECT_EQ(ReadWholeFile(exportTo(kHeightMap, QStringLiteral("map.r16"))), raw);
    EXPECT_EQ(ReadWholeFile(exportTo(kHeightMap, QStringLiteral("MAP.RAW"))), raw);
    EXPECT_EQ(ReadWholeFile(exportTo(kHeightMap, QStringLiteral("map.height"))), png);
    EXPECT_EQ(state().heights.at(10, 10), 0.0);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(ExportMeshCommandsTest, AnIconPictureStopsEitherBeforeAnyFile)
{
    surface().putPicture(IconSurface().picture());
    for (const MeshCommand* command : {&kStl, &kObj, &kThreeMf, &kHeightMap}) {
        dialogs.messages.clear();
        const QString file = exportTo(*command, QStringLiteral("icon.mesh"));
        EXPECT_FALSE(QFile::exists(file));
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_EQ(dialogs.messages[0].text, "Can only modify an image if it contains a bitmap.");
        EXPECT_EQ(window->windowTitle(), command->waiting());
    }
}

// ---- The converter against the window ----------------------------------------------------

struct SameBytesRow {
    const char* name;
    const char* format;  // the converter's --format, and the menu item's object name
    const char* itemName;
    int downClicks, upClicks;  // on the grid-size arrows, downs first
    int gridSize;              // what the clicks give
    bool black, white;
    std::optional<SolidSettings> solid = std::nullopt;  // chosen in Mesh Settings; none: not opened
    const char* extension = nullptr;                     // the file's, when not the format's name
};

void PrintTo(const SameBytesRow& row, std::ostream* out) { *out << row.name; }

class ConverterMatchesTheWindow : public ExportMeshCommandsTest, public ::testing::WithParamInterface<SameBytesRow> {};

TEST_P(ConverterMatchesTheWindow, ForTheSamePictureGridAndOptions)
{
    const SameBytesRow& row = GetParam();
    Picture relief = MakePicture(97, 61, kBlack);
    for (int y = 0; y < relief.height; ++y)
        for (int x = 0; x < relief.width; ++x)
            SetPixel(relief, x, y, x > 70 ? kWhite : ColourOfSum((x * x + 3 * y * y) % 766));
    const QString picture = temp.path(QStringLiteral("relief.bmp"));
    WriteBytes(picture.toStdString(), EncodeBmp24(relief));

    // The window: export once (so the grid holds heights), then load, choose, export.
    exportTo(kStl, QStringLiteral("before.stl"));
    dialogs.openAnswers.push_back(picture);
    loadAction->trigger();
    for (int click = 0; click < row.downClicks; ++click)
        QTest::mouseClick(gridSizeUpDown->downButton(), Qt::LeftButton);
    for (int click = 0; click < row.upClicks; ++click)
        QTest::mouseClick(gridSizeUpDown->upButton(), Qt::LeftButton);
    ASSERT_EQ(gridSizeBox->text(), QString::number(row.gridSize));
    if (!row.black)
        exportBlackAction->trigger();
    if (!row.white)
        exportWhiteAction->trigger();
    if (row.solid) {
        dialogs.meshSettingsAnswers.push_back(row.solid);
        Find<QAction>(window, "MeshSettings1")->trigger();
    }
    const QLatin1String extension(row.extension ? row.extension : row.format);
    const QString windowFile = temp.path(QStringLiteral("window.") + extension);
    dialogs.saveAnswers.push_back(windowFile);
    Find<QAction>(window, row.itemName)->trigger();
    ASSERT_TRUE(dialogs.messages.empty());

    std::vector<std::string> arguments{"--format", row.format, "--grid", std::to_string(row.gridSize)};
    if (!row.black)
        arguments.push_back("--no-black");
    if (!row.white)
        arguments.push_back("--no-white");
    if (row.solid) {
        const auto number = [](double value) { return QString::number(value, 'g', 17).toStdString(); };
        arguments.insert(arguments.end(), {"--size-mm", number(row.solid->longestSideMm), "--relief-mm",
                                           number(row.solid->reliefMm), "--base-mm", number(row.solid->baseMm)});
        if (!row.solid->keepProportions)
            arguments.push_back("--square");
        if (row.solid->invert)
            arguments.push_back("--invert");
        if (row.solid->detail == SolidDetail::WholePicture) {
            const int tenths = row.solid->maxErrorTenths;
            arguments.insert(arguments.end(), {"--max-error", std::to_string(tenths / 10) + "." + std::to_string(tenths % 10)});
        }
    }
    const std::string converted = "converted." + std::string(extension.data(), std::size_t(extension.size()));
    arguments.insert(arguments.end(), {"relief.bmp", "-o", converted});
    const ProgramRun run = RunProgram(RF_CONVERT_PROGRAM, arguments, temp.path());
    EXPECT_EQ(run.exitCode, 0) << run.err;
    const QByteArray windowBytes = ReadWholeFile(windowFile);
    ASSERT_GT(windowBytes.size(), 84);
    EXPECT_TRUE(windowBytes == ReadWholeFile(temp.path(QString::fromStdString(converted))));
}

INSTANTIATE_TEST_SUITE_P(
    Settings, ConverterMatchesTheWindow,
    ::testing::Values(SameBytesRow{"DxfAtTheStartGrid", "dxf", "ExportDXF1", 0, 0, 50, true, true},
                      SameBytesRow{"DxfGrid70WithoutBlack", "dxf", "ExportDXF1", 0, 2, 70, false, true},
                      SameBytesRow{"DxfGrid300WithoutEither", "dxf", "ExportDXF1", 0, 25, 300, false, false},
                      SameBytesRow{"DxfGrid1WithoutWhite", "dxf", "ExportDXF1", 5, 0, 1, true, false},
                      SameBytesRow{"StlGrid11", "stl", "ExportSTL1", 5, 1, 11, false, true},
                      SameBytesRow{"ObjGrid30WithoutBlack", "obj", "ExportOBJ1", 2, 0, 30, false, true},
                      SameBytesRow{"StlInItsOwnMillimetres", "stl", "ExportSTL1", 0, 3, 80, true, true,
                                   SolidSettings{152.75, 4.5, 0.6, true, true}},
                      SameBytesRow{"ThreeMfAtTheStart", "3mf", "Export3MF1", 0, 0, 50, true, true},
                      SameBytesRow{"ThreeMfSquareGrid300", "3mf", "Export3MF1", 0, 25, 300, false, true,
                                   SolidSettings{10000, 0.01, 10000, false, false}},
                      SameBytesRow{"HeightMapPng", "png16", "ExportHeightMap1", 1, 0, 40, true, true,
                                   std::nullopt, "png"},
                      SameBytesRow{"HeightMapRaw", "r16", "ExportHeightMap1", 0, 0, 50, true, true},
                      SameBytesRow{"StlOverTheWholePicture", "stl", "ExportSTL1", 0, 0, 50, true, true,
                                   SolidSettings{100, 10, 2, true, false, SolidDetail::WholePicture, 13}},
                      SameBytesRow{"ThreeMfOverTheWholePictureExactly", "3mf", "Export3MF1", 1, 0, 40, true, true,
                                   SolidSettings{75.5, 3, 1, false, true, SolidDetail::WholePicture, 0}}),
    [](const auto& info) { return std::string(info.param.name); });

// The converter reads what Import Picture reads, as it reads it: a 16-bit grey height map
// gives the same DXF as Import Picture followed by Export DXF.
// Over the whole picture the solid shows its progress; Cancel stops it with no file
// written, the old one kept, and the completion caption, as a cancelled dialog.
TEST_F(ExportMeshCommandsTest, AWholePictureSolidShowsItsProgressAndCancelKeepsTheOldFile)
{
    SolidSettings wholePicture;
    wholePicture.detail = SolidDetail::WholePicture;
    dialogs.meshSettingsAnswers.push_back(wholePicture);
    Find<QAction>(window, "MeshSettings1")->trigger();

    const QString finished = exportTo(kStl, QStringLiteral("finished.stl"));
    ASSERT_EQ(dialogs.progressRequests.size(), 1u);
    const auto& shown = dialogs.progressRequests[0];
    EXPECT_EQ(shown.title, QStringLiteral("Exporting STL... Please Wait"));
    EXPECT_TRUE(shown.closed);
    ASSERT_FALSE(shown.updates.empty());
    EXPECT_TRUE(std::is_sorted(shown.updates.begin(), shown.updates.end()));
    EXPECT_DOUBLE_EQ(shown.updates.back(), 1.0);
    EXPECT_EQ(ReadWholeFile(finished), coreOutput(kStl));

    for (const MeshCommand& command : {kStl, kThreeMf}) {
        // Cancelled at its first report: while it meshes.
        const QString old = temp.path(QStringLiteral("old.") + QLatin1String(command.format));
        WriteWholeFile(old.toStdString(), "old");
        dialogs.progressRequests.clear();
        dialogs.cancelProgressAt = 1;
        dialogs.saveAnswers.push_back(old);
        item(command)->trigger();
        EXPECT_EQ(ReadWholeFile(old), "old");
        EXPECT_EQ(window->windowTitle(), QStringLiteral("Exporting %1 Complete").arg(QLatin1String(command.format)));
        EXPECT_TRUE(dialogs.messages.empty());
        ASSERT_EQ(dialogs.progressRequests.size(), 1u);
        EXPECT_TRUE(dialogs.progressRequests[0].closed);
    }
    for (const std::string& name : temp.names())
        EXPECT_FALSE(name.starts_with(".relief")) << "a temporary file was left: " << name;
}

// The grid's solids are quick: they show no progress.
TEST_F(ExportMeshCommandsTest, AGridSolidShowsNoProgress)
{
    exportTo(kStl, QStringLiteral("grid.stl"));
    EXPECT_TRUE(dialogs.progressRequests.empty());
}

TEST_F(ExportMeshCommandsTest, ConverterReadsSixteenBitPicturesAsImportPictureDoes)
{
    QImage deep(90, 70, QImage::Format_Grayscale16);
    for (int y = 0; y < deep.height(); ++y) {
        auto* row = reinterpret_cast<quint16*>(deep.scanLine(y));
        for (int x = 0; x < deep.width(); ++x)
            row[x] = static_cast<quint16>((x * 731 + y * 977) % 65536);
    }
    const QString picture = temp.path(QStringLiteral("deep.png"));
    ASSERT_TRUE(deep.save(picture));
    dialogs.openAnswers.push_back(picture);
    Find<QAction>(window, "ImportPicture1")->trigger();
    const QString windowFile = temp.path(QStringLiteral("window.dxf"));
    dialogs.saveAnswers.push_back(windowFile);
    exportDxfAction->trigger();
    ASSERT_TRUE(dialogs.messages.empty());

    const ProgramRun run = RunProgram(RF_CONVERT_PROGRAM, {"deep.png", "-o", "converted.dxf"}, temp.path());
    EXPECT_EQ(run.exitCode, 0) << run.err;
    const QByteArray windowBytes = ReadWholeFile(windowFile);
    ASSERT_GT(windowBytes.size(), 1000);
    EXPECT_TRUE(windowBytes == ReadWholeFile(temp.path(QStringLiteral("converted.dxf"))));
}

}  // namespace
