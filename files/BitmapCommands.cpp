#include "files/BitmapCommands.h"

#include "files/PictureFile.h"
#include "model/EditorState.h"
#include "model/ImageSurface.h"

void NewBitmap(ImageSurface& image)
{
    image.setBrushColour(kBlack);
    image.fillRect(0, 0, image.width(), image.height());
    // The command has always set a 300 x 300 display between its two fills; the second
    // fill's automatic sizing undoes it for every picture but the empty one, which
    // therefore keeps the 300 x 300 display.
    image.setDisplaySize(300, 300);
    image.fillRect(0, 0, image.width(), image.height());
}

void LoadBitmap(ImageSurface& image, EditorState& state, const std::string& fileName)
{
    Picture picture = LoadPictureFile(fileName);
    image.putPicture(std::move(picture));
    state.heights.clear();
}
