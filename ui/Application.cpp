#include "ui/Application.h"

#include "ui/ErrorDisplay.h"

Application::Application(int& argc, char** argv) : QApplication(argc, argv)
{
    // Lets Wayland desktops match the windows to the installed menu entry and its icon.
    setDesktopFileName(QStringLiteral("org.relieffoundry.ReliefFoundry"));
}

bool Application::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        ShowCurrentException(activeWindow());
        return false;
    }
}
