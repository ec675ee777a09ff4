// The main window's mesh exports beside the DXF: STL for printing and OBJ for modelling
// programs. They follow File > Export DXF step for step (the waiting caption before the
// dialog, the completion caption also after a cancel, the waiting caption left in place
// by a failure) but each has its own save dialog settings, which nothing else changes,
// so they propose the same name every time. Failures leave them as exceptions; the
// connection's guard shows them.
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

}  // namespace

void MainWindow::exportStl()
{
    setStatusCaption(QStringLiteral("Exporting STL... Please Wait"));
    if (const std::optional<QString> name = CurrentDialogs().saveFileName(this, StlDialog()))
        WriteMesh(MeshFormat::Stl, state_, imageView_->surface(), QFile::encodeName(*name).toStdString());
    setStatusCaption(QStringLiteral("Exporting STL Complete"));
}

void MainWindow::exportObj()
{
    setStatusCaption(QStringLiteral("Exporting OBJ... Please Wait"));
    if (const std::optional<QString> name = CurrentDialogs().saveFileName(this, ObjDialog()))
        WriteMesh(MeshFormat::Obj, state_, imageView_->surface(), QFile::encodeName(*name).toStdString());
    setStatusCaption(QStringLiteral("Exporting OBJ Complete"));
}
