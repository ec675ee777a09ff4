#pragma once
#include <QMainWindow>
#include <QPointer>
#include <memory>

#include "model/Colour.h"
#include "model/EditorState.h"
#include "paint/ShiftState.h"
#include "ui/Dialogs.h"

class QAction;
class QLabel;
class QLineEdit;
class QPushButton;
class ColourStrip;
class HelpWindow;
class ImageView;
class KeyPreview;
class PreviewWindow;
class SpeedButton;
class UpDown;

// The main window: the picture in the top-left corner, the strip of controls along the
// bottom, and the File, View, Options and Help menus. Every widget and menu item keeps
// the name the program has always given it as its Qt object name, so tests and searches
// find it by that name:
//
//   member              object name     member               object name
//   picture_            Image1          newAction_           NewBMP1
//   colourStrip_        Shape1          loadAction_          LoadBMP1
//   gridSizeLabel_      Label1          saveAction_          SaveBMP1
//   pencilTool_         SpeedButton1    exportDxfAction_     ExportDXF1
//   eraserTool_         SpeedButton2    exitAction_          Exit1
//   blurTool_           SpeedButton3    exportBlackAction_   ExportBlack1
//   nibSizeLabel_       Label2          exportWhiteAction_   ExportWhite1
//   gridSizeBox_        EGridSize       quickHelpAction_     QuickHelp1
//   gridSizeUpDown_     UpDown1         previewAction_       Preview1
//   colourButton_       Button1         (menus)              File1, View1, Options1, Help1
//   nibSizeBox_         ENibSize        (first separator)    N1
//   nibSizeUpDown_      UNibSize
//   intensityNudge_     UpDown2
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

    // The 3D preview (ui/MainWindowPreview.cpp)
    void buildViewMenu();
    void connectPreview();
    void showPreview();

    EditorState state_;
    QPointer<HelpWindow> helpWindow_;

    QAction* newAction_ = nullptr;
    QAction* loadAction_ = nullptr;
    QAction* saveAction_ = nullptr;
    QAction* exportDxfAction_ = nullptr;
    QAction* exitAction_ = nullptr;
    QAction* exportBlackAction_ = nullptr;
    QAction* exportWhiteAction_ = nullptr;
    QAction* quickHelpAction_ = nullptr;
    QAction* previewAction_ = nullptr;

    // Controls, in stacking order
    ImageView* picture_ = nullptr;          // owns the picture's surface
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
    KeyPreview* keyPreview_ = nullptr;

    // What the dialogs keep between their runs
    FileDialogSettings saveDialog_;
    FileDialogSettings openDialog_;
    ColourValue colourDialogColour_ = kBlack;  // the colour dialog's own colour

    // Made when first asked for; a window of its own, not a child, so either window can
    // be in front. Declared last, so it goes before the state and picture it shows.
    struct PreviewWindowDeleter {
        void operator()(PreviewWindow* window) const;  // where the type is complete
    };
    std::unique_ptr<PreviewWindow, PreviewWindowDeleter> previewWindow_;
};
