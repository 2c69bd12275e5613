// The engine's log: one line per call, to a file and, for tests, to a memory sink.
#pragma once

#ifndef KRCR_API
#ifdef KRCR_BUILD
#define KRCR_API __declspec(dllexport)
#else
#define KRCR_API __declspec(dllimport)
#endif
#endif

class KRCR_API KrAnsiFile {
  public:
    KrAnsiFile();
    virtual ~KrAnsiFile();
    // Opens (truncating) or appends to a file; null closes the file. False when it cannot open.
    bool Open(const char* path, bool append = false);
    void Close();
    bool IsOpen() const { return file_ != nullptr; }
    const char* Path() const { return path_; }
    bool WriteLine(const char* text);
    bool printf(const char* format, ...) __attribute__((format(printf, 2, 3)));

  protected:
    bool Emit(const char* text, bool debug);
    bool EmitFormatted(bool debug, const char* format, __builtin_va_list args);

  private:
    void* file_;
    char* path_;
};

class KRCR_API KrLogFile : public KrAnsiFile {
  public:
    bool DebugWriteLine(const char* text);
    bool DebugPrintf(const char* format, ...) __attribute__((format(printf, 2, 3)));

    // Memory sink: while capturing, every line is also kept in memory with its kind. The sink's
    // own storage does not come from krMalloc, so it never shows in the live counters.
    void StartCapture();
    void StopCapture();
    void ClearCaptured();
    int CapturedCount() const;
    const char* CapturedLine(int index) const;
    bool CapturedIsDebug(int index) const;
    // Total lines written since start, captured or not (for growth checks).
    long long LinesWritten() const;
    // Time spent formatting lines and putting them into the file since start, for the
    // benchmark's account of where a start's time goes.
    double SecondsWriting() const;
};

extern KRCR_API KrLogFile GLog;
