// Running krview.exe from a test: its exit code and everything it printed.
#pragma once

#include <string>

namespace krviewtest {

struct Run {
    int exitCode = -1;
    std::string output;  // standard output and standard error together
};

// The folder of the test program, where the build puts krview.exe and its DLLs.
std::string ProgramFolder();

// Starts `program` (krview.exe beside the test program when empty) with `arguments` and waits.
Run RunKrview(const std::string& arguments, int timeoutSeconds = 120,
              const std::string& program = "");

// A file name for this test's outputs in the current folder; any old file of that name is gone.
std::string Fresh(const std::string& name);

}  // namespace krviewtest
