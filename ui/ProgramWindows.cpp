#include "ui/ProgramWindows.h"

#include "ui/ErrorDisplay.h"
#include "ui/WindowPlacement.h"

ProgramWindows OpenProgramWindows()
{
    ProgramWindows windows;
    try {
        windows.main = std::make_unique<MainWindow>();
    } catch (...) {
        ShowCurrentException(nullptr);
    }
    try {
        windows.help = std::make_unique<HelpWindow>();
    } catch (...) {
        ShowCurrentException(windows.main.get());
    }
    if (!windows.main)
        return windows;
    windows.main->setHelpWindow(windows.help.get());
    CentreOnScreenWhenFramed(windows.main.get());
    windows.main->show();
    // Window managers focus a new window themselves; a bare X display needs asking.
    windows.main->activateWindow();
    return windows;
}
