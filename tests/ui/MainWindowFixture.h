#pragma once
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QTest>
#include <gtest/gtest.h>

#include "ScriptedDialogs.h"
#include "ui/CanvasView.h"
#include "ui/ColourStrip.h"
#include "ui/HelpWindow.h"
#include "ui/ImageView.h"
#include "ui/MainWindow.h"
#include "ui/SpeedButton.h"
#include "ui/UpDown.h"

// A fresh pair of windows per test, built as the program builds them, with every
// dialog answered by the script. The main window is shown and active, so keys and
// focus behave as on the desktop. The widgets are found by their object names, as a
// user's script would find them.
class MainWindowFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        window = new MainWindow;
        help = new HelpWindow;
        window->setHelpWindow(help);
        window->show();
        window->activateWindow();
        QApplication::setActiveWindow(window);
        findWidgets();
        // A test that ended with a mouse button held would hand it on to this one.
        for (Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton}) {
            if (QApplication::mouseButtons() & button)
                QTest::mouseRelease(window->centralWidget(), button, Qt::NoModifier, QPoint(402, 250));
        }
    }

    void TearDown() override
    {
        delete help;
        delete window;
    }

    template <class T>
    static T* Find(QObject* parent, const char* name)
    {
        T* found = parent->findChild<T*>(QLatin1String(name));
        EXPECT_NE(found, nullptr) << "no " << name;
        return found;
    }

    const EditorState& state() const { return window->state(); }
    ImageSurface& surface() { return imageView->surface(); }
    ColourValue drawingColour() const { return colourStrip->colour(); }

    ScriptedDialogs dialogs;
    MainWindow* window = nullptr;
    HelpWindow* help = nullptr;

    // The main window's widgets and menu items, by object name.
    CanvasView* canvasView = nullptr;       // ScrollBox1
    ImageView* imageView = nullptr;         // Image1
    ColourStrip* colourStrip = nullptr;     // Shape1
    QLabel* gridSizeLabel = nullptr;        // Label1
    SpeedButton* pencilTool = nullptr;      // SpeedButton1
    SpeedButton* eraserTool = nullptr;      // SpeedButton2
    SpeedButton* blurTool = nullptr;        // SpeedButton3
    QLabel* nibSizeLabel = nullptr;         // Label2
    QLineEdit* gridSizeBox = nullptr;       // EGridSize
    UpDown* gridSizeUpDown = nullptr;       // UpDown1
    QPushButton* colourButton = nullptr;    // Button1
    QLineEdit* nibSizeBox = nullptr;        // ENibSize
    UpDown* nibSizeUpDown = nullptr;        // UNibSize
    UpDown* intensityNudge = nullptr;       // UpDown2
    QAction* fileMenu = nullptr;            // File1
    QAction* newAction = nullptr;           // NewBMP1
    QAction* loadAction = nullptr;          // LoadBMP1
    QAction* saveAction = nullptr;          // SaveBMP1
    QAction* firstSeparator = nullptr;      // N1
    QAction* exportDxfAction = nullptr;     // ExportDXF1
    QAction* exitAction = nullptr;          // Exit1
    QAction* optionsMenu = nullptr;         // Options1
    QAction* exportBlackAction = nullptr;   // ExportBlack1
    QAction* exportWhiteAction = nullptr;   // ExportWhite1
    QAction* helpMenu = nullptr;            // Help1
    QAction* quickHelpAction = nullptr;     // QuickHelp1
    // The help window's widgets.
    QPlainTextEdit* helpMemo = nullptr;     // Memo1
    QPushButton* helpOk = nullptr;          // Button1
    QScrollArea* helpScrollArea = nullptr;

private:
    void findWidgets()
    {
        canvasView = Find<CanvasView>(window, "ScrollBox1");
        imageView = Find<ImageView>(window, "Image1");
        colourStrip = Find<ColourStrip>(window, "Shape1");
        gridSizeLabel = Find<QLabel>(window, "Label1");
        pencilTool = Find<SpeedButton>(window, "SpeedButton1");
        eraserTool = Find<SpeedButton>(window, "SpeedButton2");
        blurTool = Find<SpeedButton>(window, "SpeedButton3");
        nibSizeLabel = Find<QLabel>(window, "Label2");
        gridSizeBox = Find<QLineEdit>(window, "EGridSize");
        gridSizeUpDown = Find<UpDown>(window, "UpDown1");
        colourButton = Find<QPushButton>(window, "Button1");
        nibSizeBox = Find<QLineEdit>(window, "ENibSize");
        nibSizeUpDown = Find<UpDown>(window, "UNibSize");
        intensityNudge = Find<UpDown>(window, "UpDown2");
        fileMenu = Find<QAction>(window, "File1");
        newAction = Find<QAction>(window, "NewBMP1");
        loadAction = Find<QAction>(window, "LoadBMP1");
        saveAction = Find<QAction>(window, "SaveBMP1");
        firstSeparator = Find<QAction>(window, "N1");
        exportDxfAction = Find<QAction>(window, "ExportDXF1");
        exitAction = Find<QAction>(window, "Exit1");
        optionsMenu = Find<QAction>(window, "Options1");
        exportBlackAction = Find<QAction>(window, "ExportBlack1");
        exportWhiteAction = Find<QAction>(window, "ExportWhite1");
        helpMenu = Find<QAction>(window, "Help1");
        quickHelpAction = Find<QAction>(window, "QuickHelp1");
        helpMemo = Find<QPlainTextEdit>(help, "Memo1");
        helpOk = Find<QPushButton>(help, "Button1");
        helpScrollArea = help->findChild<QScrollArea*>();
    }
};
