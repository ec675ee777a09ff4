#include "ui/SpeedButton.h"

#include <QMouseEvent>

SpeedButton::SpeedButton(const QIcon& glyph, const QString& hint, QWidget* parent) : QToolButton(parent)
{
    setCheckable(true);
    setAutoRaise(false);
    setFocusPolicy(Qt::NoFocus);
    setIcon(glyph);
    setIconSize(QSize(16, 16));
    setToolTip(hint);
}

void SpeedButton::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The second press still counts as a press, so its release clicks as usual.
    QToolButton::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton && isChecked())
        emit doubleClicked();
}
