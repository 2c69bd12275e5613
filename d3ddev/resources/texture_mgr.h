// KrD3DTextureMgr: the static cache (textures loaded from files, by name), the dynamic cache
// (textures created empty at run time) and the handle map of the dynamic textures.
#pragma once

#include "d3d_texture.h"
#include "name_index.h"

class KrD3DRenDev;

class D3DDEV_API KrD3DTextureMgr : public KrTextureMgrBase {
  public:
    KrD3DTextureMgr();
    KrD3DTextureMgr(const KrD3DTextureMgr& other);
    KrD3DTextureMgr& operator=(const KrD3DTextureMgr& other);
    ~KrD3DTextureMgr() override;

    int CachedTextureCount(eTextureType type) override;
    void UnloadCache(eTextureType type) override;
    void ReloadStatics() override;
    void UnlinkDynamics() override;
    unsigned int Load(KrStringT<char> name) override;
    int CreateTexture(unsigned int width, unsigned int height, eResFormat format,
                      unsigned int levels) override;
    KrTextureBase* GetTexture(int index) override;
    unsigned int GetTexture(const KrStringT<char>& name) override;
    KrTextureBase* GetDynamic(unsigned int handle) override;
    bool GetDynamic(unsigned int handle, int& index) override;
    void** GetTextureInterface(int index, eTextureType type) override;

    // Whether the texture file at `path` can be handed to D3DX without taking the process down or
    // holding it: the check before every load, on the header bytes alone.
    static bool FileSafeForD3DX(const char* path);

  private:
    static const int kStaticCache = 0;
    static const int kDynamicCache = 1;

    // The engine's rendering device, or null when the engine has none.
    static KrD3DRenDev* RenderDevice();
    // Its Direct3D device, or null.
    static IDirect3DDevice9* Direct3DDevice();
    // Frees every Direct3D texture of one cache; the entries stay, holding no texture.
    static void ReleaseTextures(TDArray<KrD3DTexture>& cache);
    // The name of a static entry, for the name index.
    const KrStringT<char>& StaticName(int index) const { return caches[kStaticCache][index].name; }

    TDArray<KrD3DTexture> caches[2];
    TDArray<int> dynamicMap;
    // The first static entry of each name, so that a look-up by name costs the same however many
    // textures are cached. Kept in step with the static cache by every change of its names.
    KrNameIndex staticNames;
};
