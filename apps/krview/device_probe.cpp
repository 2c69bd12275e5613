// Reaching the Direct3D device through the texture manager, counting references, reading back.
#include "device_probe.h"

namespace krview {
namespace {

IDirect3DTexture9* TextureAt(KrTextureMgrBase* textures, eTextureType type, int index) {
    // The count is asked first: an index outside the cache would be logged as a fault.
    if (index >= textures->CachedTextureCount(type)) {
        return nullptr;
    }
    void** slot = textures->GetTextureInterface(index, type);
    return slot != nullptr ? static_cast<IDirect3DTexture9*>(*slot) : nullptr;
}

}  // namespace

IDirect3DDevice9* BorrowDirect3DDevice(KrRenderBase* render) {
    KrTextureMgrBase* textures = render != nullptr ? render->TextureMgr() : nullptr;
    if (textures == nullptr) {
        return nullptr;
    }
    const eTextureType caches[2] = {eTexStatic, eTexDynamic};
    for (eTextureType type : caches) {
        int count = textures->CachedTextureCount(type);
        for (int i = 0; i < count; ++i) {
            IDirect3DTexture9* texture = TextureAt(textures, type, i);
            IDirect3DDevice9* device = nullptr;
            if (texture != nullptr && SUCCEEDED(texture->GetDevice(&device)) && device) {
                return device;
            }
        }
    }
    return nullptr;
}

DeviceReferences CountDeviceReferences(KrRenderBase* render) {
    DeviceReferences counts;
    IDirect3DDevice9* device = BorrowDirect3DDevice(render);
    if (device == nullptr) {
        return counts;
    }
    IDirect3D9* direct3d = nullptr;
    if (SUCCEEDED(device->GetDirect3D(&direct3d)) && direct3d != nullptr) {
        counts.direct3d = static_cast<long>(direct3d->Release());
    }
    counts.device = static_cast<long>(device->Release());
    return counts;
}

bool ReadRenderTarget(IDirect3DDevice9* device, std::vector<uint32_t>& pixels, unsigned int& width,
                      unsigned int& height) {
    IDirect3DSurface9* target = nullptr;
    if (device == nullptr || FAILED(device->GetRenderTarget(0, &target)) || target == nullptr) {
        return false;
    }
    D3DSURFACE_DESC desc;
    IDirect3DSurface9* copy = nullptr;
    bool ok = SUCCEEDED(target->GetDesc(&desc)) &&
              SUCCEEDED(device->CreateOffscreenPlainSurface(desc.Width, desc.Height, desc.Format,
                                                            D3DPOOL_SYSTEMMEM, &copy, nullptr)) &&
              SUCCEEDED(device->GetRenderTargetData(target, copy));
    D3DLOCKED_RECT locked;
    if (ok && (desc.Format == D3DFMT_X8R8G8B8 || desc.Format == D3DFMT_A8R8G8B8) &&
        SUCCEEDED(copy->LockRect(&locked, nullptr, D3DLOCK_READONLY))) {
        width = desc.Width;
        height = desc.Height;
        pixels.resize(static_cast<size_t>(width) * height);
        for (unsigned int y = 0; y < height; ++y) {
            const uint32_t* row = reinterpret_cast<const uint32_t*>(
                static_cast<const unsigned char*>(locked.pBits) + y * locked.Pitch);
            for (unsigned int x = 0; x < width; ++x) {
                pixels[y * width + x] = row[x] & 0x00FFFFFFu;
            }
        }
        copy->UnlockRect();
    } else {
        ok = false;
    }
    if (copy != nullptr) {
        copy->Release();
    }
    target->Release();
    return ok;
}

int LoadedStaticTextures(KrRenderBase* render) {
    KrTextureMgrBase* textures = render->TextureMgr();
    int loaded = 0;
    int count = textures != nullptr ? textures->CachedTextureCount(eTexStatic) : 0;
    for (int i = 0; i < count; ++i) {
        loaded += TextureAt(textures, eTexStatic, i) != nullptr ? 1 : 0;
    }
    return loaded;
}

int DynamicTextures(KrRenderBase* render) {
    KrTextureMgrBase* textures = render->TextureMgr();
    return textures != nullptr ? textures->CachedTextureCount(eTexDynamic) : 0;
}

}  // namespace krview
