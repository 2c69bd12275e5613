// KrD3DTextureMgr: the static cache, textures loaded from image files below the media directory
// and found again by the name they were asked for.
#include "log_text.h"
#include "platform.h"
#include "release_fully.h"
#include "texture_mgr.h"

namespace {
KrStringT<char> MediaPath(const KrStringT<char>& name) {
    return Engine().getMediaDir() + KrStringT<char>("\\") + name;
}

// The manager that the rendering device hands out: the slot of a loaded texture is taken from it,
// so that a copy of a manager still fills the engine's entries. Without one, this manager's own.
KrTextureMgrBase* EngineTextureMgr(KrTextureMgrBase* self) {
    KrRenderBase* render = Engine().Render();
    KrTextureMgrBase* engineMgr = render != nullptr ? render->TextureMgr() : nullptr;
    return engineMgr != nullptr ? engineMgr : self;
}

// Loads the file into `slot` (the interface field of a cache entry): the image's own size and
// format, a full mip chain, the managed pool.
bool LoadInto(IDirect3DDevice9* device, const KrStringT<char>& path, void** slot) {
    if (slot == nullptr) {
        return false;
    }
    IDirect3DTexture9* texture = nullptr;
    HRESULT result = Platform().D3DXCreateTextureFromFileA(device, LogText(path), &texture);
    *slot = SUCCEEDED(result) ? texture : nullptr;
    return SUCCEEDED(result) && texture != nullptr;
}
}  // namespace

unsigned int KrD3DTextureMgr::Load(KrStringT<char> name) {
    TDArray<KrD3DTexture>& statics = caches[kStaticCache];
    auto nameAt = [this](int i) -> const KrStringT<char>& { return StaticName(i); };
    // A name already cached is loaded again into its own entry, so indexes handed out stay valid.
    int first = staticNames.Find(name, nameAt);
    if (first >= 0) {
        ReleaseFully(statics[first].texture);
        IDirect3DDevice9* device = Direct3DDevice();
        if (device != nullptr) {
            KrStringT<char> path = MediaPath(name);
            if (LoadInto(device, path, GetTextureInterface(first, eTexStatic))) {
                return static_cast<unsigned int>(first);
            }
            GLog.DebugPrintf("WARNING: Failed to load %s texture", LogText(path));
            return 0;
        }
        // Without a device every entry of this name loses its texture, and the name goes on to
        // the new-entry path below.
        for (int i = first + 1; i < statics.Count(); ++i) {
            if (statics[i].name == name) {
                ReleaseFully(statics[i].texture);
            }
        }
    }

    // A failed load leaves its entry behind without a texture; the next new name takes it over
    // rather than growing the cache with dead entries.
    int count = statics.Count();
    if (count == 0 || statics[count - 1].texture != nullptr) {
        KrD3DTexture entry;
        entry.name = name;
        statics.Add(entry);
        count = statics.Count();
        staticNames.Add(count - 1, nameAt);
    }
    KrStringT<char> path = MediaPath(name);
    IDirect3DDevice9* device = Direct3DDevice();
    if (device == nullptr) {
        GLog.DebugPrintf("WARNING: Failed to load %s texture", LogText(path));
        return 0;
    }
    void** slot = EngineTextureMgr(this)->GetTextureInterface(count - 1, eTexStatic);
    if (slot != nullptr) {
        IDirect3DTexture9*& held = *reinterpret_cast<IDirect3DTexture9**>(slot);
        ReleaseFully(held);
    }
    if (!LoadInto(device, path, slot)) {
        statics[count - 1].texture = nullptr;
        GLog.DebugPrintf("WARNING: Failed to load %s texture", LogText(path));
        return 0;
    }
    KrD3DTexture& entry = statics[count - 1];
    D3DSURFACE_DESC desc;
    if (entry.texture != nullptr && SUCCEEDED(entry.texture->GetLevelDesc(0, &desc))) {
        entry.width = desc.Width;
        entry.height = desc.Height;
        // A reused entry changes its name here, from that of the load that failed in it.
        bool renamed = !(entry.name == name);
        entry.name = name;
        if (renamed) {
            staticNames.Rebuild(statics.Count(), nameAt);
        }
    }
    return static_cast<unsigned int>(count - 1);
}

void KrD3DTextureMgr::ReloadStatics() {
    // Entries that a reload appends (none while the names stay in the cache) are not reloaded.
    int count = caches[kStaticCache].Count();
    for (int i = 0; i < count; ++i) {
        Load(KrStringT<char>(caches[kStaticCache][i].name));
    }
}
