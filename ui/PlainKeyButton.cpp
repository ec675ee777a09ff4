#include "ui/PlainKeyButton.h"

#include <QKeyEvent>

namespace {

bool IsModifiedClickKey(const QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
    case Qt::Key_Select:
        return event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    default:
        return false;
    }
}

}  // namespace

void PlainKeyButton::keyPressEvent(QKeyEvent* event)
{
    if (IsModifiedClickKey(event)) {
        event->ignore();
        return;
    }
    QPushButton::keyPressEvent(event);
}

// A Space pressed on its own and released with a modifier held still clicks, as the
// press already put the button down.
void PlainKeyButton::keyReleaseEvent(QKeyEvent* event)
{
    if (IsModifiedClickKey(event) && !isDown()) {
        event->ignore();
        return;
    }
    QPushButton::keyReleaseEvent(event);
}
