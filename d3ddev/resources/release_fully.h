// Releasing a Direct3D resource for good: the engine hands out plain copies of the interface
// pointers without references, so whoever frees a resource drops every reference there is.
#pragma once

#include "bind_filter.h"

template <class Interface>
void ReleaseFully(Interface*& object) {
    if (object == nullptr) {
        return;
    }
    while (object->Release() != 0) {
    }
    object = nullptr;
    // Another object may now be made at the same address: no bind filter may take it for this one.
    KrBindFilter::ResourceReleased();
}
