#pragma once
#include <QObject>
#include <QString>

#include <optional>

class QMimeData;
class QWidget;

// Picture files dropped on a window. A drag that carries exactly one local file, not a
// folder, is taken as a copy anywhere on the window (also over its read-only boxes);
// several files, a folder or anything else are not even accepted. The dropped file is
// announced once the drop has returned, so the program it came from is not kept waiting
// while the picture is read or an error is shown.
class PictureDrop : public QObject {
    Q_OBJECT
public:
    // Makes window a drop target.
    explicit PictureDrop(QWidget* window);

    // The one local file that data names, or nothing.
    static std::optional<QString> DroppedFile(const QMimeData* data);

signals:
    void fileDropped(const QString& fileName);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
