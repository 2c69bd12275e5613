// A program of the engine that faults ends at once, with one line naming the exception and the
// module, and the crash report's exit code: it never waits on a crash dialog or a debugger.
#include <gtest/gtest.h>

#include <string>

#include "child_process.h"
#include "kr_test_support.h"
#include "krcr.h"

// Run only as the child of the test below.
TEST(CrashReport, DISABLED_Fault) {
    volatile int* nowhere = nullptr;
    *nowhere = 1;
}

TEST(CrashReport, AFaultEndsTheProcessWithOneLine) {
    char self[MAX_PATH];
    ASSERT_NE(0u, GetModuleFileNameA(nullptr, self, MAX_PATH));
    krtest::ChildProcess child;
    ASSERT_TRUE(child.Start(std::string("\"") + self +
                                "\" --gtest_filter=CrashReport.DISABLED_Fault"
                                " --gtest_also_run_disabled_tests",
                            "crash_child.txt"));
    ASSERT_TRUE(child.Wait(20000)) << "the crashed process is still waiting";
    EXPECT_EQ(static_cast<DWORD>(kKrCrashExitCode), child.ExitCode());
    const std::string output = krtest::ReadFile("crash_child.txt");
    EXPECT_NE(std::string::npos, output.find("CRASH: exception 0xC0000005 at ")) << output;
    EXPECT_NE(std::string::npos, output.find("in test_crash")) << output;
}
