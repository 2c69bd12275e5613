// The foundation's one way out: running out of memory (or a fixed array indexed out of range) is
// fatal for the engine. The line is logged first so that the cause is on record.
#pragma once

#include <cstdlib>

#include "krcr.h"

namespace kr_foundation {
[[noreturn]] inline void EndProcess() {
    std::exit(1);
}

// Bytes for n elements of a type of the given size, or 0 when that does not fit an allocation.
inline unsigned int BlockBytes(long long n, unsigned long long elementSize) {
    unsigned long long bytes = static_cast<unsigned long long>(n) * elementSize;
    if (n <= 0 || bytes > 0xFFFFFFF0ull) {
        return 0;
    }
    return static_cast<unsigned int>(bytes);
}
}  // namespace kr_foundation
