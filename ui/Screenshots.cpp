#include "ui/Screenshots.h"

#include <QCoreApplication>
#include <QDir>
#include <QPixmap>

#include "ui/TForm1.h"
#include "ui/TForm2.h"

void TakeScreenshotsLater(const QString& folder)
{
    QMetaObject::invokeMethod(
        qApp,
        [folder] {
            QDir().mkpath(folder);
            Form1->grab().save(QDir(folder).filePath(QStringLiteral("main.png")));
            Form1->QuickHelp1Click();
            if (Form2) {
                // The help window lays itself out once the events of its showing have run.
                QCoreApplication::processEvents();
                Form2->grab().save(QDir(folder).filePath(QStringLiteral("help.png")));
            }
            QCoreApplication::exit(0);
        },
        Qt::QueuedConnection);
}
