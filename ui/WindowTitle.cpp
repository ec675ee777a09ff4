#include "ui/WindowTitle.h"

#include <QGuiApplication>
#include <QWidget>

#include <X11/Xlib.h>

void ShowTitleNow(QWidget* window, const QString& title)
{
    window->setWindowTitle(title);
    if (const auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr) {
        if (Display* display = x11->display())
            XFlush(display);
    }
}
