#pragma once
#include <cstdint>
#include <functional>

#include "model/Colour.h"
#include "model/Picture.h"

class PictureRecorder;

// A half-open rectangle [left, right) x [top, bottom).
struct Rect {
    int left = 0, top = 0, right = 0, bottom = 0;
    bool isEmpty() const { return right <= left || bottom <= top; }
    bool operator==(const Rect&) const = default;
};

// The editable picture together with the size of the control that displays it.
// The program always takes the image size from the display, never from the picture;
// the two differ only for the empty picture and right after setDisplaySize.
class ImageSurface {
public:
    // Called after every change with the clipped rectangle that changed (possibly
    // empty), in picture coordinates. Runs after the automatic sizing.
    using ChangeListener = std::function<void(const Rect& changed)>;

    ImageSurface() = default;

    // The display's size (the image width and height every command reads).
    int width() const { return displayWidth_; }
    int height() const { return displayHeight_; }
    void setDisplaySize(int width, int height);

    const Picture& picture() const { return picture_; }
    PictureKind kind() const { return picture_.kind; }

    // The colour value of pixel (x, y); black outside the raster.
    // Throws EditorError NotABitmap on an icon or metafile, and BitmapNotValid when the
    // pixels are unusable.
    ColourValue pixel(int x, int y) const
    {
        requirePixels();
        if (static_cast<unsigned>(x) < static_cast<unsigned>(picture_.width) &&
            static_cast<unsigned>(y) < static_cast<unsigned>(picture_.height))
            return picture_.pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(picture_.width) +
                                   static_cast<std::size_t>(x)] & 0x00FFFFFFu;
        return ConvertColour(0xFFFFFFFFu);
    }

    // Same failures as pixel(); the colour passes through ConvertColour.
    void setBrushColour(ColourValue colour);
    ColourValue brushColour() const { return brush_; }

    // Fills [left, right) x [top, bottom) clipped to the picture with the brush colour,
    // drops the kept encoding and runs the change notification, also when nothing
    // changed. Same failures as pixel(), raised before anything changes; a recorder that
    // throws stops the fill before anything changes, too.
    void fillRect(int left, int top, int right, int bottom);

    // Replaces the picture as a whole and runs the change notification. The outgoing
    // picture goes to the recorder, if one is set.
    void putPicture(Picture picture);

    // Puts an earlier state of the picture back (undo and redo): `exchange` edits the
    // picture in place and returns the rectangle it changed; the change notification
    // follows, with the automatic sizing. The recorder is not told.
    void restore(const std::function<Rect(Picture&)>& exchange);

    // A save that wrote a fresh encoding makes it the kept one: not a change.
    void keepEncoding(std::vector<std::uint8_t> file, std::uint32_t pixelOffset);

    void setChangeListener(ChangeListener listener) { listener_ = std::move(listener); }

    // The undo history's hook, told before every fill and replacement (see
    // PictureRecorder). Not owned; nullptr for none.
    void setRecorder(PictureRecorder* recorder) { recorder_ = recorder; }
    PictureRecorder* recorder() const { return recorder_; }

private:
    void requirePixels() const;
    void notifyChange(const Rect& changed);

    Picture picture_;
    int displayWidth_ = 0;
    int displayHeight_ = 0;
    ColourValue brush_ = kBlack;
    ChangeListener listener_;
    PictureRecorder* recorder_ = nullptr;
};
