#include "model/UndoHistory.h"

#include <new>
#include <utility>

UndoHistory::UndoHistory(std::size_t limitBytes)
    // The pool saves page faults, not memory: a quarter of the limit bounds it, room
    // for the snapshot of a 4096 x 4096 picture.
    : limit_(limitBytes), pool_(limitBytes / 4), recorder_(pool_)
{
    // Keeping a new step matters more than keeping old ones.
    recorder_.setReclaim([this] {
        clear();
        pool_.clear();
    });
}

UndoHistory::~UndoHistory()
{
    recorder_.finish();
}

void UndoHistory::beginStep(ImageSurface& surface, std::string name, StepScope scope)
{
    if (recording())
        endStep();
    recorder_.begin(surface, std::move(name), scope);
}

bool UndoHistory::endStep()
{
    std::optional<PictureStep> step = recorder_.finish();
    if (!step)
        return false;
    keep(std::move(*step));
    return true;
}

bool UndoHistory::abandonStep()
{
    ImageSurface* surface = recorder_.surface();
    std::optional<PictureStep> step = recorder_.finish();
    if (!step || !surface)
        return false;
    const bool putBack = step->exchange(*surface);
    step->recycleInto(pool_);
    return putBack;
}

void UndoHistory::keep(PictureStep step)
{
    while (done_ < steps_.size())
        dropNewest();
    const std::size_t stepBytes = step.bytes();
    try {
        steps_.push_back(std::move(step));
    } catch (const std::bad_alloc&) {
        // The picture has changed already; older steps must not outlive a lost one.
        clear();
        steps_.push_back(std::move(step));
    }
    bytes_ += stepBytes;
    done_ = steps_.size();
    while (bytes_ > limit_ && steps_.size() > 1)
        dropOldest();
}

void UndoHistory::dropOldest() noexcept
{
    bytes_ -= steps_.front().bytes();
    steps_.front().recycleInto(pool_);
    steps_.pop_front();
    --done_;
}

void UndoHistory::dropNewest() noexcept
{
    bytes_ -= steps_.back().bytes();
    steps_.back().recycleInto(pool_);
    steps_.pop_back();
}

bool UndoHistory::exchange(ImageSurface& surface, PictureStep& step)
{
    const std::size_t before = step.bytes();
    bool exchanged = false;
    try {
        exchanged = step.exchange(surface);
    } catch (...) {
        // The exchange itself cannot fail; a change listener can, after it.
        bytes_ = bytes_ - before + step.bytes();
        throw;
    }
    bytes_ = bytes_ - before + step.bytes();
    return exchanged;
}

bool UndoHistory::undo(ImageSurface& surface)
{
    if (recording() || done_ == 0)
        return false;
    --done_;
    return exchange(surface, steps_[done_]);
}

bool UndoHistory::redo(ImageSurface& surface)
{
    if (recording() || done_ == steps_.size())
        return false;
    ++done_;
    return exchange(surface, steps_[done_ - 1]);
}

void UndoHistory::clear() noexcept
{
    for (PictureStep& step : steps_)
        step.recycleInto(pool_);
    steps_.clear();
    done_ = 0;
    bytes_ = 0;
}
