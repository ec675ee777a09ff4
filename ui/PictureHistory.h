#pragma once
#include <QObject>
#include <QString>
#include <cstddef>
#include <exception>
#include <functional>

#include "model/UndoHistory.h"

class ImageSurface;
class QAction;
class QUndoStack;

// The picture's undo history as the Edit menu shows it. The core's UndoHistory keeps the
// steps and their snapshots; a QUndoStack mirrors them, one command per step, so that
// Qt names the menu items after the steps and enables them. The mirror is rebuilt when
// the core drops its oldest steps, which a QUndoStack cannot do by itself.
class PictureHistory : public QObject {
    Q_OBJECT
public:
    explicit PictureHistory(std::size_t limitBytes = kUndoHistoryLimit, QObject* parent = nullptr);
    ~PictureHistory() override;  // the surface recorded on must still be alive

    // "&Undo <step>" (Ctrl+Z) and "&Redo <step>" (Ctrl+Y, Ctrl+Shift+Z), disabled when
    // there is nothing to undo or redo. Triggering them does nothing by itself: the
    // caller connects them to its own handlers, which call undo() and redo().
    QAction* createUndoAction(QObject* parent);
    QAction* createRedoAction(QObject* parent);

    // A stroke is one step from the press on the picture to the release. A second
    // beginStroke while one is open goes on with it.
    void beginStroke(ImageSurface& surface);
    void endStroke();

    // Runs `change` as one step named `name` that keeps the whole picture (see
    // MainWindow::runPictureStep). A stroke still open is ended first. Inside another
    // step's change, `change` simply becomes part of that step.
    void record(ImageSurface& surface, const QString& name, const std::function<void()>& change);
    bool recordingChange() const { return inChange_; }

    // Undo or redo one step; an open stroke is ended first. Inside a change: nothing.
    // Returns whether a step was undone or redone.
    bool undo(ImageSurface& surface);
    bool redo(ImageSurface& surface);

    const UndoHistory& steps() const { return history_; }
    const QUndoStack* stack() const { return stack_; }

private:
    friend class MirrorCommand;

    void keepStep(bool kept);
    void syncStack(bool afterPush);
    void rebuildStack(bool quietly);
    bool move(ImageSurface& surface, bool forward);
    void applyToCore(bool forward);

    UndoHistory history_;
    QUndoStack* stack_;
    bool inChange_ = false;
    bool replaying_ = false;          // the mirror is being filled: its commands do nothing
    ImageSurface* moving_ = nullptr;  // the surface an undo or redo works on
    std::exception_ptr moveFailure_;  // a failure under QUndoStack, rethrown past it
};
