#include "ui/MainWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>

#include "export/MeshExport.h"
#include "model/BuiltInPicture.h"
#include "model/HeightScale.h"
#include "ui/CanvasView.h"
#include "ui/ClientArea.h"
#include "ui/ColourStrip.h"
#include "ui/ErrorDisplay.h"
#include "ui/WindowFont.h"
#include "ui/HelpWindow.h"
#include "ui/ImageView.h"
#include "ui/KeyRouter.h"
#include "ui/NumberBox.h"
#include "ui/PictureHistory.h"
#include "ui/PictureDrop.h"
#include "ui/ProgramIcon.h"
#include "ui/SpeedButton.h"
#include "ui/UpDown.h"
#include "ui/WindowTitle.h"

static void InitUiResources()
{
    // The resources live in a static library: nothing would pull them in otherwise.
    Q_INIT_RESOURCE(ui);
}

namespace {

const QString kProductCaption = QStringLiteral("Relief_Foundry by Quennick (VORTALQUENCH)");
constexpr QSize kClientSize(403, 323);
const QColor kTeal(0, 128, 128);

QLabel* MakeLabel(const QString& text, const char* name, QRect geometry, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    QFont bold = WindowFont();
    bold.setBold(true);
    label->setFont(bold);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, Qt::white);
    label->setPalette(palette);
    label->setAutoFillBackground(false);  // the strip shows around the text
    label->setGeometry(geometry);
    return label;
}

QAction* MakeItem(QMenu* menu, const QString& caption, const char* name)
{
    QAction* item = menu->addAction(caption);
    item->setObjectName(QLatin1String(name));
    return item;
}

QMenu* MakeMenu(QMenuBar* bar, const QString& caption, const char* name)
{
    QMenu* menu = bar->addMenu(caption);
    menu->menuAction()->setObjectName(QLatin1String(name));
    return menu;
}

template <class Widget>
Widget* Named(Widget* widget, const char* name, QRect geometry)
{
    widget->setObjectName(QLatin1String(name));
    widget->setGeometry(geometry);
    return widget;
}

}  // namespace

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent)
{
    InitUiResources();
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(kProductCaption);
    setWindowIcon(ProgramIcon());
    setFont(WindowFont());
    saveDialog_ = {QStringLiteral("Export To DXF from Relief_Foundry"), QStringLiteral("*.DXF"),
                   QStringLiteral("*.DXF"), QStringLiteral("*.DXF"), QStringLiteral("VORTALQUENCH.DXF"), true};
    openDialog_ = {QString(), QStringLiteral("Uncompressed Bitmap (*.BMP)"), QStringLiteral("*.BMP"),
                   QStringLiteral("*.BMP"), QStringLiteral("VORTALQUENCH"), false};
    buildMenu();
    buildControls();
    connectHandlers();
    installEventFilter(this);
    Guarded(this, [this] { initialiseEditor(); })();
}

MainWindow::~MainWindow() = default;

void MainWindow::setHelpWindow(HelpWindow* help)
{
    helpWindow_ = help;
}

void MainWindow::buildMenu()
{
    // Always the window's own bar, so the client area sits right under it.
    menuBar()->setNativeMenuBar(false);
    QMenu* file = MakeMenu(menuBar(), QStringLiteral("&File"), "File1");
    newAction_ = MakeItem(file, QStringLiteral("&New BMP"), "NewBMP1");
    loadAction_ = MakeItem(file, QStringLiteral("&Load BMP"), "LoadBMP1");
    importAction_ = MakeItem(file, QStringLiteral("&Import Picture..."), "ImportPicture1");
    saveAction_ = MakeItem(file, QStringLiteral("&Save BMP"), "SaveBMP1");
    file->addSeparator()->setObjectName(QStringLiteral("N1"));
    exportDxfAction_ = MakeItem(file, QStringLiteral("Export &DXF"), "ExportDXF1");
    exportStlAction_ = MakeItem(file, QStringLiteral("Export S&TL..."), "ExportSTL1");
    exportObjAction_ = MakeItem(file, QStringLiteral("Export &OBJ..."), "ExportOBJ1");
    exportThreeMfAction_ = MakeItem(file, QStringLiteral("Export 3&MF..."), "Export3MF1");
    exportHeightMapAction_ = MakeItem(file, QStringLiteral("Export &Height Map..."), "ExportHeightMap1");
    file->addSeparator();
    exitAction_ = MakeItem(file, QStringLiteral("E&xit"), "Exit1");
    buildEditMenu();

    buildViewMenu();
    QMenu* options = MakeMenu(menuBar(), QStringLiteral("&Options"), "Options1");
    exportBlackAction_ = MakeItem(options, QStringLiteral("Export &Black"), "ExportBlack1");
    exportBlackAction_->setStatusTip(QStringLiteral("Include Black Planes in output"));
    exportWhiteAction_ = MakeItem(options, QStringLiteral("Export &White"), "ExportWhite1");
    exportWhiteAction_->setStatusTip(QStringLiteral("Export White Planes in Output"));
    for (QAction* option : {exportBlackAction_, exportWhiteAction_}) {
        option->setCheckable(true);
        option->setChecked(true);
    }
    options->addSeparator();
    meshSettingsAction_ = MakeItem(options, QStringLiteral("&Mesh Settings..."), "MeshSettings1");

    QMenu* help = MakeMenu(menuBar(), QStringLiteral("&Help"), "Help1");
    // F1 belongs to the Help menu, which has no action: the key is taken and nothing shows.
    help->menuAction()->setShortcut(QKeySequence(Qt::Key_F1));
    help->menuAction()->setShortcutContext(Qt::WindowShortcut);
    quickHelpAction_ = MakeItem(help, QStringLiteral("&Quick Help"), "QuickHelp1");
}

