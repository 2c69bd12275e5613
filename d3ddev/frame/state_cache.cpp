// The render-state and texture-stage caches: a state goes to Direct3D only when its value differs
// from the last one sent through here. The caches remember what was sent, not what the device
// holds, so they survive resets unchanged.
#include "alpha_states.h"
#include "d3d_ren_dev.h"

const RenderStateEntry kAlphaRenderStates[kAlphaRenderStateCount] = {
    {D3DRS_ALPHABLENDENABLE, TRUE},
    {D3DRS_SRCBLEND, D3DBLEND_SRCALPHA},
    {D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA},
    {D3DRS_ALPHATESTENABLE, TRUE},
    {D3DRS_ALPHAREF, 1},
    {D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL},
};

const TextureStageSetting kAlphaStageStates[kAlphaStageStateCount] = {
    {D3DTSS_ALPHAOP, D3DTOP_MODULATE},
    {D3DTSS_ALPHAARG1, D3DTA_DIFFUSE},
    {D3DTSS_ALPHAARG2, D3DTA_TEXTURE},
};

// The marker is part of the cache's behaviour, not just a placeholder: a request for 666 on a
// slot never sent is taken as already set, so the value must not drift.
static_assert(kStageValueUnknown == 0x29A, "666 in a stage slot means not known");

namespace {
const DWORD kMipLodBiasMinusOne = 0xBF800000;  // the bits of -1.0f: a sharper mip choice
const DWORD kCachedSamplers = 2;
}  // namespace

namespace {
// The position of `key`'s entry in `cache`, or -1: from the position table, or for a key beyond
// it (no Direct3D state is) by walking the cache, re-reading its count at every step.
template <typename Entry, typename KeyOf>
int PositionOf(const TDArray<Entry>& cache, const int* positions, unsigned int limit,
               unsigned int key, KeyOf keyOf) {
    if (key < limit) {
        return positions[key] - 1;
    }
    for (int i = 0; i < cache.Count(); ++i) {
        if (keyOf(cache[i]) == key) {
            return i;
        }
    }
    return -1;
}
}  // namespace

void KrD3DRenDev::SetRenderState(D3DRENDERSTATETYPE state, unsigned long value) {
    if (device == nullptr) {
        return;  // nothing sent, so nothing to remember
    }
    const unsigned int key = static_cast<unsigned int>(state);
    const int at = PositionOf(stateCache, statePositions.render, StateCachePositions::kRenderStates,
                              key, [](const RenderStateEntry& entry) { return entry.state; });
    if (at >= 0) {
        RenderStateEntry& entry = stateCache[at];
        if (entry.value == value) {
            return;
        }
        device->SetRenderState(state, value);
        entry.value = static_cast<unsigned int>(value);
        statePositions.alphaStatesHeld = false;
        return;
    }
    statePositions.alphaStatesHeld = false;
    RenderStateEntry entry = {key, static_cast<unsigned int>(value)};
    stateCache.Add(entry);
    if (key < StateCachePositions::kRenderStates) {
        statePositions.render[key] = stateCache.Count();
    }
    device->SetRenderState(state, value);
}

void KrD3DRenDev::SetTextureStageState(int stage, D3DTEXTURESTAGESTATETYPE type,
                                       unsigned long value) {
    if (device == nullptr) {
        return;
    }
    // An entry holds stages 0 and 1 only; a higher stage (a pass index above 1) goes straight to
    // the device every time rather than being written outside its entry.
    if (stage < 0 || stage >= kCachedStageCount) {
        device->SetTextureStageState(static_cast<DWORD>(stage), type, value);
        return;
    }
    const unsigned int key = static_cast<unsigned int>(type);
    const int at = PositionOf(stageCache, statePositions.stage, StateCachePositions::kStageTypes,
                              key, [](const TextureStageEntry& entry) { return entry.type; });
    if (at >= 0) {
        TextureStageEntry& entry = stageCache[at];
        unsigned int& cached = stage == 0 ? entry.stage0 : entry.stage1;
        if (cached == value) {
            return;
        }
        device->SetTextureStageState(static_cast<DWORD>(stage), type, value);
        cached = static_cast<unsigned int>(value);
        return;
    }
    TextureStageEntry entry = {kStageValueUnknown, kStageValueUnknown, key};
    (stage == 0 ? entry.stage0 : entry.stage1) = static_cast<unsigned int>(value);
    stageCache.Add(entry);
    if (key < StateCachePositions::kStageTypes) {
        statePositions.stage[key] = stageCache.Count();
    }
    device->SetTextureStageState(static_cast<DWORD>(stage), type, value);
}

bool KrD3DRenDev::SetRenderStates() {
    if (device == nullptr) {
        return true;
    }
    SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    SetRenderState(D3DRS_LIGHTING, FALSE);
    if (UsingZBuffer()) {
        SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
    }
    if (UsingWBuffer()) {
        SetRenderState(D3DRS_ZENABLE, D3DZB_USEW);
    }

    // Sampler states are cheap and few, so they are sent every time, uncached.
    struct SamplerSetting {
        bool wanted;
        D3DSAMPLERSTATETYPE type;
        DWORD value;
    };
    const SamplerSetting settings[] = {
        {linearMagFilter != 0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR},
        {linearMinFilter != 0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR},
        {linearMipFilter != 0, D3DSAMP_MIPFILTER, D3DTEXF_LINEAR},
        {true, D3DSAMP_MIPMAPLODBIAS, kMipLodBiasMinusOne},
    };
    bool allSet = true;
    for (const SamplerSetting& setting : settings) {
        if (!setting.wanted) {
            continue;
        }
        for (DWORD sampler = 0; sampler < kCachedSamplers; ++sampler) {
            if (FAILED(device->SetSamplerState(sampler, setting.type, setting.value))) {
                allSet = false;
            }
        }
    }
    if (!allSet) {
        GLog.DebugWriteLine("WARNING: Could not set all render states as required by renderer");
    }
    return allSet;
}

void KrD3DRenDev::SetPolyCullMode(ePolyCullMode mode) {
    switch (mode) {
        case eCullNone:
            SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
            break;
        case eCullCCW:
            SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
            break;
        default:
            GLog.DebugPrintf("ERROR: Invalid poly cull mode");
            break;
    }
}

// There is no way back: alpha stays on once asked for, whatever `enable` says.
bool KrD3DRenDev::SetAlpha(bool /*enable*/) {
    // What the six states send depends on their entries alone; while those hold the alpha values
    // nothing would be sent, so the six look-ups are skipped.
    if (statePositions.alphaStatesHeld) {
        return true;
    }
    for (const RenderStateEntry& setting : kAlphaRenderStates) {
        SetRenderState(static_cast<D3DRENDERSTATETYPE>(setting.state), setting.value);
    }
    // Without a device nothing went through the cache, so its entries may hold anything.
    statePositions.alphaStatesHeld = device != nullptr;
    return true;
}
