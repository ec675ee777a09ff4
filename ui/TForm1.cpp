#include "ui/TForm1.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QPushButton>

#include "export/WriteDxf.h"
#include "model/BuiltInPicture.h"
#include "ui/ColourStrip.h"
#include "ui/ErrorDisplay.h"
#include "ui/FormFont.h"
#include "ui/ImageView.h"
#include "ui/KeyPreview.h"
#include "ui/NumberBox.h"
#include "ui/ProgramIcon.h"
#include "ui/SpeedButton.h"
#include "ui/TForm2.h"
#include "ui/UpDown.h"

TForm1* Form1 = nullptr;

static void InitUiResources()
{
    // The resources live in a static library: nothing would pull them in otherwise.
    Q_INIT_RESOURCE(ui);
}

namespace {

const QString kProductCaption = QStringLiteral("Relief_Foundry by Quennick (VORTALQUENCH)");
constexpr QSize kClientSize(403, 323);
const QColor kTeal(0, 128, 128);

QLabel* MakeLabel(const QString& text, QRect geometry, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    QFont bold = FormFont();
    bold.setBold(true);
    label->setFont(bold);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, Qt::white);
    label->setPalette(palette);
    label->setAutoFillBackground(false);  // the strip shows around the text
    label->setGeometry(geometry);
    return label;
}

QAction* MakeItem(QMenu* menu, const QString& caption)
{
    return menu->addAction(caption);
}

}  // namespace

TForm1::TForm1(QWidget* parent) : QMainWindow(parent)
{
    // Routines reach the window through Form1, also while it is being built.
    Form1 = this;
    InitUiResources();
    setWindowTitle(kProductCaption);
    setWindowIcon(ProgramIcon());
    setFont(FormFont());
    SaveDialog1 = {QStringLiteral("Export To DXF from Relief_Foundry"), QStringLiteral("*.DXF"),
                   QStringLiteral("*.DXF"), QStringLiteral("*.DXF"), QStringLiteral("VORTALQUENCH.DXF"), true};
    OpenDialog1 = {QString(), QStringLiteral("Uncompressed Bitmap (*.BMP)"), QStringLiteral("*.BMP"),
                   QStringLiteral("*.BMP"), QStringLiteral("VORTALQUENCH"), false};
    buildMenu();
    buildControls();
    connectHandlers();
    installEventFilter(this);
    Guarded(this, [this] { FormCreate(); })();
}

TForm1::~TForm1()
{
    if (Form1 == this)
        Form1 = nullptr;
}

void TForm1::buildMenu()
{
    // Always the window's own bar, so the client area sits right under it.
    menuBar()->setNativeMenuBar(false);
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    File1 = file->menuAction();
    NewBMP1 = MakeItem(file, QStringLiteral("&New BMP"));
    LoadBMP1 = MakeItem(file, QStringLiteral("&Load BMP"));
    SaveBMP1 = MakeItem(file, QStringLiteral("&Save BMP"));
    N1 = file->addSeparator();
    ExportDXF1 = MakeItem(file, QStringLiteral("Export &DXF"));
    file->addSeparator();
    Exit1 = MakeItem(file, QStringLiteral("E&xit"));

    QMenu* options = menuBar()->addMenu(QStringLiteral("&Options"));
    Options1 = options->menuAction();
    ExportBlack1 = MakeItem(options, QStringLiteral("Export &Black"));
    ExportBlack1->setStatusTip(QStringLiteral("Include Black Planes in output"));
    ExportWhite1 = MakeItem(options, QStringLiteral("Export &White"));
    ExportWhite1->setStatusTip(QStringLiteral("Export White Planes in Output"));
    for (QAction* option : {ExportBlack1, ExportWhite1}) {
        option->setCheckable(true);
        option->setChecked(true);
    }

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    Help1 = help->menuAction();
    // F1 belongs to the Help menu, which has no action: the key is taken and nothing shows.
    Help1->setShortcut(QKeySequence(Qt::Key_F1));
    Help1->setShortcutContext(Qt::WindowShortcut);
    QuickHelp1 = MakeItem(help, QStringLiteral("&Quick Help"));
}

