// The crash report: a process of the engine that faults says so in one line and ends at once with
// its own exit code. Without it, Windows (and Wine) would start a crash dialog or a debugger and
// the process would wait for somebody to close it, which on a headless test machine is never.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "krcr.h"

namespace {

// The file name of the module that holds `address`, or "?" when no module does.
void ModuleOf(const void* address, char* name, DWORD size, const char** shortName,
              unsigned long long* offset) {
    HMODULE module = nullptr;
    *shortName = "?";
    *offset = reinterpret_cast<unsigned long long>(address);
    if (!GetModuleHandleExA(
            GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
            static_cast<const char*>(address), &module) ||
        GetModuleFileNameA(module, name, size) == 0) {
        return;
    }
    const char* slash = std::strrchr(name, '\\');
    *shortName = slash != nullptr ? slash + 1 : name;
    *offset -= reinterpret_cast<unsigned long long>(module);
}

LONG WINAPI ReportCrash(EXCEPTION_POINTERS* exception) {
    const EXCEPTION_RECORD* record = exception->ExceptionRecord;
    char path[MAX_PATH] = "";
    const char* module = "?";
    unsigned long long offset = 0;
    ModuleOf(record->ExceptionAddress, path, sizeof(path), &module, &offset);
    char line[512];
    std::snprintf(line, sizeof(line), "CRASH: exception 0x%08lX at %p in %s+0x%llX",
                  static_cast<unsigned long>(record->ExceptionCode), record->ExceptionAddress,
                  module, offset);
    std::fprintf(stderr, "%s\n", line);
    std::fflush(stderr);
    GLog.WriteLine(line);
    // TerminateProcess, not exit(): after a fault nothing else of the process may be trusted to
    // run.
    TerminateProcess(GetCurrentProcess(), kKrCrashExitCode);
    return EXCEPTION_EXECUTE_HANDLER;
}

}  // namespace

void krInstallCrashReport() {
    // No "the program stopped working" box and no wait for a debugger: the filter answers first.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    SetUnhandledExceptionFilter(ReportCrash);
}
