// The counting allocator: every block carries a small header with its size, so that the live
// block and byte counters stay exact and a test can tell whether anything leaked.
#include "krcr.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

namespace {
struct alignas(16) BlockHeader {
    unsigned int size;
    unsigned int magic;
};
constexpr unsigned int kLiveMagic = 0x4B52414Cu;  // "KRAL"
constexpr unsigned int kFreedMagic = 0x4B524446u;

// Atomic because Direct3D and the test runner may allocate from other threads: a torn update would
// show up later as a leak that never happened.
std::atomic<int> g_liveBlocks(0);
std::atomic<long long> g_liveBytes(0);
std::atomic<long long> g_allocations(0);
std::atomic<long long> g_failCountdown(0);

// True for exactly the allocation that the countdown selects.
bool InjectedFailure() {
    long long left = g_failCountdown.load();
    while (left > 0) {
        if (g_failCountdown.compare_exchange_weak(left, left - 1)) {
            return left == 1;
        }
    }
    return false;
}
}  // namespace

KRCR_API void* krMalloc(unsigned int size) {
    if (InjectedFailure()) {
        return nullptr;
    }
    BlockHeader* header = static_cast<BlockHeader*>(std::malloc(sizeof(BlockHeader) + size));
    if (header == nullptr) {
        return nullptr;
    }
    header->size = size;
    header->magic = kLiveMagic;
    ++g_liveBlocks;
    g_liveBytes += size;
    ++g_allocations;
    return header + 1;
}

KRCR_API void krFree(void* block) {
    if (block == nullptr) {
        return;
    }
    BlockHeader* header = static_cast<BlockHeader*>(block) - 1;
    if (header->magic != kLiveMagic) {
        // A double free or a foreign block: refuse it loudly rather than corrupt the heap.
        GLog.printf("CRITICAL: krFree was passed a block it did not allocate");
        std::abort();
    }
    header->magic = kFreedMagic;
    --g_liveBlocks;
    g_liveBytes -= header->size;
    std::free(header);
}

KRCR_API void* krMemset(void* dst, int value, int count) {
    return count > 0 ? std::memset(dst, value, static_cast<size_t>(count)) : dst;
}

KRCR_API void* krMemCopy(void* dst, void* src, int count) {
    return count > 0 ? std::memmove(dst, src, static_cast<size_t>(count)) : dst;
}

KRCR_API int krMemComp(const void* a, const void* b, int count) {
    return count > 0 ? std::memcmp(a, b, static_cast<size_t>(count)) : 0;
}

KRCR_API int krLiveBlocks() {
    return g_liveBlocks;
}
KRCR_API long long krLiveBytes() {
    return g_liveBytes;
}
KRCR_API long long krAllocationCount() {
    return g_allocations;
}
KRCR_API void krFailAllocationAfter(long long n) {
    g_failCountdown = n > 0 ? n : 0;
}
