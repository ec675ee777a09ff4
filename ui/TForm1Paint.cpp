// The main window's painting handlers: tools, nib size, strokes on the image, the
// whole-picture blur, and the drawing colour. Failures propagate to the error display.
#include "ui/TForm1.h"

#include <QLineEdit>

#include "paint/BlurImage.h"
#include "paint/BrushStep.h"
#include "paint/DrawingColour.h"
#include "ui/ImageView.h"

namespace {

// Virtual-key codes the key handler reacts to.
constexpr int kKeypadPlus = 107;
constexpr int kKeypadMinus = 109;
constexpr int kSlashKey = 191;

} // namespace

void TForm1::SpeedButton1Click()
{
    State.CurrentTool = kPencil;
}

void TForm1::SpeedButton2Click()
{
    State.CurrentTool = kEraser;
}

void TForm1::SpeedButton3Click()
{
    State.CurrentTool = kBlurBrush;
}

// The blur tool button reports a double click only while it is down, so its first
// click has already chosen the blur brush by the time this runs.
void TForm1::SpeedButton3DblClick()
{
    setStatusCaption(QStringLiteral("Blurring... Please Wait"));
    BlurImage(State, Image1->surface());
    // Not reached when the pass fails: the waiting caption stays, telling the user so.
    setStatusCaption(QStringLiteral("Blurring Complete"));
}

void TForm1::ENibSizeChange()
{
    State.NibSize = ReadNumberBox(ENibSize->text().toStdString());
}

void TForm1::Image1MouseDown(Qt::MouseButton, ShiftState, int, int)
{
    State.Drawing = true;
}

void TForm1::Image1MouseUp(Qt::MouseButton, ShiftState, int, int)
{
    State.Drawing = false;
}

// The image view repaints just the rectangle the surface reports as changed.
void TForm1::Image1MouseMove(ShiftState shift, int x, int y)
{
    PaintStep(State, Image1->surface(), drawingColour(), shift, x, y);
}

// The dialog starts from its own last confirmed colour: nudges of the drawing colour
// since then do not show in it.
void TForm1::Button1Click()
{
    const std::optional<ColourValue> chosen = CurrentDialogs().chooseColour(this, ColorDialog1Colour);
    if (!chosen)
        return;
    ColorDialog1Colour = *chosen;
    setDrawingColour(*chosen);
}

void TForm1::UpDown2Click(bool up)
{
    setDrawingColour(up ? BrightenStep(drawingColour()) : DarkenStep(drawingColour()));
}

void TForm1::FormKeyDown(int key, ShiftState)
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
