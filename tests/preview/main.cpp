#include <gtest/gtest.h>

#include "ui/Application.h"

// The preview draws with OpenGL in real windows: these tests run on an X display (ctest
// starts a virtual one with Mesa's software renderer), never on the offscreen platform.
int main(int argc, char** argv)
{
    Application app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
