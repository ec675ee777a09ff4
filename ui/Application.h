#pragma once
#include <QApplication>

// The program's application object. Handlers are guarded where they are connected;
// this catches whatever still escapes an event (a paint or a Qt callback) and shows it
// the same way, so no exception ever unwinds through the event loop.
class Application : public QApplication {
    Q_OBJECT
public:
    Application(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};
