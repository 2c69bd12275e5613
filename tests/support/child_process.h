// A child process of a test, its standard output and error written to a file.
#pragma once

#include <windows.h>

#include <string>

namespace krtest {

class ChildProcess {
  public:
    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Starts `commandLine` (the program's path first) with its output going to `outputPath`, a
    // file made new; false when the file or the process cannot be made.
    bool Start(const std::string& commandLine, const std::string& outputPath);
    // Waits at most `milliseconds`; true when the process has ended.
    bool Wait(DWORD milliseconds);
    // Ends the process with `exitCode` and waits up to five seconds for it to go.
    void Terminate(UINT exitCode);
    DWORD ExitCode() const;

  private:
    HANDLE output_ = INVALID_HANDLE_VALUE;
    PROCESS_INFORMATION process_ = {};
};

}  // namespace krtest
