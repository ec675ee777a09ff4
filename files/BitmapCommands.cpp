#include "files/BitmapCommands.h"

#include "files/PictureFile.h"
#include "model/EditorState.h"
#include "model/ImageSurface.h"

void NewBitmap(ImageSurface& surface)
{
    surface.setBrushColour(kBlack);
    surface.fillRect(0, 0, surface.width(), surface.height());
    // The command has always set a 300 x 300 display between its two fills; the second
    // fill's automatic sizing undoes it for every picture but the empty one, which
    // therefore keeps the 300 x 300 display.
    surface.setDisplaySize(300, 300);
    surface.fillRect(0, 0, surface.width(), surface.height());
}

void LoadBitmap(ImageSurface& surface, EditorState& state, const std::string& fileName)
{
    Picture picture = LoadPictureFile(fileName);
    surface.putPicture(std::move(picture));
    state.heights.clear();
}
