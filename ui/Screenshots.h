#pragma once
#include <QString>

// Once the event loop runs: writes main.png (the main window) and help.png (the help
// window, opened through Quick Help) into folder, then ends the program. For reviewing
// the look under a virtual display.
void TakeScreenshotsLater(const QString& folder);
