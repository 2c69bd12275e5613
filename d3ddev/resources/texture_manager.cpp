// KrD3DTextureMgr: the two caches and the look-ups by index. Loading from files lives in
// texture_loading.cpp, the dynamic textures in dynamic_textures.cpp.
#include "texture_mgr.h"

#include "d3d_ren_dev.h"
#include "release_fully.h"

KrD3DTextureMgr::KrD3DTextureMgr() {}

// Copies share the Direct3D textures of the original: entries copy interface pointers as they are.
KrD3DTextureMgr::KrD3DTextureMgr(const KrD3DTextureMgr& other)
    : KrTextureMgrBase(), dynamicMap(other.dynamicMap), staticNames(other.staticNames) {
    caches[kStaticCache] = other.caches[kStaticCache];
    caches[kDynamicCache] = other.caches[kDynamicCache];
}

KrD3DTextureMgr& KrD3DTextureMgr::operator=(const KrD3DTextureMgr& other) {
    caches[kStaticCache] = other.caches[kStaticCache];
    caches[kDynamicCache] = other.caches[kDynamicCache];
    dynamicMap = other.dynamicMap;
    staticNames = other.staticNames;
    return *this;
}

KrD3DTextureMgr::~KrD3DTextureMgr() {
    KrD3DTextureMgr::UnloadCache(eTexStatic);
    KrD3DTextureMgr::UnloadCache(eTexDynamic);
}

// The plug-in's rendering device is always a KrD3DRenDev.
KrD3DRenDev* KrD3DTextureMgr::RenderDevice() {
    return static_cast<KrD3DRenDev*>(Engine().Render());
}

IDirect3DDevice9* KrD3DTextureMgr::Direct3DDevice() {
    KrD3DRenDev* render = RenderDevice();
    return render != nullptr ? render->Device() : nullptr;
}

void KrD3DTextureMgr::ReleaseTextures(TDArray<KrD3DTexture>& cache) {
    for (int i = 0; i < cache.Count(); ++i) {
        ReleaseFully(cache[i].texture);
    }
}

int KrD3DTextureMgr::CachedTextureCount(eTextureType type) {
    if (type == eTexStatic) {
        return caches[kStaticCache].Count();
    }
    if (type == eTexDynamic) {
        return caches[kDynamicCache].Count();
    }
    return -1;
}

void KrD3DTextureMgr::UnloadCache(eTextureType type) {
    if (type == eTexStatic) {
        ReleaseTextures(caches[kStaticCache]);
        caches[kStaticCache].Clear();
        staticNames.Clear();
    } else if (type == eTexDynamic) {
        UnlinkDynamics();
        dynamicMap.Clear();
    }
}

KrTextureBase* KrD3DTextureMgr::GetTexture(int index) {
    TDArray<KrD3DTexture>& statics = caches[kStaticCache];
    if (index < 0 || index >= statics.Count()) {
        GLog.DebugPrintf("RENDER: Failed to get texture %i from cache of %i surfaces", index,
                         statics.Count());
        return nullptr;
    }
    return &statics[index];
}

unsigned int KrD3DTextureMgr::GetTexture(const KrStringT<char>& name) {
    if (name.Length() == 0) {
        return 0;
    }
    int cached =
        staticNames.Find(name, [this](int i) -> const KrStringT<char>& { return StaticName(i); });
    if (cached >= 0) {
        return static_cast<unsigned int>(cached);
    }
    return Load(name);
}

void** KrD3DTextureMgr::GetTextureInterface(int index, eTextureType type) {
    if (type != eTexStatic && type != eTexDynamic) {
        GLog.DebugWriteLine(
            "ERROR: KrD3DTextureMgr::GetTextureInterface(...) was passed an invalid texture type "
            "enumeration");
        return nullptr;
    }
    TDArray<KrD3DTexture>& cache = caches[type == eTexStatic ? kStaticCache : kDynamicCache];
    if (index < 0 || index >= cache.Count()) {
        if (type == eTexStatic) {
            GLog.DebugPrintf("RENDER: Failed to get texture %i from cache of %i surfaces", index,
                             cache.Count());
        } else {
            GLog.DebugPrintf("RENDER: Failed to get texture %i from dynamic cache of %i surfaces",
                             index, cache.Count());
        }
        return nullptr;
    }
    return reinterpret_cast<void**>(&cache[index].texture);
}
