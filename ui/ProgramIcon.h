#pragma once
#include <QIcon>

// The program's own icon, shown in both windows' title bars.
QIcon ProgramIcon();
