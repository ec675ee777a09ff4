#include "ui/ErrorDisplay.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QWidget>
#include <new>

#include "model/Failure.h"
#include "ui/Dialogs.h"

QString AppTitleFromPath(const QString& programPath)
{
    QString name = QFileInfo(programPath).fileName();
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    if (dot >= 0)
        name.truncate(dot);
    if (name.isEmpty())
        return name;
    // The first character keeps its case; only the rest is lowered.
    return name.left(1) + name.mid(1).toLower();
}

QString AppTitle()
{
    return AppTitleFromPath(QCoreApplication::applicationFilePath());
}

void ShowError(QWidget* parent, const QString& message)
{
    CurrentDialogs().message(parent, AppTitle(), message + QLatin1Char('.'), Dialogs::Icon::Critical);
}

void ShowCurrentException(QWidget* parent)
{
    // The box itself must not throw out of a catch block into Qt.
    try {
        throw;
    } catch (const std::bad_alloc&) {
        // Memory that ran out anywhere reads as the editor's own failure.
        ShowError(parent, QString::fromStdString(FailureText(Failure::OutOfMemory)));
    } catch (const std::exception& error) {
        ShowError(parent, QString::fromLocal8Bit(error.what()));
    } catch (...) {
        ShowError(parent, QStringLiteral("Unknown error"));
    }
}
