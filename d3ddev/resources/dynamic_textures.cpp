// KrD3DTextureMgr: the dynamic cache, empty textures created at run time, and the handle map that
// tells the engine's handles from live textures after the cache was emptied by a device reset.
#include <cstdio>

#include "d3d_ren_dev.h"
#include "format_names.h"
#include "log_text.h"
#include "release_fully.h"
#include "texture_mgr.h"

namespace {
// manual_00 ... manual_09, manual_10, ...: the number of dynamic textures before this one.
KrStringT<char> DynamicName(int count) {
    char number[16];
    std::snprintf(number, sizeof number, "%i", count);
    return KrStringT<char>("manual") + KrStringT<char>(count < 10 ? "_0" : "_") +
           KrStringT<char>(number);
}
}  // namespace

int KrD3DTextureMgr::CreateTexture(unsigned int width, unsigned int height, eResFormat format,
                                   unsigned int levels) {
    KrD3DRenDev* render = RenderDevice();
    // A device that needs powers of two refuses other sizes quietly: the engine asks again.
    bool pow2Only = render == nullptr || !render->NonPow2Textures();
    if (pow2Only && (!krIsPowerOf2(width) || !krIsPowerOf2(height))) {
        return -1;
    }
    TDArray<KrD3DTexture>& dynamics = caches[kDynamicCache];
    KrD3DTexture entry;
    entry.name = DynamicName(dynamics.Count());
    IDirect3DDevice9* device = Direct3DDevice();
    if (device == nullptr) {
        return -1;
    }
    if (FAILED(device->CreateTexture(width, height, levels, 0, static_cast<D3DFORMAT>(format),
                                     D3DPOOL_MANAGED, &entry.texture, nullptr))) {
        entry.texture = nullptr;
        GLog.DebugPrintf("WARNING: Failed to create %s dynamic texture %ix%i",
                         LogText(FormatName(static_cast<D3DFORMAT>(format))),
                         static_cast<int>(width), static_cast<int>(height));
        return -1;
    }
    entry.width = width;
    entry.height = height;
    int index = dynamics.Add(entry);
    dynamicMap.Add(index);
    GLog.DebugPrintf("DYNAMIC TEXTURE: Created dynamic %s", LogText(entry.name));
    return index;
}

bool KrD3DTextureMgr::GetDynamic(unsigned int handle, int& index) {
    if (dynamicMap.Count() == 0 || handle >= static_cast<unsigned int>(dynamicMap.Count()) ||
        dynamicMap[static_cast<int>(handle)] == -1) {
        index = -1;
        return false;
    }
    index = dynamicMap[static_cast<int>(handle)];
    return true;
}

KrTextureBase* KrD3DTextureMgr::GetDynamic(unsigned int handle) {
    int index = -1;
    if (!GetDynamic(handle, index) || index < 0 || index >= caches[kDynamicCache].Count()) {
        return nullptr;
    }
    return &caches[kDynamicCache][index];
}

void KrD3DTextureMgr::UnlinkDynamics() {
    ReleaseTextures(caches[kDynamicCache]);
    caches[kDynamicCache].Clear();
    dynamicMap.Clear();
}
