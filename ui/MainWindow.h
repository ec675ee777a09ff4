#pragma once
#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <memory>

#include "model/Colour.h"
#include "model/EditorState.h"
#include "paint/ShiftState.h"
#include "ui/Dialogs.h"

enum class MeshFormat;

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class CanvasStatus;
class CanvasView;
class ClientArea;
class ColourStrip;
class HelpWindow;
class ImageView;
class KeyRouter;
class PictureHistory;
class PictureDrop;
class PreviewWindow;
class SpeedButton;
class UpDown;
struct Picture;

// The main window: the picture view above the strip of controls along the bottom, an
// optional status bar below, and the File, Edit, View, Options and Help menus. Every widget and menu item keeps
// the name the program has always given it as its Qt object name, so tests and searches
// find it by that name:
//
//   member              object name     member               object name
//   imageView_          Image1          newAction_           NewBMP1
//   colourStrip_        Shape1          loadAction_          LoadBMP1
//   gridSizeLabel_      Label1          saveAction_          SaveBMP1
//   pencilTool_         SpeedButton1    exportDxfAction_     ExportDXF1
//   eraserTool_         SpeedButton2    exitAction_          Exit1
//   blurTool_           SpeedButton3    exportBlackAction_   ExportBlack1
//   nibSizeLabel_       Label2          exportWhiteAction_   ExportWhite1
//   gridSizeBox_        EGridSize       quickHelpAction_     QuickHelp1
//   gridSizeUpDown_     UpDown1         importAction_        ImportPicture1
//   colourButton_       Button1         exportStlAction_     ExportSTL1
//   nibSizeBox_         ENibSize        exportObjAction_     ExportOBJ1
//   nibSizeUpDown_      UNibSize        undoAction_          Undo1
//   intensityNudge_     UpDown2         redoAction_          Redo1
//   canvasView_         ScrollBox1      previewAction_       Preview1
//   (status bar)        StatusBar1      zoomInAction_        ZoomIn1
//                                       zoomOutAction_       ZoomOut1
//                                       fitPictureAction_    FitPicture1
//                                       actualPixelsAction_  ActualPixels1
//                                       statusBarAction_     ShowStatusBar1
//                                       exportThreeMfAction_ Export3MF1
//                                       exportHeightMapAction_ ExportHeightMap1
//                                       meshSettingsAction_  MeshSettings1
//                                       (menus)              File1, Edit1, View1, Options1, Help1
//                                       (first separator)    N1
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    // The window that Help > Quick Help shows; none means the command does nothing.
    void setHelpWindow(HelpWindow* help);

    // The program-wide editing state, for looking at (tests, the screenshot tool).
    const EditorState& state() const { return state_; }

signals:
    // Something the exported mesh depends on may have changed: the picture (every change,
    // at once), the grid size, an export option, or the heights (an export, Load's reset).
    void meshInputsChanged();

private:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void buildMenu();
    void buildControls();
    void connectHandlers();

    ColourValue drawingColour() const;
    void setDrawingColour(ColourValue colour);      // repaints the colour strip at once
    void setStatusCaption(const QString& caption);  // shown at once, before long work

    // Start-up, the grid and the options (ui/MainWindow.cpp)
    void initialiseEditor();
    void resetGrid();     // the core reset plus the product caption
    void initDefaults();  // the core defaults plus the two check marks
    void gridSizeChanged();
    void toggleExportBlack();
    void toggleExportWhite();
    void exitProgram();
    void showQuickHelp();
    void exportDxf();

    // Painting (ui/MainWindowPaint.cpp)
    void choosePencil();
    void chooseEraser();
    void chooseBlurBrush();
    void blurWholePicture();
    void nibSizeChanged();
    void beginStroke();
    void endStroke();
    void paintStep(ShiftState shift, int x, int y);
    void chooseColour();
    void nudgeIntensity(bool up);  // only for clicks that moved the nudge's hidden position
    // key: the virtual-key code of the key pressed (107 keypad plus, 109 keypad minus,
    // 191 the slash and question-mark key); shift: the keys and buttons held.
    void previewKey(int key, ShiftState shift);

    // Picture files (ui/MainWindowFiles.cpp)
    void newPicture();
    void loadPicture();
    void savePicture();

    // Undo and redo (ui/MainWindowUndo.cpp)
    void buildEditMenu();
    void connectUndoHandlers();
    // Makes a change of the whole picture one undo step named `name` (the menu reads
    // "Undo <name>"): runs `change`, keeping the whole picture as it was before its first
    // change (a picture that `change` replaces is kept as it is, without a copy), and
    // keeps the step only when `change` returns normally and has changed the picture.
    // When `change` throws, what it did to the picture is put back, no step is kept, and
    // the exception goes on to the caller (the error display). A stroke still going on
    // is cut there: its moves before and after are steps of their own.
    void runPictureStep(const QString& name, const std::function<void()>& change);
    void undoStep();
    void redoStep();
    bool historyInUse() const;  // a stroke in progress, a modal window up
    // Import Picture and dropped picture files (ui/MainWindowImport.cpp)
    void importPicture();
    void dropPicture(const QString& fileName);
    void replacePicture(Picture picture);  // the whole change: picture, heights, grid
    // Mesh exports beside the DXF, the height map and the mesh settings
    // (ui/MainWindowMeshes.cpp)
    void exportStl();
    void exportObj();
    void exportThreeMf();
    // STL or 3MF: the waiting caption, the save dialog, the solid (with progress over the
    // whole picture), the completion caption.
    void exportSolid(MeshFormat format, const FileDialogSettings& dialog, const QString& formatName);
    void exportHeightMap();
    void editMeshSettings();
    // The 3D preview (ui/MainWindowPreview.cpp)
    void buildViewMenu();
    void connectPreview();
    void showPreview();
    // Zoom, scroll and the status bar (ui/MainWindowCanvas.cpp)
    void buildCanvasItems(QMenu* view);
    void connectCanvas();
    void toggleStatusBar();
    void refreshReadout();  // the status bar and the brush outline, for the pixel under the pointer
    void postReadout();     // the same once the current command has returned

    EditorState state_;
    QPointer<HelpWindow> helpWindow_;

    QAction* newAction_ = nullptr;
    QAction* loadAction_ = nullptr;
    QAction* saveAction_ = nullptr;
    QAction* importAction_ = nullptr;
    QAction* exportDxfAction_ = nullptr;
    QAction* exportStlAction_ = nullptr;
    QAction* exportObjAction_ = nullptr;
    QAction* exportThreeMfAction_ = nullptr;
    QAction* exportHeightMapAction_ = nullptr;
    QAction* meshSettingsAction_ = nullptr;
    QAction* exitAction_ = nullptr;
    QAction* exportBlackAction_ = nullptr;
    QAction* exportWhiteAction_ = nullptr;
    QAction* quickHelpAction_ = nullptr;
    QAction* undoAction_ = nullptr;
    QAction* redoAction_ = nullptr;
    // A member, not a child: it goes before the controls and the surface it records on.
    std::unique_ptr<PictureHistory> history_;
    QAction* previewAction_ = nullptr;
    QAction* zoomInAction_ = nullptr;
    QAction* zoomOutAction_ = nullptr;
    QAction* fitPictureAction_ = nullptr;
    QAction* actualPixelsAction_ = nullptr;
    QAction* statusBarAction_ = nullptr;
    CanvasStatus* canvasStatus_ = nullptr;
    bool readoutPosted_ = false;

    // Controls, in stacking order
    ClientArea* client_ = nullptr;
    CanvasView* canvasView_ = nullptr;      // owns the zoom and the scroll
    ImageView* imageView_ = nullptr;        // inside the view; owns the picture's surface
    ColourStrip* colourStrip_ = nullptr;    // its fill colour is the drawing colour
    QLabel* gridSizeLabel_ = nullptr;
    SpeedButton* pencilTool_ = nullptr;
    SpeedButton* eraserTool_ = nullptr;
    SpeedButton* blurTool_ = nullptr;
    QLabel* nibSizeLabel_ = nullptr;
    QLineEdit* gridSizeBox_ = nullptr;
    UpDown* gridSizeUpDown_ = nullptr;
    QPushButton* colourButton_ = nullptr;
    QLineEdit* nibSizeBox_ = nullptr;
    UpDown* nibSizeUpDown_ = nullptr;
    UpDown* intensityNudge_ = nullptr;
    KeyRouter* keyRouter_ = nullptr;
    PictureDrop* pictureDrop_ = nullptr;

    // What the dialogs keep between their runs
    FileDialogSettings saveDialog_;
    FileDialogSettings openDialog_;
    FileDialogSettings importDialog_;
    ColourValue colourDialogColour_ = kBlack;  // the colour dialog's own colour

    // Made when first asked for; a window of its own, not a child, so either window can
    // be in front. Declared last, so it goes before the state and picture it shows.
    struct PreviewWindowDeleter {
        void operator()(PreviewWindow* window) const;  // where the type is complete
    };
    std::unique_ptr<PreviewWindow, PreviewWindowDeleter> previewWindow_;
};
