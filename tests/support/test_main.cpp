// The test programs' main: every log line is captured in memory so tests can read them back.
#include <gtest/gtest.h>

#include "krcr.h"

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    GLog.StartCapture();
    return RUN_ALL_TESTS();
}
