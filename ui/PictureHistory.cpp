#include "ui/PictureHistory.h"

#include <QAction>
#include <QKeySequence>
#include <QSignalBlocker>
#include <QUndoStack>
#include <optional>

// One command of the mirror: it carries the step's name, and undoes or redoes the
// core's step. The push that adds it must not redo it: the change has happened.
class MirrorCommand : public QUndoCommand {
public:
    MirrorCommand(PictureHistory* owner, const QString& name) : QUndoCommand(name), owner_(owner) {}

    void undo() override
    {
        if (!owner_->replaying_)
            owner_->applyToCore(false);
    }

    void redo() override
    {
        if (!owner_->replaying_)
            owner_->applyToCore(true);
    }

private:
    PictureHistory* owner_;
};

PictureHistory::PictureHistory(std::size_t limitBytes, QObject* parent)
    : QObject(parent), history_(limitBytes), stack_(new QUndoStack(this))
{
}

PictureHistory::~PictureHistory() = default;

QAction* PictureHistory::createUndoAction(QObject* parent)
{
    QAction* action = stack_->createUndoAction(parent, QStringLiteral("&Undo"));
    disconnect(action, nullptr, stack_, nullptr);
    action->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    return action;
}

QAction* PictureHistory::createRedoAction(QObject* parent)
{
    QAction* action = stack_->createRedoAction(parent, QStringLiteral("&Redo"));
    disconnect(action, nullptr, stack_, nullptr);
    action->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    return action;
}

void PictureHistory::beginStroke(ImageSurface& surface)
{
    if (inChange_ || history_.recording())
        return;
    history_.beginStep(surface, "Stroke", StepScope::Tiles);
}

void PictureHistory::endStroke()
{
    if (inChange_ || !history_.recording())
        return;
    keepStep(history_.endStep());
}

void PictureHistory::record(ImageSurface& surface, const QString& name, const std::function<void()>& change)
{
    if (inChange_) {
        change();
        return;
    }
    endStroke();
    history_.beginStep(surface, name.toStdString(), StepScope::WholePicture);
    inChange_ = true;
    try {
        change();
    } catch (...) {
        inChange_ = false;
        history_.abandonStep();
        syncStack(false);
        throw;
    }
    inChange_ = false;
    keepStep(history_.endStep());
}

void PictureHistory::keepStep(bool kept)
{
    if (!kept) {
        syncStack(false);
        return;
    }
    replaying_ = true;
    stack_->push(new MirrorCommand(this, QString::fromStdString(history_.name(history_.size() - 1))));
    replaying_ = false;
    syncStack(true);
}

// The mirror matches the core unless the core dropped steps on its own: its oldest past
// the limit, or all but the newest when memory ran out. Right after a push the newest
// step is on top of both, nothing can be redone, and the items read the same whatever
// lies below: the mirror is then rebuilt without telling them.
void PictureHistory::syncStack(bool afterPush)
{
    if (static_cast<std::size_t>(stack_->count()) == history_.size() &&
        static_cast<std::size_t>(stack_->index()) == history_.undoCount())
        return;
    rebuildStack(afterPush);
}

void PictureHistory::rebuildStack(bool quietly)
{
    std::optional<QSignalBlocker> blocker;
    if (quietly)
        blocker.emplace(stack_);
    replaying_ = true;
    stack_->clear();
    for (std::size_t i = 0; i < history_.size(); ++i)
        stack_->push(new MirrorCommand(this, QString::fromStdString(history_.name(i))));
    stack_->setIndex(static_cast<int>(history_.undoCount()));
    replaying_ = false;
}

bool PictureHistory::undo(ImageSurface& surface)
{
    return move(surface, false);
}

bool PictureHistory::redo(ImageSurface& surface)
{
    return move(surface, true);
}

bool PictureHistory::move(ImageSurface& surface, bool forward)
{
    if (inChange_)
        return false;
    endStroke();
    if (forward ? !history_.canRedo() : !history_.canUndo())
        return false;
    moving_ = &surface;
    moveFailure_ = nullptr;
    if (forward)
        stack_->redo();
    else
        stack_->undo();
    moving_ = nullptr;
    syncStack(false);
    if (moveFailure_)
        std::rethrow_exception(std::exchange(moveFailure_, nullptr));
    return true;
}

// Called by the mirror's command from inside QUndoStack, which must not see exceptions.
void PictureHistory::applyToCore(bool forward)
{
    if (!moving_)
        return;
    try {
        if (forward)
            history_.redo(*moving_);
        else
            history_.undo(*moving_);
    } catch (...) {
        moveFailure_ = std::current_exception();
    }
}
