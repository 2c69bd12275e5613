// What the next draw uses: the vertex stream, the bound texture and the current effector.
#include "buffers.h"
#include "d3d_ren_dev.h"

bool KrD3DRenDev::SetStream(unsigned int stream, unsigned long fvf, KrVertexBufferBase* buffer) {
    unsigned int stride = VertexStride(fvf);
    if (buffer == nullptr) {
        GLog.DebugPrintf("ERROR: Attempted to bind NULL vertex buffer to stream %i",
                         static_cast<int>(stream));
        return false;
    }
    IDirect3DVertexBuffer9* vertices = static_cast<KrD3DVertexBuffer*>(buffer)->Interface();
    if (FAILED(bound.SetStreamSource(device, stream, vertices, stride))) {
        GLog.DebugWriteLine("ERROR: Failure during iD3DDev9->SetStreamSource(...)");
        return false;
    }
    return true;
}

// Binds the Direct3D texture held in a cache slot; an empty slot unbinds the stage rather than
// failing the draw.
static bool BindSlot(IDirect3DDevice9* device, KrBindFilter& bound, unsigned int stage,
                     void** slot) {
    IDirect3DBaseTexture9* texture =
        slot != nullptr ? static_cast<IDirect3DBaseTexture9*>(*slot) : nullptr;
    return SUCCEEDED(bound.SetTexture(device, stage, texture));
}

bool KrD3DRenDev::SetTexture(unsigned int index, eTextureType type, unsigned int stage) {
    // Redundant bindings are skipped; the stage is not part of the comparison.
    if (static_cast<int>(index) == lastTextureIndex && type == lastTextureType) {
        return false;
    }
    KrTextureMgrBase* textures = TextureMgr();
    if (device == nullptr || textures == nullptr) {
        return false;
    }
    long long requested = static_cast<long long>(index);
    if (type == eTexStatic) {
        if (requested > textures->CachedTextureCount(eTexStatic) - 1LL) {
            index = 0;
        }
        if (!BindSlot(device, bound, stage,
                      textures->GetTextureInterface(static_cast<int>(index), eTexStatic))) {
            return false;
        }
        lastTextureIndex = static_cast<int>(index);
        lastTextureType = eTexStatic;
        return true;
    }
    if (type == eTexDynamic) {
        if (requested > textures->CachedTextureCount(eTexDynamic) - 1LL) {
            GLog.DebugPrintf("WARNING: Invalid dynamic texture index %i, setting .noshader instead",
                             static_cast<int>(index));
            if (!BindSlot(device, bound, stage, textures->GetTextureInterface(0, eTexStatic))) {
                return false;
            }
            lastTextureIndex = 0;
            lastTextureType = eTexStatic;
            return true;
        }
        if (!BindSlot(device, bound, stage,
                      textures->GetTextureInterface(static_cast<int>(index), eTexDynamic))) {
            return false;
        }
        lastTextureIndex = static_cast<int>(index);
        lastTextureType = eTexDynamic;
        return true;
    }
    GLog.DebugWriteLine(
        "ERROR: KrD3DRenDev::SetTexture(...) was passed an invalid texture type enumeration");
    return false;
}

bool KrD3DRenDev::SetEffector(unsigned int index) {
    KrEffectorMgr* effectors = FXMgr();
    KrEffector** effector = effectors != nullptr ? effectors->GetEffector(index) : nullptr;
    if (effector != nullptr && *effector != nullptr) {
        (*effector)->IsProgrammable();
    }
    currentEffector = static_cast<int>(index);
    // The engine's interface reports no outcome here: the result is always false.
    return false;
}