// Created bottom to top: a later control lies over an earlier one, and the edit boxes,
// up-downs and push button over the image, strip, labels and tool buttons.
void TForm1::buildControls()
{
    auto* client = new QWidget(this);
    client->setFixedSize(kClientSize);
    QPalette teal = client->palette();
    teal.setColor(QPalette::Window, kTeal);
    client->setPalette(teal);
    client->setAutoFillBackground(true);
    setCentralWidget(client);
    // The window never grows, shrinks or scrolls: a large picture is cut off.
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    Image1 = new ImageView(client);
    Image1->move(0, 0);
    Image1->surface().putPicture(BuiltInPicture());

    Shape1 = new ColourStrip(kMaroon, client);
    Shape1->setGeometry(0, 292, 397, 29);
    Label1 = MakeLabel(QStringLiteral("Grid Size"), QRect(8, 300, 52, 13), client);
    SpeedButton1 = new SpeedButton(QIcon(QStringLiteral(":/ui/pencil.xpm")),
                                   QStringLiteral("Draw in Current Colour"), client);
    SpeedButton1->setGeometry(252, 296, 25, 25);
    SpeedButton1->setChecked(true);
    SpeedButton2 = new SpeedButton(QIcon(QStringLiteral(":/ui/eraser.xpm")), QStringLiteral("Eraser"), client);
    SpeedButton2->setGeometry(280, 296, 25, 25);
    SpeedButton3 = new SpeedButton(QIcon(QStringLiteral(":/ui/bellcurve.xpm")),
                                   QStringLiteral("Blur / Interpolate"), client);
    SpeedButton3->setGeometry(304, 296, 25, 25);
    for (SpeedButton* tool : {SpeedButton1, SpeedButton2, SpeedButton3})
        tool->setAutoExclusive(true);
    Label2 = MakeLabel(QStringLiteral("Nib Size"), QRect(136, 300, 48, 13), client);

    EGridSize = new NumberBox(QStringLiteral("50"), false, client);
    EGridSize->setGeometry(68, 296, 41, 21);
    UpDown1 = new UpDown(1, 300, 10, 50, client);
    UpDown1->setGeometry(109, 296, 15, 21);
    UpDown1->setBuddy(EGridSize);
    Button1 = new QPushButton(QStringLiteral("Colour"), client);
    Button1->setGeometry(336, 296, 49, 25);
    Button1->setDefault(true);
    ENibSize = new NumberBox(QStringLiteral("10"), true, client);
    ENibSize->setGeometry(188, 296, 41, 21);
    UNibSize = new UpDown(0, 100, 1, 10, client);
    UNibSize->setGeometry(229, 296, 15, 21);
    UNibSize->setBuddy(ENibSize);
    UpDown2 = new UpDown(-255, 255, 1, 0, client);
    UpDown2->setGeometry(384, 296, 16, 24);
    UpDown2->setToolTip(QStringLiteral("Intensity Nudge"));

    setTabOrder(EGridSize, Button1);
    setTabOrder(Button1, ENibSize);
    EGridSize->setFocus();
    keyPreview_ = new KeyPreview(this, Button1);
}

