// What the 3D preview draws, read back as pixels from known pictures and a fixed camera:
// the mesh the export writes, its left-out faces and base face, a picture that cannot be
// sampled, and the editor's state left exactly as it was.
#include <QTest>
#include <cstring>

#include "PreviewFixture.h"
#include "export/MeshExport.h"
#include "model/SampleHeights.h"
#include "tests/support/MeshFiles.h"
#include "tests/support/PictureBuilder.h"
#include "tests/support/TempFolder.h"

namespace {

// 100 x 100 black with a white 20 x 20 square in the middle. At grid 50 the white grid
// points are columns 21..30 and rows 20..29, so the block's top is flat at 10.2 there.
Picture RaisedSquare()
{
    Picture picture = MakePicture(100, 100, kBlack);
    for (int y = 40; y < 60; ++y)
        for (int x = 40; x < 60; ++x)
            SetPixel(picture, x, y, kWhite);
    return picture;
}

const QVector3D kBlockTop(25.5f, 24.5f, 10.2f);
const QVector3D kGround(45.0f, 45.0f, 0.0f);  // black ground on the eye's side of the block

class PreviewRenderTest : public PreviewFixture {
protected:
    // The raised square, drawn from the three-quarter view.
    QImage RenderSquare()
    {
        LoadPicture(RaisedSquare());
        view->resetView();
        return Render();
    }

