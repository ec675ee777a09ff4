#include <QFile>

#include "files/BitmapCommands.h"
#include "files/PictureFile.h"
#include "ui/ImageView.h"
#include "ui/TForm1.h"

// Failures leave these handlers as exceptions; the connection's guard shows them.

void TForm1::NewBMP1Click()
{
    NewBitmap(Form1->Image1->surface());
}

void TForm1::LoadBMP1Click()
{
    if (const std::optional<QString> name = CurrentDialogs().openFileName(Form1, Form1->OpenDialog1)) {
        // The dialog offers the chosen name next time, also when this load fails.
        Form1->OpenDialog1.fileName = *name;
        LoadBitmap(Form1->Image1->surface(), Form1->State, QFile::encodeName(*name).toStdString());
    }
    // Also after a cancel: the grid goes back to 50 while the grid-size box keeps its text.
    Form1->ResetGrid();
}

void TForm1::SaveBMP1Click()
{
    // The export shares this dialog and leaves its own values in it.
    FileDialogSettings& dialog = Form1->SaveDialog1;
    dialog.defaultExtension = QStringLiteral("*.BMP");
    dialog.fileName = QStringLiteral("VORTALQUENCH.BMP");
    dialog.filterLabel = QStringLiteral("Uncompressed Bitmap Image (*.BMP)");
    dialog.filterPattern = QStringLiteral("*.BMP");
    if (const std::optional<QString> name = CurrentDialogs().saveFileName(Form1, dialog))
        SavePictureFile(Form1->Image1->surface(), QFile::encodeName(*name).toStdString());
}
