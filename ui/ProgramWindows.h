#pragma once
#include <memory>

#include "ui/HelpWindow.h"
#include "ui/MainWindow.h"

// The program's two windows, built in the order the program builds them: the main
// window, then the help window, created hidden and handed to the main window.
struct ProgramWindows {
    std::unique_ptr<MainWindow> main;
    std::unique_ptr<HelpWindow> help;
};

// Builds both windows and shows the main one centred on the screen with the keyboard in
// it. A window whose construction fails is shown as an error and left out; the program
// carries on without it.
ProgramWindows OpenProgramWindows();
