#include "ui/Application.h"
#include "ui/ProgramIcon.h"
#include "ui/ProgramWindows.h"

int main(int argc, char** argv)
{
    Application app(argc, argv);
    app.setWindowIcon(ProgramIcon());
    const ProgramWindows windows = OpenProgramWindows();
    if (!windows.main)
        return 0;
    return app.exec();
}
