// KrD3DTextureMgr: the static cache, textures loaded from image files below the media directory
// and found again by the name they were asked for.
#include <cstdint>
#include <cstdio>

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

uint32_t Little(const unsigned char* bytes, int count) {
    uint32_t value = 0;
    for (int i = count - 1; i >= 0; --i) {
        value = value << 8 | bytes[i];
    }
    return value;
}

// Bitmaps and DDS files are read here before D3DX sees them, since D3DX's own image information
// trusts their headers: it copies every texel of a 32-bit bitmap (to see whether its alpha is
// used) into a buffer sized from the header, so a bitmap claiming 65536 x 65536 texels takes the
// process down before any answer comes back; and it walks every mip level a DDS header claims,
// 4294967295 of them for 15 seconds. A bitmap (with its file header or without) must claim a size
// within the device's maximum and, if its rows are stored plainly, be long enough to hold them; a
// DDS file must claim a size within the maximum and no more levels than a full chain of it. Other
// files pass to D3DX.
bool HeaderHoldable(const char* path, const D3DCAPS9& caps) {
    FILE* file = std::fopen(path, "rb");
    if (file == nullptr) {
        return true;  // D3DX says what is wrong with it
    }
    unsigned char h[32] = {};
    const size_t read = std::fread(h, 1, sizeof h, file);
    std::fseek(file, 0, SEEK_END);
    const long long size = std::ftell(file);
    std::fclose(file);
    const long long maxWidth = caps.MaxTextureWidth, maxHeight = caps.MaxTextureHeight;
    if (read >= 4 && Little(h, 4) == 0x20534444) {  // "DDS "
        const long long width = Little(h + 16, 4), height = Little(h + 12, 4);
        long long chain = 1;
        for (long long side = width > height ? width : height; side > 1; side /= 2) {
            ++chain;
        }
        return read == sizeof h && width > 0 && height > 0 && width <= maxWidth &&
               height <= maxHeight && Little(h + 28, 4) <= chain;
    }
    const size_t at = read >= 2 && h[0] == 'B' && h[1] == 'M' ? 14 : 0;
    const uint32_t header = Little(h + at, 4);
    if (at == 0 && header != 12 && header != 40 && header != 108 && header != 124) {
        return true;
    }
    if (read < at + 18) {
        return false;
    }
    const bool core = header == 12;
    const long long width =
        core ? Little(h + at + 4, 2) : static_cast<int32_t>(Little(h + at + 4, 4));
    long long height = core ? Little(h + at + 6, 2) : static_cast<int32_t>(Little(h + at + 8, 4));
    const uint32_t bits = Little(h + at + (core ? 10 : 14), 2);
    const uint32_t compression = core ? 0 : Little(h + at + 16, 2);
    height = height < 0 ? -height : height;
    if (width <= 0 || height <= 0 || width > maxWidth || height > maxHeight || bits == 0 ||
        bits > 32) {
        return false;
    }
    const long long rows = (width * bits + 31) / 32 * 4 * height;
    return (compression != BI_RGB && compression != BI_BITFIELDS) || rows <= size;
}

// Whether the file's header describes a picture this device can hold: a plain texture of a
// size within the device's maximum, in a format that D3DX can turn into one the device makes.
// Decoders trust the header they read (a bitmap claiming 2147483647 texels a row takes the
// process down while its rows are copied), so nothing else reaches the decoder.
bool Holdable(IDirect3DDevice9* device, const char* path) {
    D3DCAPS9 caps = {};
    D3DXIMAGE_INFO info = {};
    if (FAILED(device->GetDeviceCaps(&caps)) || !HeaderHoldable(path, caps) ||
        FAILED(Platform().D3DXGetImageInfoFromFileA(path, &info))) {
        return false;
    }
    if (info.ResourceType != D3DRTYPE_TEXTURE || info.Format == D3DFMT_UNKNOWN || info.Width == 0 ||
        info.Height == 0 || info.Width > caps.MaxTextureWidth ||
        info.Height > caps.MaxTextureHeight) {
        return false;
    }
    UINT width = info.Width, height = info.Height, levels = 0;
    D3DFORMAT format = info.Format;
    return SUCCEEDED(Platform().D3DXCheckTextureRequirements(device, &width, &height, &levels, 0,
                                                             &format, D3DPOOL_MANAGED)) &&
           format != D3DFMT_UNKNOWN;
}

// Loads the file into `slot` (the interface field of a cache entry): the image's own size and
// format, a full mip chain, the managed pool.
bool LoadInto(IDirect3DDevice9* device, const KrStringT<char>& path, void** slot) {
    if (slot == nullptr) {
        return false;
    }
    IDirect3DTexture9* texture = nullptr;
    if (!Holdable(device, LogText(path))) {
        *slot = nullptr;
        return false;
    }
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