// Created bottom to top: a later control lies over an earlier one, and the edit boxes,
// up-downs and push button over the picture view, strip, labels and tool buttons. The
// controls are placed as at the first size; the client area keeps them along the bottom
// edge when the window grows.
void MainWindow::buildControls()
{
    auto* client = client_ = new ClientArea(kClientSize, this);
    QPalette teal = client->palette();
    teal.setColor(QPalette::Window, kTeal);
    client->setPalette(teal);
    client->setAutoFillBackground(true);
    setCentralWidget(client);

    imageView_ = new ImageView;
    imageView_->setObjectName(QStringLiteral("Image1"));
    imageView_->surface().putPicture(BuiltInPicture());
    canvasView_ = new CanvasView(imageView_, client);
    canvasView_->setObjectName(QStringLiteral("ScrollBox1"));

    colourStrip_ = Named(new ColourStrip(kMaroon, client), "Shape1", {0, 292, 397, 29});
    gridSizeLabel_ = MakeLabel(QStringLiteral("Grid Size"), "Label1", QRect(8, 300, 52, 13), client);
    pencilTool_ = Named(new SpeedButton(QIcon(QStringLiteral(":/ui/pencil.xpm")),
                                        QStringLiteral("Draw in Current Colour"), client),
                        "SpeedButton1", {252, 296, 25, 25});
    pencilTool_->setChecked(true);
    eraserTool_ = Named(new SpeedButton(QIcon(QStringLiteral(":/ui/eraser.xpm")), QStringLiteral("Eraser"), client),
                        "SpeedButton2", {280, 296, 25, 25});
    blurTool_ = Named(new SpeedButton(QIcon(QStringLiteral(":/ui/bellcurve.xpm")),
                                      QStringLiteral("Blur / Interpolate"), client),
                      "SpeedButton3", {304, 296, 25, 25});
    for (SpeedButton* tool : {pencilTool_, eraserTool_, blurTool_})
        tool->setAutoExclusive(true);
    nibSizeLabel_ = MakeLabel(QStringLiteral("Nib Size"), "Label2", QRect(136, 300, 48, 13), client);

    gridSizeBox_ = Named(new NumberBox(QStringLiteral("50"), false, client), "EGridSize", {68, 296, 41, 21});
    gridSizeUpDown_ = Named(new UpDown(1, kLargestGridSize, 10, 50, client), "UpDown1", {109, 296, 15, 21});
    gridSizeUpDown_->setBuddy(gridSizeBox_);
    colourButton_ = Named(new QPushButton(QStringLiteral("Colour"), client), "Button1", {336, 296, 49, 25});
    colourButton_->setDefault(true);
    nibSizeBox_ = Named(new NumberBox(QStringLiteral("10"), true, client), "ENibSize", {188, 296, 41, 21});
    nibSizeUpDown_ = Named(new UpDown(0, 100, 1, 10, client), "UNibSize", {229, 296, 15, 21});
    nibSizeUpDown_->setBuddy(nibSizeBox_);
    intensityNudge_ = Named(new UpDown(-255, 255, 1, 0, client), "UpDown2", {384, 296, 16, 24});
    intensityNudge_->setToolTip(QStringLiteral("Intensity Nudge"));

    client->keepPlaces(colourStrip_, canvasView_);

    setTabOrder(gridSizeBox_, colourButton_);
    setTabOrder(colourButton_, nibSizeBox_);
    gridSizeBox_->setFocus();
    keyRouter_ = new KeyRouter(this, colourButton_);
}

