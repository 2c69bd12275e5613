// What every foundation test shares: a fixture that proves the group leaves no block of the core
// allocator behind, and a way to watch a fatal path end a child process and read what it logged.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "foundation.h"

class FoundationTest : public testing::Test {
  protected:
    void SetUp() override { startBlocks_ = krLiveBlocks(); }
    void TearDown() override { EXPECT_EQ(krLiveBlocks(), startBlocks_) << "blocks leaked"; }

  private:
    int startBlocks_ = 0;
};

namespace foundation_checks {
// Prepares the child of a death test: from here on, what the log receives is written to `path` at
// process exit as "O|line" (ordinary) or "D|line" (debug), one per line.
void RecordLogAtExit(const std::string& path);
// Reads back what the child recorded, or "" when it recorded nothing.
std::string RecordedLog(const std::string& path);
// A fresh file name in the working folder for one child's record.
std::string RecordPath();
}  // namespace foundation_checks

// Runs `statement` in a child process, expects it to end with exit code 1, and leaves in
// `recorded` the log lines the child wrote on the way out.
#define EXPECT_FATAL_LOG(statement, recorded)                          \
    do {                                                               \
        const std::string kr_record = foundation_checks::RecordPath(); \
        EXPECT_EXIT(                                                   \
            {                                                          \
                foundation_checks::RecordLogAtExit(kr_record);         \
                statement;                                             \
            },                                                         \
            testing::ExitedWithCode(1), "");                           \
        recorded = foundation_checks::RecordedLog(kr_record);          \
    } while (0)
