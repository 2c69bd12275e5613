// All memory of the plug-in comes from the engine's core allocator, so that the engine sees every
// block the device holds and can tell when one was not returned.
#include <cstddef>
#include <new>

#include "krcr.h"

void* operator new(std::size_t size) {
    return krMalloc(static_cast<unsigned int>(size));
}
void* operator new[](std::size_t size) {
    return krMalloc(static_cast<unsigned int>(size));
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return krMalloc(static_cast<unsigned int>(size));
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return krMalloc(static_cast<unsigned int>(size));
}
void operator delete(void* block) noexcept {
    if (block != nullptr) {
        krFree(block);
    }
}
void operator delete[](void* block) noexcept {
    if (block != nullptr) {
        krFree(block);
    }
}
void operator delete(void* block, std::size_t) noexcept {
    if (block != nullptr) {
        krFree(block);
    }
}
void operator delete[](void* block, std::size_t) noexcept {
    if (block != nullptr) {
        krFree(block);
    }
}
