#include "foundation_checks.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include <windows.h>

namespace foundation_checks {
namespace {
std::string g_recordPath;

// Runs inside the exiting child, after the fatal line was logged.
void WriteRecord() {
    std::ofstream out(g_recordPath, std::ios::binary | std::ios::trunc);
    for (int i = 0; i < GLog.CapturedCount(); ++i) {
        out << (GLog.CapturedIsDebug(i) ? "D|" : "O|") << GLog.CapturedLine(i) << '\n';
    }
}
}  // namespace

void RecordLogAtExit(const std::string& path) {
    g_recordPath = path;
    GLog.ClearCaptured();
    GLog.StartCapture();
    std::atexit(WriteRecord);
}

std::string RecordedLog(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    in.close();
    std::remove(path.c_str());
    return text.str();
}

std::string RecordPath() {
    // Parent and child must arrive at the same name: the child re-runs the same test from its
    // start, so a count within the test matches, and the parent's process id reaches the child
    // through the inherited environment (it keeps concurrently running programs apart).
    static std::string test;
    static int serial = 0;
    const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
    std::string current = info != nullptr ? info->name() : "none";
    if (current != test) {
        test = current;
        serial = 0;
    }
    char parent[32] = {};
    if (GetEnvironmentVariableA("KR_FATAL_PARENT", parent, sizeof parent) == 0) {
        std::snprintf(parent, sizeof parent, "%lu", GetCurrentProcessId());
        SetEnvironmentVariableA("KR_FATAL_PARENT", parent);
    }
    return "fatal_" + std::string(parent) + "_" + test + "_" + std::to_string(++serial) + ".log";
}
}  // namespace foundation_checks
