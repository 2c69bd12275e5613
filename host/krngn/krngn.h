// The engine library: the engine singleton, its configuration, window, application, camera,
// lights and sprites, and the base classes that a rendering device plug-in derives.
#pragma once

#include <windows.h>

#include "krcr.h"
#include "foundation.h"

#ifdef KRNGN_BUILD
#define KRNGN_API __declspec(dllexport)
#else
#define KRNGN_API __declspec(dllimport)
#endif

// Objects that cross between the engine and a plug-in are allocated from the core library, so
// that whichever side creates one, the other may delete it. The allocation does not throw: a
// new-expression yields null when the memory is not there.
#define KR_HEAP_OBJECT                                    \
    static void* operator new(size_t size) noexcept {     \
        return krMalloc(static_cast<unsigned int>(size)); \
    }                                                     \
    static void operator delete(void* block) {            \
        if (block != nullptr)                             \
            krFree(block);                                \
    }                                                     \
    static void* operator new(size_t, void* place) {      \
        return place;                                     \
    }                                                     \
    static void operator delete(void*, void*) {}

#include "kr_enums.h"
#include "kr_resource_base.h"
#include "kr_effect_base.h"
#include "kr_engine.h"
#include "kr_render_base.h"
