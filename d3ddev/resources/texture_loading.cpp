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

}  // namespace

// Bitmaps and DDS files have their headers read here before D3DX sees them, since D3DX trusts
// them and some take the process down or hold it for good: its bitmap decoder sizes the picture's
// buffer as texels x 4 bytes in 32 bits (65536 x 65536 texels wrap to nothing, and the texels
// copied into it fault), and copies plain rows that the file does not have; its DDS reader adds
// up the data in 32 bits too (a 65536 x 65536 header behind 16 bytes wraps to a size the file
// holds) and walks every level a header claims (4294967295 of them for 15 seconds). So a bitmap
// is refused whose texels wrap, whose width is not positive, or whose plain rows are not in the
// file; a DDS file whose first level is not in the file even at the most compact texel (4 bits,
// in blocks of 4 x 4), or that claims more levels than the 32 of any size's full chain. Nothing
// else is refused here: what D3DX can take, it takes, whatever its size (it scales a picture
// above the device's maximum down), kind (the first face of a cube, the first slice of a volume)
// or format.
bool KrD3DTextureMgr::FileSafeForD3DX(const char* path) {
    FILE* file = std::fopen(path, "rb");
    if (file == nullptr) {
        return true;  // D3DX says what is wrong with it
    }
    unsigned char h[32] = {};
    const size_t read = std::fread(h, 1, sizeof h, file);
    std::fseek(file, 0, SEEK_END);
    const uint64_t size = static_cast<uint64_t>(std::ftell(file));
    std::fclose(file);
    if (read >= 4 && Little(h, 4) == 0x20534444) {  // "DDS "
        const uint64_t blocks = (Little(h + 16, 4) + 3ull) / 4 * ((Little(h + 12, 4) + 3ull) / 4);
        return blocks <= size / 8 && Little(h + 28, 4) <= 32;
    }
    const size_t at = read >= 2 && h[0] == 'B' && h[1] == 'M' ? 14 : 0;
    const uint32_t header = Little(h + at, 4);
    if (at == 0 && header != 12 && header != 40 && header != 108 && header != 124) {
        return true;
    }
    const bool core = header == 12;
    // A core header's sizes are unsigned 16-bit numbers, the others' signed 32-bit ones (a negative
    // height stores the rows top-down), each kept whole in 64 bits.
    const auto field = [&](size_t offset, size_t coreOffset) -> int64_t {
        if (core) {
            return Little(h + at + coreOffset, 2);
        }
        return static_cast<int32_t>(Little(h + at + offset, 4));
    };
    const int64_t width = field(4, 4);
    int64_t height = field(8, 6);
    const uint64_t bits = Little(h + at + (core ? 10 : 14), 2);
    const uint32_t compression = core ? 0 : Little(h + at + 16, 2);
    height = height < 0 ? -height : height;
    // Width and height are at most 2^31 here, so no product below wraps in 64 bits.
    if (width <= 0 || static_cast<uint64_t>(width * height) >= 1ull << 30) {
        return false;
    }
    const uint64_t rows = (width * bits + 31) / 32 * 4 * static_cast<uint64_t>(height);
    return (compression != BI_RGB && compression != BI_BITFIELDS) || rows <= size;
}

namespace {
// Loads the file into `slot` (the interface field of a cache entry): D3DX's size for the image
// (within the device's maximum) and format, a full mip chain, the managed pool.
bool LoadInto(IDirect3DDevice9* device, const KrStringT<char>& path, void** slot) {
    if (slot == nullptr) {
        return false;
    }
    IDirect3DTexture9* texture = nullptr;
    if (!KrD3DTextureMgr::FileSafeForD3DX(LogText(path))) {
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