void MainWindow::connectHandlers()
{
    auto onTriggered = [this](QAction* item, void (MainWindow::*handler)()) {
        connect(item, &QAction::triggered, this, Guarded(this, [this, handler] { (this->*handler)(); }));
    };
    onTriggered(newAction_, &MainWindow::newPicture);
    onTriggered(loadAction_, &MainWindow::loadPicture);
    onTriggered(saveAction_, &MainWindow::savePicture);
    onTriggered(importAction_, &MainWindow::importPicture);
    onTriggered(exportDxfAction_, &MainWindow::exportDxf);
    onTriggered(exportStlAction_, &MainWindow::exportStl);
    onTriggered(exportObjAction_, &MainWindow::exportObj);
    onTriggered(exportThreeMfAction_, &MainWindow::exportThreeMf);
    onTriggered(exportHeightMapAction_, &MainWindow::exportHeightMap);
    onTriggered(meshSettingsAction_, &MainWindow::editMeshSettings);
    onTriggered(exitAction_, &MainWindow::exitProgram);
    onTriggered(quickHelpAction_, &MainWindow::showQuickHelp);
    // Qt flips a checkable item before announcing it; flip it back so that the
    // handlers alone own the check marks, however they are run.
    for (auto [item, handler] : {std::pair{exportBlackAction_, &MainWindow::toggleExportBlack},
                                 std::pair{exportWhiteAction_, &MainWindow::toggleExportWhite}}) {
        connect(item, &QAction::triggered, this, Guarded(this, [this, item, handler] {
                    item->setChecked(!item->isChecked());
                    (this->*handler)();
                }));
    }

    connect(imageView_, &ImageView::mouseDown, this, Guarded(this, [this] { beginStroke(); }));
    connect(imageView_, &ImageView::mouseMove, this,
            Guarded(this, [this](ShiftState s, int x, int y) { paintStep(s, x, y); }));
    connect(imageView_, &ImageView::mouseUp, this, Guarded(this, [this] { endStroke(); }));
    connect(pencilTool_, &SpeedButton::clicked, this, Guarded(this, [this] { choosePencil(); }));
    connect(eraserTool_, &SpeedButton::clicked, this, Guarded(this, [this] { chooseEraser(); }));
    connect(blurTool_, &SpeedButton::clicked, this, Guarded(this, [this] { chooseBlurBrush(); }));
    connect(blurTool_, &SpeedButton::doubleClicked, this, Guarded(this, [this] { blurWholePicture(); }));
    connect(gridSizeBox_, &QLineEdit::textChanged, this, Guarded(this, [this] { gridSizeChanged(); }));
    connect(nibSizeBox_, &QLineEdit::textChanged, this, Guarded(this, [this] { nibSizeChanged(); }));
    connect(colourButton_, &QPushButton::clicked, this, Guarded(this, [this] { chooseColour(); }));
    connect(intensityNudge_, &UpDown::clicked, this, Guarded(this, [this](bool up) { nudgeIntensity(up); }));
    connect(keyRouter_, &KeyRouter::keyPressed, this,
            Guarded(this, [this](int key, ShiftState shift) { previewKey(key, shift); }));
    connectUndoHandlers();
    pictureDrop_ = new PictureDrop(this);
    connect(pictureDrop_, &PictureDrop::fileDropped, this, Guarded(this, [this](const QString& f) { dropPicture(f); }));
    connectCanvas();
    connectPreview();
}

// Closing the main window ends the program at once, as File > Exit does.
bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == this && event->type() == QEvent::Close) {
        exitProgram();
        return false;
    }
    return QMainWindow::eventFilter(watched, event);
}

ColourValue MainWindow::drawingColour() const
{
    return colourStrip_->colour();
}

void MainWindow::setDrawingColour(ColourValue colour)
{
    colourStrip_->setColour(colour);
}

// The long work that follows processes no events, so the title must be out before it
// starts.
void MainWindow::setStatusCaption(const QString& caption)
{
    ShowTitleNow(this, caption);
}

void MainWindow::initialiseEditor()
{
    resetGrid();
    initDefaults();
}

void MainWindow::resetGrid()
{
    ResetGrid(state_, imageView_->surface());
    setStatusCaption(kProductCaption);
}

void MainWindow::initDefaults()
{
    InitDefaults(state_);
    exportBlackAction_->setChecked(true);
    exportWhiteAction_->setChecked(true);
}

void MainWindow::gridSizeChanged()
{
    ApplyGridSizeText(state_, gridSizeBox_->text().toStdString());
}

void MainWindow::toggleExportBlack()
{
    state_.exportBlackPlanes = !state_.exportBlackPlanes;
    exportBlackAction_->setChecked(!exportBlackAction_->isChecked());
}

void MainWindow::toggleExportWhite()
{
    state_.exportWhitePlanes = !state_.exportWhitePlanes;
    exportWhiteAction_->setChecked(!exportWhiteAction_->isChecked());
}

void MainWindow::exitProgram()
{
    // No window is asked whether it may close; nothing is saved.
    QCoreApplication::exit(0);
}

void MainWindow::showQuickHelp()
{
    if (helpWindow_)
        helpWindow_->showModal();
}

void MainWindow::exportDxf()
{
    // Save BMP shares the dialog and leaves its own values in it.
    saveDialog_.defaultExtension = QStringLiteral("*.DXF");
    saveDialog_.fileName = QStringLiteral("VORTALQUENCH.DXF");
    saveDialog_.filterLabel = QStringLiteral("Data Exchange Format(*.DXF)");
    saveDialog_.filterPattern = QStringLiteral("*.DXF");
    setStatusCaption(QStringLiteral("Exporting DXF... Please Wait"));
    if (const std::optional<QString> name = CurrentDialogs().saveFileName(this, saveDialog_))
        WriteMesh(MeshFormat::Dxf, state_, imageView_->surface(), QFile::encodeName(*name).toStdString());
    setStatusCaption(QStringLiteral("Exporting DXF Complete"));
}
