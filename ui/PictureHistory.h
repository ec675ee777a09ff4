#pragma once
#include <QObject>
#include <QPointer>
#include <QString>
#include <cstddef>
#include <functional>

#include "model/UndoHistory.h"

class ImageSurface;
class QAction;

// The picture's undo history as the Edit menu shows it: the core's UndoHistory keeps
// the steps and their snapshots, and the menu items take their text and enabled state
// from it after every change. There is no second history to keep in step.
class PictureHistory : public QObject {
    Q_OBJECT
public:
    explicit PictureHistory(std::size_t limitBytes = kUndoHistoryLimit, QObject* parent = nullptr);
    ~PictureHistory() override;  // the surface recorded on must still be alive

    // "&Undo <step>" (Ctrl+Z) and "&Redo <step>" (Ctrl+Y, Ctrl+Shift+Z), plain "&Undo"
    // and "&Redo" and disabled when there is nothing to undo or redo. Triggering them
    // does nothing by itself: the caller connects them to its own handlers, which call
    // undo() and redo().
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

private:
    bool move(ImageSurface& surface, bool forward);
    void showSteps();

    UndoHistory history_;
    QPointer<QAction> undoAction_;
    QPointer<QAction> redoAction_;
    bool inChange_ = false;
};
