#include "ui/PictureDrop.h"

#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

PictureDrop::PictureDrop(QWidget* window) : QObject(window)
{
    // A drag that a widget inside (a read-only box) does not take goes on to the window.
    window->setAcceptDrops(true);
    window->installEventFilter(this);
}

std::optional<QString> PictureDrop::DroppedFile(const QMimeData* data)
{
    if (!data || !data->hasUrls())
        return std::nullopt;
    const QList<QUrl> urls = data->urls();
    if (urls.size() != 1 || !urls.front().isLocalFile())
        return std::nullopt;
    const QString fileName = urls.front().toLocalFile();
    if (fileName.isEmpty() || QFileInfo(fileName).isDir())
        return std::nullopt;
    return fileName;
}

bool PictureDrop::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop)
        return QObject::eventFilter(watched, event);
    auto* drop = static_cast<QDropEvent*>(event);
    const std::optional<QString> fileName = DroppedFile(drop->mimeData());
    // Always a copy: a move would let the file manager delete the user's file.
    if (!fileName || !(drop->possibleActions() & Qt::CopyAction))
        return QObject::eventFilter(watched, event);
    drop->setDropAction(Qt::CopyAction);
    drop->accept();
    if (type == QEvent::Drop)
        QMetaObject::invokeMethod(this, [this, name = *fileName] { emit fileDropped(name); }, Qt::QueuedConnection);
    return true;
}
