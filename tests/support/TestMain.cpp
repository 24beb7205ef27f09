// Test entry: every test binary runs on Qt's offscreen platform with the
// layer started, so system windows can be created without a display.
#include <gtest/gtest.h>

#include <cstdlib>

#include "core/Platform.h"

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    testing::InitGoogleTest(&argc, argv);
    winapi::initialize(argc, argv);
    return RUN_ALL_TESTS();
}
