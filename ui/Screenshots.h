#pragma once
#include <QString>

class HelpWindow;
class MainWindow;

// Once the event loop runs: writes main.png (the main window), preview.png (the 3D
// preview of the built-in picture, opened through View > 3D Preview) and help.png (the
// help window, opened through Help > Quick Help) into folder, then ends the event loop.
void TakeScreenshotsLater(MainWindow& window, HelpWindow& help, const QString& folder);
