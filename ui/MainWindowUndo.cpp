// The main window's Edit menu: undo and redo of every change to the picture. Strokes,
// the whole-picture blur, New BMP and Load BMP each record one step; the grid, the
// drawing colour, the options and the caption are not part of the picture and stay.
#include <QApplication>
#include <QMenu>
#include <QMenuBar>

#include "ui/ErrorDisplay.h"
#include "ui/ImageView.h"
#include "ui/KeyRouter.h"
#include "ui/MainWindow.h"
#include "ui/PictureHistory.h"

void MainWindow::buildEditMenu()
{
    history_ = std::make_unique<PictureHistory>();
    QMenu* edit = menuBar()->addMenu(QStringLiteral("&Edit"));
    edit->menuAction()->setObjectName(QStringLiteral("Edit1"));
    undoAction_ = history_->createUndoAction(edit);
    undoAction_->setObjectName(QStringLiteral("Undo1"));
    redoAction_ = history_->createRedoAction(edit);
    redoAction_->setObjectName(QStringLiteral("Redo1"));
    edit->addAction(undoAction_);
    edit->addAction(redoAction_);
}

void MainWindow::connectUndoHandlers()
{
    connect(undoAction_, &QAction::triggered, this, Guarded(this, [this] { undoStep(); }));
    connect(redoAction_, &QAction::triggered, this, Guarded(this, [this] { redoStep(); }));
    // Ctrl+Z and Ctrl+Y are keys like any other to the key handler: it sees them first.
    keyRouter_->routeAfterPreview(undoAction_);
    keyRouter_->routeAfterPreview(redoAction_);
}

void MainWindow::runPictureStep(const QString& name, const std::function<void()>& change)
{
    // A stroke still going on (a button held away from the picture) ends here; the moves
    // still to come belong to a stroke of their own.
    history_->endStroke();
    try {
        history_->record(imageView_->surface(), name, change);
    } catch (...) {
        if (state_.drawing)
            history_->beginStroke(imageView_->surface());
        throw;
    }
    if (state_.drawing)
        history_->beginStroke(imageView_->surface());
}

// A button held on the picture, or a modal window or dialog up: the picture is in use.
bool MainWindow::historyInUse() const
{
    return state_.drawing || QApplication::activeModalWidget() != nullptr || history_->recordingChange();
}

void MainWindow::undoStep()
{
    if (!historyInUse())
        history_->undo(imageView_->surface());
}

void MainWindow::redoStep()
{
    if (!historyInUse())
        history_->redo(imageView_->surface());
}
