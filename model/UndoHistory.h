#pragma once
#include <cstddef>
#include <deque>
#include <string>

#include "model/PictureStep.h"
#include "model/SnapshotPool.h"
#include "model/StepRecorder.h"

class ImageSurface;

// The most memory the kept steps may hold together. Past it the oldest steps go; a
// single step larger than this is still kept, as the only one.
constexpr std::size_t kUndoHistoryLimit = std::size_t{512} << 20;

// The undo history of the picture: the steps that can be undone, oldest first, then
// the steps that can be redone. A step is recorded from the surface's own changes
// (see StepRecorder) between beginStep and endStep; a step that changed nothing is not
// kept. A new step drops the steps that could have been redone.
class UndoHistory {
public:
    explicit UndoHistory(std::size_t limitBytes = kUndoHistoryLimit);
    ~UndoHistory();  // stops recording: the surface must still be alive then
    UndoHistory(const UndoHistory&) = delete;
    UndoHistory& operator=(const UndoHistory&) = delete;

    // Starts recording a step on the surface; a step still open is ended first.
    void beginStep(ImageSurface& surface, std::string name, StepScope scope);
    // Ends the open step and keeps it when it changed the picture; past the limit the
    // oldest steps go. Returns whether a step was kept. Nothing open: returns false.
    bool endStep();
    // Ends the open step without keeping it, for a change that failed: what the change
    // did to the picture is put back, through the change notification. Returns whether
    // there was anything to put back.
    bool abandonStep();
    bool recording() const { return recorder_.recording(); }

    // Every kept step, oldest first: the first undoCount() can be undone.
    std::size_t size() const { return steps_.size(); }
    std::size_t undoCount() const { return done_; }
    const std::string& name(std::size_t index) const { return steps_.at(index).name(); }
    bool canUndo() const { return done_ > 0; }
    bool canRedo() const { return done_ < steps_.size(); }

    // Puts the picture back to its state before the last step done (undo) or after the
    // next step undone (redo), through the surface's change notification. Nothing to
    // undo or redo, or a step being recorded: does nothing and returns false.
    bool undo(ImageSurface& surface);
    bool redo(ImageSurface& surface);

    void clear() noexcept;

    // The memory the kept steps hold; undo and redo can move it up or down, since a step
    // then holds the other side of its change. The limit applies as steps are kept.
    std::size_t bytes() const { return bytes_; }
    std::size_t limit() const { return limit_; }

private:
    bool exchange(ImageSurface& surface, PictureStep& step);
    void keep(PictureStep step);
    void dropOldest() noexcept;
    void dropNewest() noexcept;

    std::size_t limit_;
    SnapshotPool pool_;
    StepRecorder recorder_;
    std::deque<PictureStep> steps_;
    std::size_t done_ = 0;
    std::size_t bytes_ = 0;
};
