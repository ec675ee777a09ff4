#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "model/PictureRecorder.h"
#include "model/PictureStep.h"

class ImageSurface;
class SnapshotPool;

// What one step keeps: the tiles its fills overwrite (a stroke), or the whole picture
// (New, Load, the whole-picture blur and any other command that changes all of it).
enum class StepScope { Tiles, WholePicture };

// Records one undo step at a time as the surface's recorder: it keeps what the changes
// overwrite, at the latest possible moment and only once. A tile step copies each tile
// on the first fill that touches it and nothing on later fills; a whole step copies
// the picture on its first fill, and takes a replaced picture over without a copy.
// A replacement during a tile step turns it into a whole step of the picture the step
// started from.
class StepRecorder final : public PictureRecorder {
public:
    explicit StepRecorder(SnapshotPool& pool);
    ~StepRecorder() override;  // stops recording: the surface must still be alive then
    StepRecorder(const StepRecorder&) = delete;
    StepRecorder& operator=(const StepRecorder&) = delete;

    // Asked once to free memory (the history drops its steps) when keeping a snapshot
    // runs out of it, before the change fails with OutOfMemory.
    void setReclaim(std::function<void()> reclaim) { reclaim_ = std::move(reclaim); }

    // Becomes the surface's recorder for a new step named `name`.
    void begin(ImageSurface& surface, std::string name, StepScope scope);
    bool recording() const { return surface_ != nullptr; }
    ImageSurface* surface() const { return surface_; }
    // Stops recording; the step when the picture changed since begin, else nothing.
    std::optional<PictureStep> finish();

    // Throws EditorError OutOfMemory when the snapshot cannot be kept: the fill then
    // changes nothing.
    void beforeFill(const Picture& picture, const Rect& area) override;
    void takeDroppedEncoding(std::vector<std::uint8_t>&& file) noexcept override;
    void takeReplacedPicture(Picture&& outgoing) noexcept override;

private:
    void keepWholePicture(const Picture& picture);
    void keepEncodingState(const Picture& picture);
    void prepareStamps(const Picture& picture);
    void keepTiles(const Picture& picture, const Rect& area);
    void keepTile(const Picture& picture, int column, int row);
    template <class Keep>
    void withMemory(Keep&& keep);

    SnapshotPool& pool_;
    std::function<void()> reclaim_;
    ImageSurface* surface_ = nullptr;
    std::optional<PictureStep> step_;
    bool changed_ = false;           // the step holds the picture's earlier state
    bool awaitingEncoding_ = false;  // the next dropped encoding belongs to that state
    // A tile is kept by this step when its stamp equals generation_; a new step needs
    // no clearing, only a new generation.
    std::vector<std::uint32_t> stamps_;
    int tileColumns_ = 0;
    int stampedWidth_ = -1;
    int stampedHeight_ = -1;
    std::uint32_t generation_ = 0;
};