void TForm1::connectHandlers()
{
    auto onTriggered = [this](QAction* item, void (TForm1::*handler)()) {
        connect(item, &QAction::triggered, this, Guarded(this, [this, handler] { (this->*handler)(); }));
    };
    onTriggered(NewBMP1, &TForm1::NewBMP1Click);
    onTriggered(LoadBMP1, &TForm1::LoadBMP1Click);
    onTriggered(SaveBMP1, &TForm1::SaveBMP1Click);
    onTriggered(ExportDXF1, &TForm1::ExportDXF1Click);
    onTriggered(Exit1, &TForm1::Exit1Click);
    onTriggered(QuickHelp1, &TForm1::QuickHelp1Click);
    // Qt flips a checkable item before announcing it; flip it back so that the
    // handlers alone own the check marks, however they are run.
    for (auto [item, handler] : {std::pair{ExportBlack1, &TForm1::ExportBlack1Click},
                                 std::pair{ExportWhite1, &TForm1::ExportWhite1Click}}) {
        connect(item, &QAction::triggered, this, Guarded(this, [this, item, handler] {
                    item->setChecked(!item->isChecked());
                    (this->*handler)();
                }));
    }

    connect(Image1, &ImageView::mouseDown, this,
            Guarded(this, [this](Qt::MouseButton b, ShiftState s, int x, int y) { Image1MouseDown(b, s, x, y); }));
    connect(Image1, &ImageView::mouseMove, this,
            Guarded(this, [this](ShiftState s, int x, int y) { Image1MouseMove(s, x, y); }));
    connect(Image1, &ImageView::mouseUp, this,
            Guarded(this, [this](Qt::MouseButton b, ShiftState s, int x, int y) { Image1MouseUp(b, s, x, y); }));
    connect(SpeedButton1, &SpeedButton::clicked, this, Guarded(this, [this] { SpeedButton1Click(); }));
    connect(SpeedButton2, &SpeedButton::clicked, this, Guarded(this, [this] { SpeedButton2Click(); }));
    connect(SpeedButton3, &SpeedButton::clicked, this, Guarded(this, [this] { SpeedButton3Click(); }));
    connect(SpeedButton3, &SpeedButton::doubleClicked, this, Guarded(this, [this] { SpeedButton3DblClick(); }));
    connect(EGridSize, &QLineEdit::textChanged, this, Guarded(this, [this] { EGridSizeChange(); }));
    connect(ENibSize, &QLineEdit::textChanged, this, Guarded(this, [this] { ENibSizeChange(); }));
    connect(Button1, &QPushButton::clicked, this, Guarded(this, [this] { Button1Click(); }));
    connect(UpDown2, &UpDown::clicked, this, Guarded(this, [this](bool up) { UpDown2Click(up); }));
    connect(keyPreview_, &KeyPreview::keyPressed, this,
            Guarded(this, [this](int key, ShiftState shift) { FormKeyDown(key, shift); }));
}

// Closing the main window ends the program at once, as File > Exit does.
bool TForm1::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == this && event->type() == QEvent::Close) {
        Exit1Click();
        return false;
    }
    return QMainWindow::eventFilter(watched, event);
}

ColourValue TForm1::drawingColour() const
{
    return Shape1->colour();
}

void TForm1::setDrawingColour(ColourValue colour)
{
    Shape1->setColour(colour);
}

void TForm1::setStatusCaption(const QString& caption)
{
    setWindowTitle(caption);
    // The long work that follows processes no events; let the new title out first.
    if (isVisible())
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TForm1::FormCreate()
{
    ResetGrid();
    InitDefaults();
}

void TForm1::ResetGrid()
{
    ::ResetGrid(State, Image1->surface());
    setStatusCaption(kProductCaption);
}

void TForm1::InitDefaults()
{
    ::InitDefaults(State);
    ExportBlack1->setChecked(true);
    ExportWhite1->setChecked(true);
}

void TForm1::EGridSizeChange()
{
    ApplyGridSizeText(State, EGridSize->text().toStdString());
}

void TForm1::ExportBlack1Click()
{
    State.ExportBlackPlanes = !State.ExportBlackPlanes;
    ExportBlack1->setChecked(!ExportBlack1->isChecked());
}

void TForm1::ExportWhite1Click()
{
    State.ExportWhitePlanes = !State.ExportWhitePlanes;
    ExportWhite1->setChecked(!ExportWhite1->isChecked());
}

void TForm1::Exit1Click()
{
    // No window is asked whether it may close; nothing is saved.
    QCoreApplication::exit(0);
}

void TForm1::QuickHelp1Click()
{
    if (Form2)
        Form2->ShowModal();
}

void TForm1::ExportDXF1Click()
{
    // Save BMP shares the dialog and leaves its own values in it.
    SaveDialog1.defaultExtension = QStringLiteral("*.DXF");
    SaveDialog1.fileName = QStringLiteral("VORTALQUENCH.DXF");
    SaveDialog1.filterLabel = QStringLiteral("Data Exchange Format(*.DXF)");
    SaveDialog1.filterPattern = QStringLiteral("*.DXF");
    setStatusCaption(QStringLiteral("Exporting DXF... Please Wait"));
    if (const std::optional<QString> name = CurrentDialogs().saveFileName(this, SaveDialog1))
        WriteDxf(State, Image1->surface(), QFile::encodeName(*name).toStdString());
    setStatusCaption(QStringLiteral("Exporting DXF Complete"));
}