    QRgb At(const QImage& image, const QVector3D& point) const
    {
        const QPoint pixel = Projected(point);
        EXPECT_TRUE(image.rect().contains(pixel)) << pixel.x() << ", " << pixel.y();
        return image.pixel(pixel);
    }
};

// Lit top: white (shade 1) under the light from above, about 0.88 of full; ground: the
// ramp's dark end, 0.2 of that. Of the two walls that face the eye, the one facing +X
// turns towards the light, the one facing +Y away from it.
TEST_F(PreviewRenderTest, ARaisedWhiteSquareShowsAsALitBlockWhereItProjects)
{
    OpenPreview();
    const QImage image = RenderSquare();
    EXPECT_EQ(view->faceCount(), 51u * 50u + 1u);
    const QRgb top = At(image, kBlockTop);
    EXPECT_TRUE(IsGrey(top));
    EXPECT_GT(qRed(top), 210);
    EXPECT_LT(qRed(top), 235);
    const QRgb litWall = At(image, QVector3D(30.5f, 24.5f, 5.1f));
    const QRgb shadedWall = At(image, QVector3D(25.5f, 29.5f, 5.1f));
    EXPECT_TRUE(IsGrey(litWall) && IsGrey(shadedWall));
    EXPECT_GT(qRed(litWall), qRed(shadedWall) + 40);
    EXPECT_LT(qRed(litWall), qRed(top));
    const QRgb ground = At(image, kGround);
    EXPECT_TRUE(IsGrey(ground));
    EXPECT_GT(qRed(ground), 30);
    EXPECT_LT(qRed(ground), 60);
    EXPECT_EQ(image.pixel(0, 0), kBackground);
    EXPECT_EQ(image.pixel(image.width() - 1, image.height() - 1), kBackground);
}

TEST_F(PreviewRenderTest, ExaggerationRaisesTheBlockInTheViewOnly)
{
    OpenPreview();
    LoadPicture(RaisedSquare());
    view->setExaggeration(5);
    view->resetView();
    const QImage image = Render();
    EXPECT_EQ(view->box().size.z(), 51.0f);
    const QRgb top = At(image, QVector3D(25.5f, 24.5f, 51.0f));
    EXPECT_TRUE(IsGrey(top));
    EXPECT_GT(qRed(top), 200);
    // The top's shade comes from the file's height: the same white as at 1x.
    view->setExaggeration(1);
    view->resetView();
    EXPECT_EQ(At(Render(), kBlockTop), top);
    EXPECT_EQ(state().heights.at(25, 25), 0.0);  // nothing was sampled into the editor
}

TEST_F(PreviewRenderTest, WithExportBlackOffTheFacesOverBlackAreBackground)
{
    OpenPreview();
    exportBlackAction->trigger();
    const QImage image = RenderSquare();
    EXPECT_EQ(At(image, kGround), kBackground);
    EXPECT_GT(qRed(At(image, kBlockTop)), 200);
    // Only the 11 x 11 cells that touch one of the 10 x 10 white grid points are left.
    EXPECT_EQ(view->faceCount(), 121u);
}

struct BaseRow {
    const char* name;
    bool blackOff;
    bool whiteOff;
    bool base;  // the DXF file has the base face
};

class BaseFaceFromBelow : public PreviewRenderTest, public ::testing::WithParamInterface<BaseRow> {};

// From below, with the black faces left out, only the base face can cover the black
// ground: it is there exactly when the file has it, both options off.
TEST_P(BaseFaceFromBelow, ShowsExactlyWhenTheFileHasIt)
{
    const BaseRow& row = GetParam();
    OpenPreview();
    if (row.blackOff)
        exportBlackAction->trigger();
    if (row.whiteOff)
        exportWhiteAction->trigger();
    LoadPicture(RaisedSquare());
    view->resetView();
    view->camera().setOrbit(45.0, -50.0);
    const QImage image = Render();
    EXPECT_EQ(view->mesh().hasBaseFace, row.base);
    const QRgb under = At(image, kGround);
    if (row.base) {
        // Unlit underside: the ramp's dark end in the ambient light only.
        EXPECT_TRUE(IsGrey(under));
        EXPECT_LT(qRed(under), 30);
    } else {
        EXPECT_EQ(under, kBackground);
    }
}

INSTANTIATE_TEST_SUITE_P(Options, BaseFaceFromBelow,
                         ::testing::Values(BaseRow{"BlackOff", true, false, false},
                                           BaseRow{"BothOff", true, true, true}),
                         [](const auto& info) { return std::string(info.param.name); });

struct UnsampledRow {
    const char* name;
    PictureKind kind;
    bool unusablePixels;
    const char* line;
};

class UnsampledPicture : public PreviewRenderTest, public ::testing::WithParamInterface<UnsampledRow> {};

TEST_P(UnsampledPicture, ShowsOneLineInsteadOfAMeshAndNoBox)
{
    const UnsampledRow& row = GetParam();
    OpenPreview();
    Picture picture = MakePicture(32, 32, kWhite);
    picture.kind = row.kind;
    picture.pixelsUnusable = row.unusablePixels;
    if (row.kind != PictureKind::Bitmap)
        picture.pixels.clear();
    surface().putPicture(picture);
    const QImage image = Render();
    EXPECT_EQ(view->statusLine(), QString::fromLatin1(row.line));
    EXPECT_EQ(view->faceCount(), 0u);
    EXPECT_EQ(image.pixel(image.width() / 2, image.height() / 4), kBackground);
    // No error box (the picture view reports unusable pixels itself when it next paints).
    if (!row.unusablePixels) {
        EXPECT_TRUE(dialogs.messages.empty());
    }
    // A bitmap again brings the mesh back.
    surface().putPicture(MakePicture(32, 32, kWhite));
    Render();
    EXPECT_TRUE(view->statusLine().isEmpty());
    EXPECT_EQ(view->faceCount(), 51u * 50u + 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Pictures, UnsampledPicture,
    ::testing::Values(
        UnsampledRow{"Icon", PictureKind::Icon, false,
                     "No mesh to show: the picture is an icon or a metafile, not a bitmap."},
        UnsampledRow{"Metafile", PictureKind::Metafile, false,
                     "No mesh to show: the picture is an icon or a metafile, not a bitmap."},
        UnsampledRow{"UnusablePixels", PictureKind::Bitmap, true, "No mesh to show: the picture's bitmap is not valid."}),
    [](const auto& info) { return std::string(info.param.name); });

// An export at grid 100 leaves heights beyond grid 50; the preview at grid 50 must draw
// them as the next export writes them, and must leave the editor's state as it was: the
// next export is byte for byte the one a run without the preview writes.
TEST_F(PreviewRenderTest, DrawsWhatTheNextExportWritesAndLeavesTheStateAlone)
{
    const TempFolder temp;
    for (int click = 0; click < 5; ++click)
        QTest::mouseClick(gridSizeUpDown->upButton(), Qt::LeftButton);
    ASSERT_EQ(state().gridSize, 100);
    dialogs.saveAnswers.push_back(temp.path(QStringLiteral("first.dxf")));
    exportDxfAction->trigger();
    for (int click = 0; click < 5; ++click)
        QTest::mouseClick(gridSizeUpDown->downButton(), Qt::LeftButton);
    ASSERT_EQ(state().gridSize, 50);
    const EditorState before = state();

    OpenPreview();
    Render();
    EXPECT_EQ(std::memcmp(&before.heights, &state().heights, sizeof(HeightGrid)), 0);
    dialogs.saveAnswers.push_back(temp.path(QStringLiteral("second.dxf")));
    exportDxfAction->trigger();
    const std::string written = ReadWholeFile(temp.file("second.dxf"));

    // The same steps in the core alone.
    EditorState alone;
    ResetGrid(alone, surface());
    ApplyGridSizeText(alone, "100");
    WriteMesh(MeshFormat::Dxf, alone, surface(), temp.file("alone-first.dxf"));
    ApplyGridSizeText(alone, "50");
    WriteMesh(MeshFormat::Dxf, alone, surface(), temp.file("alone-second.dxf"));
    EXPECT_EQ(written, ReadWholeFile(temp.file("alone-second.dxf")));

    // Face by face, the preview drew what the file holds, column 51 included.
    const std::vector<MeshFileFace> faces = DxfFaces(written);
    const MeshVertices& mesh = view->mesh();
    ASSERT_EQ(mesh.faceCount(), faces.size());
    const std::size_t corners[4] = {0, 1, 2, 5};
    for (std::size_t f = 0; f < faces.size(); ++f)
        for (std::size_t c = 0; c < 4; ++c)
            for (std::size_t axis = 0; axis < 3; ++axis)
                ASSERT_NEAR(mesh.positions[f * kFloatsPerFace + corners[c] * 3 + axis], Coordinate(faces[f][c], axis),
                            0.00006)
                    << "face " << f;
    EXPECT_NE(before.heights.at(51, 10), 0.0);
}

} // namespace
