// The main window's painting handlers: tools, nib size, strokes on the picture, the
// whole-picture blur, and the drawing colour. Failures propagate to the error display.
#include "ui/MainWindow.h"

#include <QLineEdit>

#include "paint/BlurImage.h"
#include "paint/PaintStep.h"
#include "paint/DrawingColour.h"
#include "ui/ImageView.h"
#include "ui/PictureHistory.h"

namespace {

// Virtual-key codes the key handler reacts to.
constexpr int kKeypadPlus = 107;
constexpr int kKeypadMinus = 109;
constexpr int kSlashKey = 191;

} // namespace

void MainWindow::choosePencil()
{
    state_.currentTool = Tool::Pencil;
}

void MainWindow::chooseEraser()
{
    state_.currentTool = Tool::Eraser;
}

void MainWindow::chooseBlurBrush()
{
    state_.currentTool = Tool::BlurBrush;
}

// The blur tool button reports a double click only while it is down, so its first
// click has already chosen the blur brush by the time this runs.
void MainWindow::blurWholePicture()
{
    setStatusCaption(QStringLiteral("Blurring... Please Wait"));
    runPictureStep(QStringLiteral("Blur"), [this] { BlurImage(state_, imageView_->surface()); });
    // Not reached when the pass fails: the waiting caption stays, telling the user so.
    setStatusCaption(QStringLiteral("Blurring Complete"));
}

void MainWindow::nibSizeChanged()
{
    state_.nibSize = ReadNumberBox(nibSizeBox_->text().toStdString());
}

// Any button pressed on the picture starts drawing; any release delivered to it ends it.
// The stroke is one undo step; a second button pressed during it goes on with it.
void MainWindow::beginStroke()
{
    if (!state_.drawing)
        history_->endStroke();
    state_.drawing = true;
    history_->beginStroke(imageView_->surface());
}

void MainWindow::endStroke()
{
    state_.drawing = false;
    history_->endStroke();
}

// The image view repaints just the rectangle the surface reports as changed.
void MainWindow::paintStep(ShiftState shift, int x, int y)
{
    PaintStep(state_, imageView_->surface(), drawingColour(), shift, x, y);
}

// The dialog starts from its own last confirmed colour: nudges of the drawing colour
// since then do not show in it.
void MainWindow::chooseColour()
{
    const std::optional<ColourValue> chosen = CurrentDialogs().chooseColour(this, colourDialogColour_);
    if (!chosen)
        return;
    colourDialogColour_ = *chosen;
    setDrawingColour(*chosen);
}

void MainWindow::nudgeIntensity(bool up)
{
    setDrawingColour(up ? BrightenStep(drawingColour()) : DarkenStep(drawingColour()));
}

void MainWindow::previewKey(int key, ShiftState)
{
    switch (key) {
    case kKeypadPlus:
        setDrawingColour(BrightenStep(drawingColour()));
        break;
    case kKeypadMinus:
        setDrawingColour(DarkenStep(drawingColour()));
        break;
    case kSlashKey:
        CurrentDialogs().message(this, QStringLiteral("Proof Of ownership"),
                                 QStringLiteral("This program was made by Quennick from the Band VORTALQUENCH"),
                                 Dialogs::Icon::None);
        break;
    default:
        break;
    }
}
