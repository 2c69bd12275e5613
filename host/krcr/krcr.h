// The engine's core library: memory, sorting, a few maths helpers and the value types.
#pragma once

#ifdef KRCR_BUILD
#define KRCR_API __declspec(dllexport)
#else
#define KRCR_API __declspec(dllimport)
#endif

// Memory. Every allocation of the engine and of its plug-ins comes from here, so that the live
// counters below tell whether anything leaked.
KRCR_API void* krMalloc(unsigned int size);
KRCR_API void krFree(void* block);
KRCR_API void* krMemset(void* dst, int value, int count);
KRCR_API void* krMemCopy(void* dst, void* src, int count);
KRCR_API int krMemComp(const void* a, const void* b, int count);

// Allocator diagnostics, read by tests and by the engine's exit summary.
KRCR_API int krLiveBlocks();
KRCR_API long long krLiveBytes();
KRCR_API long long krAllocationCount();
// Makes the n-th allocation from now on return null (n = 1 is the next one); 0 switches it off.
KRCR_API void krFailAllocationAfter(long long n);

KRCR_API void krQSort(void* base, int count, int size, int (*compare)(const void*, const void*));
KRCR_API bool krIsPowerOf2(unsigned int value);
KRCR_API double krTAN(double radians);
KRCR_API double krATAN(double value);
KRCR_API unsigned long krFloatToDWORD(float value);

// A crash of the process (an exception nobody handles) writes one line, "CRASH: exception CODE at
// ADDRESS in MODULE+OFFSET", to stderr and to the log, and ends the process at once with
// kKrCrashExitCode; no crash dialog, no debugger. Call it first thing in a program's main.
const int kKrCrashExitCode = 70;
KRCR_API void krInstallCrashReport();

#include "kr_types.h"
#include "kr_log.h"
