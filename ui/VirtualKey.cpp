#include "ui/VirtualKey.h"

int VirtualKeyCode(int qtKey, Qt::KeyboardModifiers modifiers)
{
    // The keys the window's key handler acts on. Plus and minus count only on the keypad.
    if (modifiers & Qt::KeypadModifier) {
        if (qtKey == Qt::Key_Plus)
            return 107;
        if (qtKey == Qt::Key_Minus)
            return 109;
    }
    if (qtKey == Qt::Key_Slash || qtKey == Qt::Key_Question)
        return 191;
    // Enter with Shift, Ctrl or Alt reaches the handler too (see KeyRouter), and so do the
    // modifier keys pressed on their own.
    switch (qtKey) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return 13;
    case Qt::Key_Shift:
        return 16;
    case Qt::Key_Control:
        return 17;
    case Qt::Key_Alt:
        return 18;
    default:
        break;
    }
    // Letters, digits and function keys keep their numbers, which cost no table: Qt uses
    // the ASCII codes of capitals and digits, as Windows does.
    if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9))
        return qtKey;
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
        return 112 + (qtKey - Qt::Key_F1);
    return 0;
}
