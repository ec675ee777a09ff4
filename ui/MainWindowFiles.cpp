// The main window's picture-file handlers: New, Load and Save BMP. Failures leave them
// as exceptions; the connection's guard shows them.
#include <QFile>

#include "files/BitmapCommands.h"
#include "files/PictureFile.h"
#include "ui/CanvasView.h"
#include "ui/ImageView.h"
#include "ui/MainWindow.h"

void MainWindow::newPicture()
{
    runPictureStep(QStringLiteral("New BMP"), [this] { NewBitmap(imageView_->surface()); });
    canvasView_->showTopLeft();
}

void MainWindow::loadPicture()
{
    if (const std::optional<QString> name = CurrentDialogs().openFileName(this, openDialog_)) {
        // The dialog offers the chosen name next time, also when this load fails.
        openDialog_.fileName = *name;
        runPictureStep(QStringLiteral("Load BMP"), [this, &name] {
            LoadBitmap(imageView_->surface(), state_, QFile::encodeName(*name).toStdString());
        });
        // The zoom stays; the picture shows from its top-left corner.
        canvasView_->showTopLeft();
    }
    // Also after a cancel: the grid goes back to 50 while the grid-size box keeps its text.
    resetGrid();
}

void MainWindow::savePicture()
{
    // The export shares this dialog and leaves its own values in it.
    saveDialog_.defaultExtension = QStringLiteral("*.BMP");
    saveDialog_.fileName = QStringLiteral("VORTALQUENCH.BMP");
    saveDialog_.filterLabel = QStringLiteral("Uncompressed Bitmap Image (*.BMP)");
    saveDialog_.filterPattern = QStringLiteral("*.BMP");
    if (const std::optional<QString> name = CurrentDialogs().saveFileName(this, saveDialog_))
        SavePictureFile(imageView_->surface(), QFile::encodeName(*name).toStdString());
}
