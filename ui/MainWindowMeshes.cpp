// The main window's exports beside the DXF: STL and 3MF for printing, OBJ for modelling
// programs and the 16-bit height map for game engines; and Options > Mesh Settings,
// which sizes the solids for printing. The exports follow File > Export DXF step for
// step (the waiting caption before the dialog, the completion caption also after a
// cancel, the waiting caption left in place by a failure) but each has its own save
// dialog settings, which nothing else changes, so they propose the same name every
// time. A solid over the whole picture can take long: it shows its progress, and Cancel
// ends it as a cancelled file dialog does, with no file written. Failures leave them as
// exceptions; the connection's guard shows them.
#include <QFile>

#include "export/MeshExport.h"
#include "ui/ImageView.h"
#include "ui/MainWindow.h"

namespace {

FileDialogSettings StlDialog()
{
    return {QStringLiteral("Export To STL from Relief_Foundry"), QStringLiteral("Stereolithography(*.STL)"),
            QStringLiteral("*.STL"), QStringLiteral("*.STL"), QStringLiteral("VORTALQUENCH.STL"), true};
}

FileDialogSettings ObjDialog()
{
    return {QStringLiteral("Export To OBJ from Relief_Foundry"), QStringLiteral("Wavefront OBJ(*.OBJ)"),
            QStringLiteral("*.OBJ"), QStringLiteral("*.OBJ"), QStringLiteral("VORTALQUENCH.OBJ"), true};
}

FileDialogSettings ThreeMfDialog()
{
    return {QStringLiteral("Export To 3MF from Relief_Foundry"), QStringLiteral("3D Manufacturing Format (*.3mf)"),
            QStringLiteral("*.3mf"), QStringLiteral("*.3mf"), QStringLiteral("VORTALQUENCH.3mf"), true};
}

// The chosen name's extension says which of the two was chosen (see HeightMapFormatOf).
FileDialogSettings HeightMapDialog()
{
    return {QStringLiteral("Export Height Map from Relief_Foundry"),
            QStringLiteral("16-bit PNG (*.png)"),
            QStringLiteral("*.png"),
            QStringLiteral("*.png"),
            QStringLiteral("VORTALQUENCH.png"),
            true,
            {{QStringLiteral("16-bit RAW (*.r16 *.raw)"), QStringLiteral("*.r16 *.raw")}}};
}

}  // namespace

void MainWindow::exportStl()
{
    exportSolid(MeshFormat::Stl, StlDialog(), QStringLiteral("STL"));
}

void MainWindow::exportSolid(MeshFormat format, const FileDialogSettings& dialog, const QString& formatName)
{
    const QString waiting = QStringLiteral("Exporting %1... Please Wait").arg(formatName);
    setStatusCaption(waiting);
    if (const std::optional<QString> name = CurrentDialogs().saveFileName(this, dialog)) {
        std::unique_ptr<ProgressDisplay> display;
        ProgressCallback progress;
        if (state_.solid.detail == SolidDetail::WholePicture) {
            display = CurrentDialogs().progress(this, waiting, QStringLiteral("Meshing the whole picture..."));
            progress = [&display](double fraction) { return display->update(fraction); };
        }
        try {
            WriteMesh(format, state_, imageView_->surface(), QFile::encodeName(*name).toStdString(), SystemFileOps(),
                      progress);
        } catch (const MeshingCancelled&) {
            // Nothing was written; the old file stands.
        }
    }
    setStatusCaption(QStringLiteral("Exporting %1 Complete").arg(formatName));
}

void MainWindow::exportObj()
{
    setStatusCaption(QStringLiteral("Exporting OBJ... Please Wait"));
    if (const std::optional<QString> name = CurrentDialogs().saveFileName(this, ObjDialog()))
        WriteMesh(MeshFormat::Obj, state_, imageView_->surface(), QFile::encodeName(*name).toStdString());
    setStatusCaption(QStringLiteral("Exporting OBJ Complete"));
}

void MainWindow::exportThreeMf()
{
    exportSolid(MeshFormat::ThreeMf, ThreeMfDialog(), QStringLiteral("3MF"));
}

void MainWindow::exportHeightMap()
{
    setStatusCaption(QStringLiteral("Exporting Height Map... Please Wait"));
    if (const std::optional<QString> name = CurrentDialogs().saveFileName(this, HeightMapDialog())) {
        const std::string path = QFile::encodeName(*name).toStdString();
        WriteMesh(HeightMapFormatOf(path), state_, imageView_->surface(), path);
    }
    setStatusCaption(QStringLiteral("Exporting Height Map Complete"));
}

void MainWindow::editMeshSettings()
{
    if (const std::optional<SolidSettings> chosen = CurrentDialogs().meshSettings(this, state_.solid))
        state_.solid = *chosen;
}
