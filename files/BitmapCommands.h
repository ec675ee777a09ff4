#pragma once
#include <string>

struct EditorState;
class ImageSurface;

// New BMP: the picture becomes black at its own size (two fills with the 300 x 300
// display step between them). Throws on an icon or metafile picture.
void NewBitmap(ImageSurface& surface);

// Load BMP after a confirmed file name: reads the file, puts the picture in and clears
// the heights. On failure throws and changes nothing. ResetGrid is the caller's next step.
void LoadBitmap(ImageSurface& surface, EditorState& state, const std::string& fileName);
