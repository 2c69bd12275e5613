// Allocations of a device life made to fail, one a life, in child processes of this program: an
// allocation the arrays or the list cannot do without ends the process with their line and exit
// code 1; any other leaves a null or false result and a life that ends cleanly (the harness's stop
// checks it). The suite fails the first two allocations of each part of the life (of the frames,
// only the first of each scene) and every 80th; KR_SWEEP=1 fails each.
#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

#include "child_process.h"
#include "life.h"

namespace {

const int kFrames = 3;

std::string Argument(const char* name) {
    const std::string line = GetCommandLineA(), key = std::string(" --") + name + "=";
    const size_t at = line.find(key), start = at + key.size();
    return at == std::string::npos ? "" : line.substr(start, line.find(' ', start) - start);
}

std::string LastLine(const std::string& text) {
    const size_t end = text.find_last_not_of("\r\n"), start = text.rfind('\n', end) + 1;
    return end == std::string::npos ? "" : text.substr(start, end + 1 - start);
}

}  // namespace

// The child: one life for each allocation of the plan from the `from`-th on, each named in the
// report before it begins and its verdict written after it ends, so that a life failing its
// checks is known even when a later one ends the process.
TEST(AllocationFaults, DISABLED_Child) {
    const testing::TestResult& result =
        *testing::UnitTest::GetInstance()->current_test_info()->result();
    FILE* report = std::fopen("allocation_report.txt", "w");
    GLog.Open("allocation_log.txt");
    faults::Live(nullptr, 1);  // the first frame of a process builds an effector once
    std::istringstream plan(Argument("plan"));
    long long n = 0;
    for (int i = 0; plan >> n; plan.ignore(), ++i) {
        if (i >= std::atoi(Argument("from").c_str())) {
            std::fprintf(report, "%i", i);
            std::fflush(report);
            const int failures = result.total_part_count();
            faults::Live(nullptr, kFrames, nullptr, [n] { krFailAllocationAfter(n); });
            // Flushed with the next life's number, before that life can end the process.
            std::fprintf(report, result.total_part_count() > failures ? " failed\n" : "\n");
        }
    }
    std::fprintf(report, "end\n");
    std::fclose(report);
    GLog.Close();
}

TEST(AllocationFaults, EachFailedAllocationEndsTheProcessWithItsLineOrInACleanLife) {
    faults::Live(nullptr, 1);
    const faults::Life reference = faults::Live(nullptr, kFrames);
    const auto& parts = reference.parts;
    const long long total = krAllocationCount() - parts[0].allocation;
    std::vector<long long> plan;
    std::string planText;
    for (size_t p = 0; p < parts.size(); ++p) {
        const long long first = parts[p].allocation - parts[0].allocation + 1;
        const long long end =
            p + 1 < parts.size() ? parts[p + 1].allocation - parts[0].allocation : total;
        const bool settled =
            parts[p].name.compare(0, 5, "frame") == 0 && parts[p].name.back() != '0';
        for (long long n = first; n <= end; ++n) {
            if (std::getenv("KR_SWEEP") != nullptr || n % 80 == 0 || (!settled && n < first + 2)) {
                plan.push_back(n);
                planText += std::to_string(n) + ",";
            }
        }
    }
    char program[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, program, MAX_PATH);
    int children = 0, ended = 0;
    for (size_t from = 0; from < plan.size(); ++children) {
        krtest::ChildProcess child;
        ASSERT_TRUE(child.Start(
            std::string("\"") + program +
                "\" --gtest_also_run_disabled_tests --gtest_filter=*Child --plan=" + planText +
                " --from=" + std::to_string(from),
            "allocation_child.txt"));
        const bool done = child.Wait(1800000) || (child.Terminate(0xDEAD), false);
        const std::string output = krtest::ReadFile("allocation_child.txt");
        const std::string lives = krtest::ReadFile("allocation_report.txt"), last = LastLine(lives);
        EXPECT_EQ(std::string::npos, lives.find("failed")) << "lives of the plan, from 0:\n"
                                                           << lives << output;
        ASSERT_TRUE(done && !last.empty()) << "the child hangs or ends at once\n" << output;
        if (last == "end") {
            EXPECT_EQ(0u, child.ExitCode()) << output;
            break;
        }
        // The life named last ended the process: only the arrays and the list may, with their line.
        const std::string line = LastLine(krtest::ReadFile("allocation_log.txt"));
        from = std::strtoul(last.c_str(), nullptr, 10) + 1;
        SCOPED_TRACE("allocation " + std::to_string(plan[from - 1]) + " of the life failed");
        EXPECT_EQ(1u, child.ExitCode()) << output;
        EXPECT_TRUE(line.find("Failed to allocate") != std::string::npos &&
                    (line.find("Array") != std::string::npos ||
                     line.find("linked list") != std::string::npos))
            << "the process ended after \"" << line << "\"";
        ++ended;
    }
    std::printf(
        "allocation fault sweep: %zu lives failing one of the %lld allocations of a life, "
        "%d ended by the arrays or the list; %d child processes\n",
        plan.size(), total, ended, children);
}
