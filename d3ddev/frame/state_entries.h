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

// Where each render state and each stage state type stands in its cache (position + 1, 0 for not
// yet cached), so that a look-up costs the same however many states are cached. The caches keep
// their first-seen order; this only finds an entry without walking to it.
struct StateCachePositions {
    static const unsigned int kRenderStates = 256;  // every D3DRENDERSTATETYPE is below
    static const unsigned int kStageTypes = 64;     // every D3DTEXTURESTAGESTATETYPE is below
    int render[kRenderStates] = {};
    int stage[kStageTypes] = {};
    // Whether the entries of the six alpha render states hold SetAlpha's values, so that SetAlpha,
    // which every draw calls, can tell at once that it would send nothing. Every write to a
    // render-state entry clears it. It sits here, with the positions, because it describes the
    // cache's entries and so must be copied wherever they are.
    bool alphaStatesHeld = false;
};

// A stage value never forwarded through the cache.
const unsigned int kStageValueUnknown = 666;
