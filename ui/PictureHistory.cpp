#include "ui/PictureHistory.h"

#include <QAction>
#include <QKeySequence>

PictureHistory::PictureHistory(std::size_t limitBytes, QObject* parent) : QObject(parent), history_(limitBytes) {}

PictureHistory::~PictureHistory() = default;

QAction* PictureHistory::createUndoAction(QObject* parent)
{
    undoAction_ = new QAction(parent);
    undoAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    showSteps();
    return undoAction_;
}

QAction* PictureHistory::createRedoAction(QObject* parent)
{
    redoAction_ = new QAction(parent);
    redoAction_->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    showSteps();
    return redoAction_;
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
    history_.endStep();
    showSteps();
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
        showSteps();
        throw;
    }
    inChange_ = false;
    history_.endStep();
    showSteps();
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
    try {
        if (forward)
            history_.redo(surface);
        else
            history_.undo(surface);
    } catch (...) {
        // A change listener failed after the exchange: the items still follow the history.
        showSteps();
        throw;
    }
    showSteps();
    return true;
}

// The items read the history as it is now: the step undo would take back and the step
// redo would bring back.
void PictureHistory::showSteps()
{
    const auto named = [](const char* verb, bool can, const std::string& step) {
        return can ? QStringLiteral("%1 %2").arg(QLatin1String(verb), QString::fromStdString(step)) : QString::fromLatin1(verb);
    };
    const std::size_t done = history_.undoCount();
    if (undoAction_) {
        undoAction_->setEnabled(history_.canUndo());
        undoAction_->setText(named("&Undo", history_.canUndo(), history_.canUndo() ? history_.name(done - 1) : ""));
    }
    if (redoAction_) {
        redoAction_->setEnabled(history_.canRedo());
        redoAction_->setText(named("&Redo", history_.canRedo(), history_.canRedo() ? history_.name(done) : ""));
    }
}
