#include "ui/NumberBox.h"

NumberBox::NumberBox(const QString& text, bool selectAllOnFocus, QWidget* parent)
    : QLineEdit(text, parent), selectAllOnFocus_(selectAllOnFocus)
{
    setReadOnly(true);
}

void NumberBox::focusInEvent(QFocusEvent* event)
{
    QLineEdit::focusInEvent(event);
    if (selectAllOnFocus_)
        selectAll();
    else
        deselect();
}
