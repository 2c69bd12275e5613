// The test programs' main: every log line is captured in memory so tests can read them back, and
// a crash ends the program at once with its report instead of waiting on a crash dialog.
#include <gtest/gtest.h>

#include "krcr.h"

int main(int argc, char** argv) {
    krInstallCrashReport();
    testing::InitGoogleTest(&argc, argv);
    GLog.StartCapture();
    return RUN_ALL_TESTS();
}
