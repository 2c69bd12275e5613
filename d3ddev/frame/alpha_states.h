// The alpha blending and alpha testing set-up: SetAlpha sends it through the state cache, and the
// full-screen toggle sends it straight to a freshly reset device (whose defaults the cache does
// not know about).
#pragma once

#include <d3d9.h>

#include "state_entries.h"

const int kAlphaRenderStateCount = 6;
extern const RenderStateEntry kAlphaRenderStates[kAlphaRenderStateCount];

// Stage alpha: texture alpha modulated by the vertex colour, on each of the two cached stages.
struct TextureStageSetting {
    D3DTEXTURESTAGESTATETYPE type;
    unsigned long value;
};
const int kAlphaStageStateCount = 3;
extern const TextureStageSetting kAlphaStageStates[kAlphaStageStateCount];
const int kCachedStageCount = 2;
