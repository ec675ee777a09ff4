// The main window's 3D preview: the View menu with its first command, the preview window,
// and the signal that tells the preview what changed.
#include <QLineEdit>
#include <QMenuBar>

#include "ui/ErrorDisplay.h"
#include "ui/ImageView.h"
#include "ui/MainWindow.h"
#include "ui/PreviewWindow.h"

void MainWindow::PreviewWindowDeleter::operator()(PreviewWindow* window) const
{
    delete window;
}

void MainWindow::buildViewMenu()
{
    QMenu* view = menuBar()->addMenu(QStringLiteral("&View"));
    view->menuAction()->setObjectName(QStringLiteral("View1"));
    previewAction_ = view->addAction(QStringLiteral("3D &Preview"));
    previewAction_->setObjectName(QStringLiteral("Preview1"));
    previewAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_3));
    previewAction_->setShortcutContext(Qt::WindowShortcut);
    buildCanvasItems(view);
}

// Connected after the handlers, so each signal follows its handler's work: the grid size
// read, the option flipped, the heights sampled or cleared.
void MainWindow::connectPreview()
{
    connect(imageView_, &ImageView::pictureChanged, this, &MainWindow::meshInputsChanged);
    connect(gridSizeBox_, &QLineEdit::textChanged, this, &MainWindow::meshInputsChanged);
    for (QAction* item : {exportBlackAction_, exportWhiteAction_, exportDxfAction_, exportStlAction_, exportObjAction_,
                          loadAction_, importAction_})
        connect(item, &QAction::triggered, this, &MainWindow::meshInputsChanged);
    connect(previewAction_, &QAction::triggered, this, Guarded(this, [this] { showPreview(); }));
}

void MainWindow::showPreview()
{
    if (!previewWindow_) {
        previewWindow_.reset(new PreviewWindow(state_, imageView_->surface()));
        connect(this, &MainWindow::meshInputsChanged, previewWindow_.get(), &PreviewWindow::meshInputsChanged);
    }
    previewWindow_->showOrRaise();
}
