// The main window's picture view: the View menu's zoom items and status bar, the read-out
// of the pixel under the pointer, and the brush outline.
#include <QLineEdit>
#include <QMenu>
#include <QStatusBar>

#include "paint/PaintStep.h"
#include "ui/CanvasStatus.h"
#include "ui/CanvasView.h"
#include "ui/ErrorDisplay.h"
#include "ui/ImageView.h"
#include "ui/MainWindow.h"

namespace {

QAction* MakeItem(QMenu* menu, const QString& caption, const char* name, const QList<QKeySequence>& keys)
{
    QAction* item = menu->addAction(caption);
    item->setObjectName(QLatin1String(name));
    item->setShortcuts(keys);
    item->setShortcutContext(Qt::WindowShortcut);
    return item;
}

}  // namespace

// The keypad's plus and minus are not among these keys: they step the drawing colour,
// with Ctrl too (KeyRouter keeps them from the shortcuts).
void MainWindow::buildCanvasItems(QMenu* view)
{
    view->addSeparator();
    zoomInAction_ = MakeItem(view, QStringLiteral("Zoom &In"), "ZoomIn1",
                             {QKeySequence(Qt::CTRL | Qt::Key_Equal), QKeySequence(Qt::CTRL | Qt::Key_Plus)});
    zoomOutAction_ = MakeItem(view, QStringLiteral("Zoom &Out"), "ZoomOut1", {QKeySequence(Qt::CTRL | Qt::Key_Minus)});
    fitPictureAction_ = MakeItem(view, QStringLiteral("&Fit Picture"), "FitPicture1", {QKeySequence(Qt::CTRL | Qt::Key_0)});
    actualPixelsAction_ =
        MakeItem(view, QStringLiteral("&Actual Pixels"), "ActualPixels1", {QKeySequence(Qt::CTRL | Qt::Key_1)});
    view->addSeparator();
    statusBarAction_ = MakeItem(view, QStringLiteral("&Status Bar"), "ShowStatusBar1", {});
    statusBarAction_->setCheckable(true);
    statusBarAction_->setChecked(false);
    // Made now and hidden, so that the window's first size has none.
    statusBar()->setObjectName(QStringLiteral("StatusBar1"));
    canvasStatus_ = new CanvasStatus(statusBar());
    statusBar()->hide();
}

void MainWindow::connectCanvas()
{
    connect(zoomInAction_, &QAction::triggered, this, Guarded(this, [this] { canvasView_->zoomIn(); }));
    connect(zoomOutAction_, &QAction::triggered, this, Guarded(this, [this] { canvasView_->zoomOut(); }));
    connect(fitPictureAction_, &QAction::triggered, this, Guarded(this, [this] { canvasView_->fitPicture(); }));
    connect(actualPixelsAction_, &QAction::triggered, this, Guarded(this, [this] { canvasView_->actualPixels(); }));
    // As with the options: the handler alone sets the check mark.
    connect(statusBarAction_, &QAction::triggered, this, Guarded(this, [this] {
                statusBarAction_->setChecked(!statusBarAction_->isChecked());
                toggleStatusBar();
            }));
    connect(imageView_, &ImageView::pointerChanged, this, Guarded(this, [this] { refreshReadout(); }));
    connect(imageView_, &ImageView::pictureChanged, this, [this] { postReadout(); });
    connect(canvasView_, &CanvasView::zoomChanged, this, Guarded(this, [this] { refreshReadout(); }));
    connect(nibSizeBox_, &QLineEdit::textChanged, this, Guarded(this, [this] { refreshReadout(); }));
}

void MainWindow::toggleStatusBar()
{
    const bool show = !statusBar()->isVisible();
    statusBar()->setVisible(show);
    statusBarAction_->setChecked(show);
    refreshReadout();
}

// A whole-picture blur changes the picture some 90,000 times: one read-out after it.
void MainWindow::postReadout()
{
    if (readoutPosted_)
        return;
    readoutPosted_ = true;
    QMetaObject::invokeMethod(this, Guarded(this, [this] { refreshReadout(); }), Qt::QueuedConnection);
}

void MainWindow::refreshReadout()
{
    readoutPosted_ = false;
    const std::optional<QPoint> pixel = imageView_->pixelUnderPointer();
    canvasStatus_->show(pixel, imageView_->surface(), canvasView_->zoom());
    // The square the next move would fill, where a move would fill one.
    const Picture& picture = imageView_->surface().picture();
    std::optional<QRect> square;
    if (pixel && state_.nibSize > 0 && picture.kind == PictureKind::Bitmap && !picture.pixelsUnusable)
        square = QRect(SnapToNib(pixel->x(), state_.nibSize), SnapToNib(pixel->y(), state_.nibSize), state_.nibSize,
                       state_.nibSize);
    imageView_->setOutline(square);
}
