#include <gtest/gtest.h>

#include "ui/Application.h"

// The widgets need one application object for the whole run; the tests drive them
// under the offscreen platform unless a display is asked for explicitly.
int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    Application app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
