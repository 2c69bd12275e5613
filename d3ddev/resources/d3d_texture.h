// KrD3DTexture: one entry of the texture manager's caches, a named Direct3D texture that the
// engine can lock for texel access. Copies share the Direct3D texture; the manager releases it.
#pragma once

#include <d3d9.h>

#include "d3ddev_api.h"
#include "krngn.h"

class D3DDEV_API KrD3DTexture : public KrTextureBase {
  public:
    KrD3DTexture();
    KrD3DTexture(const KrD3DTexture& other);
    KrD3DTexture& operator=(const KrD3DTexture& other);
    ~KrD3DTexture() override;

    void* Access(unsigned int level) override;
    void Update(unsigned int level) override;

    const KrStringT<char>& Name() const { return name; }
    IDirect3DTexture9* Interface() const { return texture; }

  private:
    friend class KrD3DTextureMgr;
    KrStringT<char> name;
    IDirect3DTexture9* texture;
};
