// Sorting and the small maths helpers of the core library.
#include "krcr.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

KRCR_API void krQSort(void* base, int count, int size, int (*compare)(const void*, const void*)) {
    if (base == nullptr || count < 2 || size <= 0) {
        return;
    }
    std::qsort(base, static_cast<size_t>(count), static_cast<size_t>(size), compare);
}

KRCR_API bool krIsPowerOf2(unsigned int value) {
    return value != 0 && (value & (value - 1)) == 0;
}

KRCR_API double krTAN(double radians) {
    return std::tan(radians);
}

KRCR_API double krATAN(double value) {
    return std::atan(value);
}

KRCR_API unsigned long krFloatToDWORD(float value) {
    unsigned int bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}
