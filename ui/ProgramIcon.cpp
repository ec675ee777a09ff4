#include "ui/ProgramIcon.h"

QIcon ProgramIcon()
{
    return QIcon();
}
