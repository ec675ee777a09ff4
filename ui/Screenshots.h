#pragma once
#include <QString>

class HelpWindow;
class MainWindow;

// Once the event loop runs: writes main.png (the main window) and help.png (the help
// window, opened through Help > Quick Help) into folder, then ends the event loop.
void TakeScreenshotsLater(MainWindow& window, HelpWindow& help, const QString& folder);
