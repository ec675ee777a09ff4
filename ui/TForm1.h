#pragma once
#include <QMainWindow>

#include "model/Colour.h"
#include "model/EditorState.h"
#include "paint/ShiftState.h"
#include "ui/Dialogs.h"

class QAction;
class QLabel;
class QLineEdit;
class QPushButton;
class QKeyEvent;
class ImageView;
class UpDown;
class SpeedButton;
class ColourStrip;
class KeyPreview;

// The main window. Members follow the window's own names; handlers are plain member
// functions connected to the controls' signals by the constructor.
class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    // The program-wide editing state (one main window per run).
    EditorState State;

    // Menu
    QAction* File1 = nullptr;
    QAction* NewBMP1 = nullptr;
    QAction* LoadBMP1 = nullptr;
    QAction* SaveBMP1 = nullptr;
    QAction* N1 = nullptr;
    QAction* ExportDXF1 = nullptr;
    QAction* Exit1 = nullptr;
    QAction* Options1 = nullptr;
    QAction* ExportBlack1 = nullptr;
    QAction* ExportWhite1 = nullptr;
    QAction* Help1 = nullptr;
    QAction* QuickHelp1 = nullptr;

    // Controls, in stacking order
    ImageView* Image1 = nullptr;  // owns the picture: Image1->surface()
    ColourStrip* Shape1 = nullptr;  // its fill colour is the drawing colour
    QLabel* Label1 = nullptr;
    SpeedButton* SpeedButton1 = nullptr;
    SpeedButton* SpeedButton2 = nullptr;
    SpeedButton* SpeedButton3 = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* EGridSize = nullptr;
    UpDown* UpDown1 = nullptr;
    QPushButton* Button1 = nullptr;
    QLineEdit* ENibSize = nullptr;
    UpDown* UNibSize = nullptr;
    UpDown* UpDown2 = nullptr;

    // Dialog settings the window keeps between runs of its dialogs
    FileDialogSettings SaveDialog1;
    FileDialogSettings OpenDialog1;
    ColourValue ColorDialog1Colour = kBlack;  // the colour dialog's own colour

    ColourValue drawingColour() const;
    void setDrawingColour(ColourValue colour);  // repaints Shape1 at once
    void setStatusCaption(const QString& caption);  // drawn at once, before long work

    // Start-up and the grid (ui/TForm1.cpp)
    void FormCreate();
    void ResetGrid();     // the core reset plus the product caption
    void InitDefaults();  // the core defaults plus the two check marks
    void EGridSizeChange();
    void ExportBlack1Click();
    void ExportWhite1Click();
    void Exit1Click();
    void QuickHelp1Click();
    void ExportDXF1Click();

    // Painting (ui/TForm1Paint.cpp)
    void SpeedButton1Click();
    void SpeedButton2Click();
    void SpeedButton3Click();
    void SpeedButton3DblClick();
    void ENibSizeChange();
    void Image1MouseDown(Qt::MouseButton button, ShiftState shift, int x, int y);
    void Image1MouseUp(Qt::MouseButton button, ShiftState shift, int x, int y);
    void Image1MouseMove(ShiftState shift, int x, int y);
    void Button1Click();
    void UpDown2Click(bool up);  // only for clicks that moved UpDown2's hidden position
    // key: the virtual-key code the window gives (107 keypad plus, 109 keypad minus,
    // 191 the slash and question-mark key); shift: the keys and buttons held.
    void FormKeyDown(int key, ShiftState shift);

    // Picture files (ui/TForm1Files.cpp)
    void NewBMP1Click();
    void LoadBMP1Click();
    void SaveBMP1Click();

private:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void buildMenu();
    void buildControls();
    void connectHandlers();

    KeyPreview* keyPreview_ = nullptr;
};

extern TForm1* Form1;
