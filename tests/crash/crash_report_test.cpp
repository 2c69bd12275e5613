// A program of the engine that faults ends at once, with one line naming the exception and the
// place of the fault as module and offset, and the crash report's exit code: it never waits on a
// crash dialog or a debugger.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "child_process.h"
#include "kr_test_support.h"
#include "krcr.h"

namespace {

// The pointer is read from a volatile, so the compiler cannot tell it is null and drop the store.
__attribute__((noinline)) void WriteThroughNull() {
    volatile int* volatile nowhere = nullptr;
    *nowhere = 1;
}

}  // namespace

// Run only as children of the test below: a fault in the program itself, and one in the core
// library (a block krFree never handed out, whose header lies at address 0).
TEST(CrashReport, DISABLED_FaultInTheProgram) {
    WriteThroughNull();
}

TEST(CrashReport, DISABLED_FaultInTheCoreLibrary) {
    krFree(reinterpret_cast<void*>(16));
}

TEST(CrashReport, AFaultEndsTheProcessWithOneLineNamingItsPlace) {
    char self[MAX_PATH];
    ASSERT_NE(0u, GetModuleFileNameA(nullptr, self, MAX_PATH));
    // A function's offset in its module is the same in the child, wherever the module lies there.
    const struct {
        const char* test;
        const char* module;
        const void* function;
    } faults[] = {{"FaultInTheProgram", std::strrchr(self, '\\') + 1,
                   reinterpret_cast<const void*>(&WriteThroughNull)},
                  {"FaultInTheCoreLibrary", "krcr.dll", reinterpret_cast<const void*>(&krFree)}};
    for (const auto& f : faults) {
        krtest::ChildProcess child;
        const std::string file = std::string("crash_") + f.test + ".txt";
        ASSERT_TRUE(child.Start(std::string("\"") + self +
                                    "\" --gtest_filter=CrashReport.DISABLED_" + f.test +
                                    " --gtest_also_run_disabled_tests",
                                file));
        ASSERT_TRUE(child.Wait(20000)) << "the crashed process is still waiting";
        EXPECT_EQ(static_cast<DWORD>(kKrCrashExitCode), child.ExitCode()) << f.test;
        const std::string output = krtest::ReadFile(file);
        EXPECT_NE(std::string::npos, output.find("CRASH: exception 0xC0000005 at ")) << output;
        const std::string place = std::string(" in ") + f.module + "+0x";
        const size_t at = output.find(place);
        ASSERT_NE(std::string::npos, at) << output;
        const uintptr_t offset = std::stoull(output.substr(at + place.size()), nullptr, 16);
        const uintptr_t start = reinterpret_cast<uintptr_t>(f.function) -
                                reinterpret_cast<uintptr_t>(GetModuleHandleA(f.module));
        // The faulting instruction is among the function's first few.
        EXPECT_TRUE(offset >= start && offset < start + 48)
            << output << "function at +0x" << std::hex << start;
    }
}
