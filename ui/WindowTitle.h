#pragma once
#include <QString>

class QWidget;

// Sets a window's title so that the desktop shows it at once, without running the event
// loop: the long commands that follow process no events, and running queued work (timers,
// deferred calls, a pending close) in the middle of a command is not ours to do.
//
// On X11 the title is a pair of window properties that the window manager draws. Qt sends
// the modern one (_NET_WM_NAME) and flushes at once, but writes the older WM_NAME through
// Xlib's own buffer, which only the next event-loop pass would flush; flushing it here
// lets window managers that read WM_NAME show the new title too. Other window systems get
// the title when Qt next talks to them.
void ShowTitleNow(QWidget* window, const QString& title);
