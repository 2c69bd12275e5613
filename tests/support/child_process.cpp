// Starting, waiting for and ending a test's child process.
#include "child_process.h"

#include <vector>

namespace krtest {

ChildProcess::~ChildProcess() {
    if (process_.hProcess != nullptr) {
        CloseHandle(process_.hThread);
        CloseHandle(process_.hProcess);
    }
    if (output_ != INVALID_HANDLE_VALUE) {
        CloseHandle(output_);
    }
}

bool ChildProcess::Start(const std::string& commandLine, const std::string& outputPath) {
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    output_ = CreateFileA(outputPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                          CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (output_ == INVALID_HANDLE_VALUE) {
        return false;
    }
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = output_;
    startup.hStdError = output_;
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    return CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                          &startup, &process_) != FALSE;
}

bool ChildProcess::Wait(DWORD milliseconds) {
    return WaitForSingleObject(process_.hProcess, milliseconds) != WAIT_TIMEOUT;
}

void ChildProcess::Terminate(UINT exitCode) {
    TerminateProcess(process_.hProcess, exitCode);
    WaitForSingleObject(process_.hProcess, 5000);
}

DWORD ChildProcess::ExitCode() const {
    DWORD code = 0;
    GetExitCodeProcess(process_.hProcess, &code);
    return code;
}

}  // namespace krtest
