// The engine log. Each call writes one whole line; the memory sink lets tests read the lines back
// verbatim and tell ordinary lines from debug lines.
#include "krcr.h"

#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

KRCR_API KrLogFile GLog;

namespace {
struct CapturedLine {
    std::string text;
    bool debug;
};
bool g_capturing = false;
std::vector<CapturedLine>& Captured() {
    static std::vector<CapturedLine> lines;
    return lines;
}
long long g_linesWritten = 0;
double g_secondsWriting = 0.0;

// Adds the time of the outermost logging call alive to the log's total, formatting included.
class WritingClock {
  public:
    WritingClock()
        : outermost_(depth_++ == 0),
          start_(outermost_ ? std::chrono::steady_clock::now()
                            : std::chrono::steady_clock::time_point()) {}
    ~WritingClock() {
        --depth_;
        if (outermost_) {
            g_secondsWriting +=
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
        }
    }
    WritingClock(const WritingClock&) = delete;
    WritingClock& operator=(const WritingClock&) = delete;

  private:
    static int depth_;
    bool outermost_;
    std::chrono::steady_clock::time_point start_;
};
int WritingClock::depth_ = 0;
}  // namespace

KrAnsiFile::KrAnsiFile() : file_(nullptr), path_(nullptr) {}

KrAnsiFile::~KrAnsiFile() {
    Close();
}

bool KrAnsiFile::Open(const char* path, bool append) {
    Close();
    if (path == nullptr || *path == '\0') {
        return true;
    }
    FILE* f = std::fopen(path, append ? "ab" : "wb");
    if (f == nullptr) {
        return false;
    }
    file_ = f;
    path_ = static_cast<char*>(std::malloc(std::strlen(path) + 1));
    if (path_ != nullptr) {
        std::strcpy(path_, path);
    }
    return true;
}

void KrAnsiFile::Close() {
    if (file_ != nullptr) {
        std::fclose(static_cast<FILE*>(file_));
        file_ = nullptr;
    }
    std::free(path_);
    path_ = nullptr;
}

bool KrAnsiFile::Emit(const char* text, bool debug) {
    WritingClock clock;
    if (text == nullptr) {
        text = "";
    }
    ++g_linesWritten;
    if (g_capturing) {
        Captured().push_back(CapturedLine{text, debug});
    }
    if (file_ == nullptr) {
        return true;
    }
    FILE* f = static_cast<FILE*>(file_);
    // Flushed per line: the log must survive a crash of the engine.
    bool ok = std::fputs(text, f) >= 0 && std::fputc('\n', f) != EOF;
    std::fflush(f);
    return ok;
}

bool KrAnsiFile::EmitFormatted(bool debug, const char* format, __builtin_va_list args) {
    WritingClock clock;
    if (format == nullptr) {
        return Emit("", debug);
    }
    char small[512];
    va_list copy;
    va_copy(copy, args);
    int needed = std::vsnprintf(small, sizeof small, format, copy);
    va_end(copy);
    if (needed < 0) {
        return Emit(format, debug);
    }
    if (static_cast<size_t>(needed) < sizeof small) {
        return Emit(small, debug);
    }
    std::string big(static_cast<size_t>(needed) + 1, '\0');
    std::vsnprintf(&big[0], big.size(), format, args);
    big.resize(static_cast<size_t>(needed));
    return Emit(big.c_str(), debug);
}

bool KrAnsiFile::WriteLine(const char* text) {
    return Emit(text, false);
}

bool KrAnsiFile::printf(const char* format, ...) {
    va_list args;
    va_start(args, format);
    bool ok = EmitFormatted(false, format, args);
    va_end(args);
    return ok;
}

bool KrLogFile::DebugWriteLine(const char* text) {
    return Emit(text, true);
}

bool KrLogFile::DebugPrintf(const char* format, ...) {
    va_list args;
    va_start(args, format);
    bool ok = EmitFormatted(true, format, args);
    va_end(args);
    return ok;
}

void KrLogFile::StartCapture() {
    g_capturing = true;
}
void KrLogFile::StopCapture() {
    g_capturing = false;
}
void KrLogFile::ClearCaptured() {
    Captured().clear();
}
int KrLogFile::CapturedCount() const {
    return static_cast<int>(Captured().size());
}

const char* KrLogFile::CapturedLine(int index) const {
    if (index < 0 || index >= CapturedCount()) {
        return nullptr;
    }
    return Captured()[static_cast<size_t>(index)].text.c_str();
}

bool KrLogFile::CapturedIsDebug(int index) const {
    return index >= 0 && index < CapturedCount() && Captured()[static_cast<size_t>(index)].debug;
}

long long KrLogFile::LinesWritten() const {
    return g_linesWritten;
}

double KrLogFile::SecondsWriting() const {
    return g_secondsWriting;
}
