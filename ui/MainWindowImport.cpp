// The main window's Import Picture command and its dropped picture files. Failures
// leave them as exceptions before anything has changed; the connection's guard shows them.
#include "ui/CanvasView.h"
#include "ui/ImageView.h"
#include "ui/MainWindow.h"
#include "import/PictureImport.h"

void MainWindow::importPicture()
{
    // The same settings every run; only the chosen name is kept.
    importDialog_.title = QStringLiteral("Import Picture");
    importDialog_.filterLabel = QStringLiteral("Pictures (*.png *.jpg *.jpeg *.tif *.tiff *.tga *.bmp *.gif *.webp)");
    importDialog_.filterPattern = QStringLiteral("*.png *.jpg *.jpeg *.tif *.tiff *.tga *.bmp *.gif *.webp");
    importDialog_.moreFilters = {{QStringLiteral("All files (*)"), QStringLiteral("*")}};
    if (const std::optional<QString> name = CurrentDialogs().openFileName(this, importDialog_)) {
        // Offered again next time, also when this import fails.
        importDialog_.fileName = *name;
        replacePicture(ImportPicture(*name));
    }
}

void MainWindow::dropPicture(const QString& fileName)
{
    replacePicture(ReadAnyPicture(fileName));
}

// As after Load BMP: the display takes the picture's size, the heights are cleared and
// the grid goes back to 50 with the product caption. The picture's part is one undo step.
// A picture larger than the view is fitted into it, any other shown at 100 %.
void MainWindow::replacePicture(Picture picture)
{
    runPictureStep(QStringLiteral("Import Picture"),
                   [this, &picture] { imageView_->surface().putPicture(std::move(picture)); });
    canvasView_->showImported();
    state_.heights.clear();
    resetGrid();
}
