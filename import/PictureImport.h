#pragma once
#include <QString>

#include "model/Picture.h"

// Reads a picture file through Qt's image readers (PNG, JPEG, TIFF, TGA, GIF, WebP, ICO,
// BMP and whatever else the installed plugins read) into a bitmap picture with no kept
// encoding: saving it writes a fresh 24-bit BMP. Needs Qt Gui only, and no application
// object, so command-line tools can use it too.
//
// Pixels: 8-bit pictures come in as Qt converts them to RGB (a grey g gives g, g, g);
// pictures of more than 8 bits a channel keep their heights to the nearest of the 766
// channel sums a pixel holds (import/ChannelSum.h). Alpha is ignored: the colour under a
// transparent pixel is taken as it is stored, never premultiplied. Only the first
// picture of an animation or multi-page file is read. BMP files are read by the
// editor's own BMP reader (the one Load BMP uses), so both commands see the same pixels.
//
// The size in the file's header is checked before anything is decoded. Throws
// EditorError BitmapTooLarge past 65,535 pixels a side or 2^28 pixels, and CannotImport
// with the detail "<fileName>: <reason>" for a file that cannot be opened or read:
// among them empty and truncated files, and files whose content no reader knows,
// whatever their name says (a PNG named .jpg is read as the PNG it is).
//
// While it reads it raises Qt's process-wide image allocation limit as far as the
// picture needs and watches Qt's messages for a decoder that ran out of data; call it
// from one thread at a time.
Picture ImportPicture(const QString& fileName);

// A picture file of any kind, as a dropped file or the converter reads it: the kinds Load
// BMP reads (BMP, icon, metafile) exactly as Load BMP reads them, their kind and kept
// encoding included; everything else through ImportPicture. Throws as those do.
Picture ReadAnyPicture(const QString& fileName);
