#include "ui/ProgramIcon.h"

#include <array>

// The icon resources live in a static library; without a reference from code the linker
// would drop their registration and the icon would come out empty.
static void registerIconResources()
{
    Q_INIT_RESOURCE(icons);
}

QIcon ProgramIcon()
{
    static const bool registered = (registerIconResources(), true);
    (void)registered;
    // Every rendered size is added so that title bars, task bars and menus each get a
    // sharp picture instead of a scaled one.
    static constexpr std::array sizes{16, 32, 48, 64, 128, 256};
    QIcon icon;
    for (int size : sizes)
        icon.addFile(QStringLiteral(":/icons/relief-foundry-%1.png").arg(size), QSize(size, size));
    return icon;
}
