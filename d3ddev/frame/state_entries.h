// Records of the render-state and texture-stage caches.
#pragma once

#include <d3d9.h>

struct RenderStateEntry {
    unsigned int state;
    unsigned int value;
};

// One entry per state type, shared by the two cached stages.
struct TextureStageEntry {
    unsigned int stage0;
    unsigned int stage1;
    unsigned int type;
};

// A stage value never forwarded through the cache.
const unsigned int kStageValueUnknown = 666;
