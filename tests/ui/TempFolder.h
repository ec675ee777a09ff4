#pragma once
#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

// A fresh folder per test, removed with everything in it afterwards.
class TempFolder {
public:
    QString path(const QString& name) const { return dir_.filePath(name); }
    bool valid() const { return dir_.isValid(); }

    static QByteArray Read(const QString& file)
    {
        QFile in(file);
        return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
    }

private:
    QTemporaryDir dir_;
};
