#include <QDir>

#include "ui/Application.h"
#include "ui/ErrorDisplay.h"
#include "ui/ProgramIcon.h"
#include "ui/Screenshots.h"
#include "ui/TForm1.h"
#include "ui/TForm2.h"
#include "ui/WindowPlacement.h"

int main(int argc, char** argv)
{
    Application app(argc, argv);
    app.setWindowIcon(ProgramIcon());
    try {
        new TForm1;
    } catch (...) {
        ShowCurrentException(nullptr);
    }
    try {
        new TForm2;
    } catch (...) {
        ShowCurrentException(Form1);
    }
    if (!Form1)
        return 0;
    Form1->ensurePolished();
    CentreOnScreen(Form1, Form1->sizeHint());
    Form1->show();
    // Window managers focus a new window themselves; a bare X display needs asking.
    Form1->activateWindow();
    // Only scripts/screenshot sets this; the program otherwise reads no environment.
    const QString screenshotDir = qEnvironmentVariable("RELIEF_FOUNDRY_SCREENSHOT");
    if (!screenshotDir.isEmpty())
        TakeScreenshotsLater(screenshotDir);
    const int code = app.exec();
    delete Form2;
    delete Form1;
    return code;
}
