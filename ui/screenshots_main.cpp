// Draws the program's windows into PNG files for review: the windows are built
// exactly as the program builds them. Not installed; scripts/screenshot runs it.
// Usage: relief_foundry_screenshots FOLDER
#include <cstdio>

#include "ui/Application.h"
#include "ui/ProgramIcon.h"
#include "ui/ProgramWindows.h"
#include "ui/Screenshots.h"

int main(int argc, char** argv)
{
    Application app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    app.setWindowIcon(ProgramIcon());
    const ProgramWindows windows = OpenProgramWindows();
    if (!windows.main || !windows.help)
        return 1;
    TakeScreenshotsLater(*windows.main, *windows.help, QString::fromLocal8Bit(argv[1]));
    return app.exec();
}
