#include "ui/Screenshots.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QPixmap>

#include "ui/HelpWindow.h"
#include "ui/MainWindow.h"

void TakeScreenshotsLater(MainWindow& window, HelpWindow& help, const QString& folder)
{
    QMetaObject::invokeMethod(
        &window,
        [&window, &help, folder] {
            QDir().mkpath(folder);
            window.grab().save(QDir(folder).filePath(QStringLiteral("main.png")));
            if (auto* preview = window.findChild<QAction*>(QStringLiteral("Preview1")))
                preview->trigger();
            for (QWidget* top : QApplication::topLevelWidgets()) {
                if (top->objectName() != QLatin1String("PreviewWindow"))
                    continue;
                QCoreApplication::processEvents();
                top->grab().save(QDir(folder).filePath(QStringLiteral("preview.png")));
                top->close();
            }
            if (auto* quickHelp = window.findChild<QAction*>(QStringLiteral("QuickHelp1")))
                quickHelp->trigger();
            // The help window lays itself out once the events of its showing have run.
            QCoreApplication::processEvents();
            help.grab().save(QDir(folder).filePath(QStringLiteral("help.png")));
            QCoreApplication::exit(0);
        },
        Qt::QueuedConnection);
}
