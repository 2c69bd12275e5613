// Process launching for the krview tests.
#include "krview_run.h"

#include <windows.h>

#include <cstdio>

#include "child_process.h"
#include "kr_test_support.h"

namespace krviewtest {

std::string ProgramFolder() {
    char path[MAX_PATH] = {};
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string text(path, length);
    return text.substr(0, text.find_last_of("\\/"));
}

std::string Fresh(const std::string& name) {
    std::remove(name.c_str());
    return name;
}

Run RunKrview(const std::string& arguments, int timeoutSeconds, const std::string& program) {
    Run run;
    // A new file per run: Wine may still hold the previous one while the finished process is
    // being torn down, and then it can be neither removed nor truncated.
    static int runs = 0;
    std::string outputPath = Fresh("krview_test_output_" + std::to_string(GetCurrentProcessId()) +
                                   "_" + std::to_string(++runs) + ".txt");
    std::string path = program.empty() ? ProgramFolder() + "\\krview.exe" : program;
    {
        krtest::ChildProcess child;
        if (!child.Start("\"" + path + "\" " + arguments, outputPath)) {
            return run;
        }
        if (!child.Wait(static_cast<DWORD>(timeoutSeconds) * 1000)) {
            child.Terminate(99);
        }
        run.exitCode = static_cast<int>(child.ExitCode());
    }
    run.output = krtest::ReadFile(outputPath);
    return run;
}

}  // namespace krviewtest
