// Shared by the bad-input tests: a seeded generator (the same cases on every machine and every
// run), a scratch folder for the files the cases write, and the tally each test prints.
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <map>
#include <string>

namespace badinput {

// The case under way, named in the report of a crash.
inline std::string& CurrentCase() {
    static std::string name;
    return name;
}

// A crash anywhere in a case ends the program at once with the case's name, instead of waiting
// for a debugger that never comes.
inline LONG WINAPI ReportCrash(EXCEPTION_POINTERS* exception) {
    std::fprintf(stderr, "crash 0x%08lx at %p in the case: %s\n",
                 exception->ExceptionRecord->ExceptionCode,
                 exception->ExceptionRecord->ExceptionAddress, CurrentCase().c_str());
    std::fflush(stderr);
    TerminateProcess(GetCurrentProcess(), 3);
    return EXCEPTION_EXECUTE_HANDLER;
}
inline void ReportCrashes() {
    SetUnhandledExceptionFilter(ReportCrash);
}

// SplitMix64: small, fast, and the same sequence everywhere (the standard distributions are not).
class Seeded {
  public:
    explicit Seeded(uint64_t seed) : state_(seed) {}
    uint64_t Next() {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // 0 .. n-1; 0 when n is 0.
    size_t Below(size_t n) { return n == 0 ? 0 : static_cast<size_t>(Next() % n); }
    bool OneIn(size_t n) { return Below(n) == 0; }
    unsigned char Byte() { return static_cast<unsigned char>(Next() & 0xFF); }
    template <class T, size_t N>
    const T& Pick(const T (&items)[N]) {
        return items[Below(N)];
    }

  private:
    uint64_t state_;
};

// A folder of its own below the system's temporary folder, removed with everything in it.
class ScratchFolder {
  public:
    explicit ScratchFolder(const char* tag) {
        char temp[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, temp);
        path_ = temp;
        if (!path_.empty() && path_.back() == '\\') {
            path_.pop_back();
        }
        path_ += "\\kr_" + std::string(tag) + "_" + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(path_.c_str(), nullptr);
    }
    ~ScratchFolder() {
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((path_ + "\\*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                DeleteFileA((path_ + "\\" + found.cFileName).c_str());
            } while (FindNextFileA(search, &found));
            FindClose(search);
        }
        RemoveDirectoryA(path_.c_str());
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "\\" + name; }

  private:
    std::string path_;
};

// How many cases of each kind ran, and how each ended.
class Tally {
  public:
    void Count(const std::string& kind, const std::string& outcome) {
        ++counts_[kind][outcome];
        ++total_;
    }
    int Total() const { return total_; }
    int Of(const std::string& kind) const {
        auto found = counts_.find(kind);
        int sum = 0;
        if (found != counts_.end()) {
            for (const auto& outcome : found->second) {
                sum += outcome.second;
            }
        }
        return sum;
    }
    void Print(const char* what) const {
        std::printf("[ %s ] %i cases\n", what, total_);
        for (const auto& kind : counts_) {
            std::printf("    %-28s %5i:", kind.first.c_str(), Of(kind.first));
            for (const auto& outcome : kind.second) {
                std::printf("  %s %i", outcome.first.c_str(), outcome.second);
            }
            std::printf("\n");
        }
        std::fflush(stdout);
    }

  private:
    std::map<std::string, std::map<std::string, int>> counts_;
    int total_ = 0;
};

}  // namespace badinput
