#pragma once

struct EditorState;
class ImageSurface;

// Smooths the whole picture block by block on the export grid. Throws at the first
// pixel read on an icon or metafile picture, having changed nothing.
void BlurImage(const EditorState& state, ImageSurface& surface);
