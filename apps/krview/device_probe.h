// What krview can see of the Direct3D device below the engine's interface, for its own checks:
// the device is reached through a texture that the texture manager hands out, as the engine does
// when it binds textures itself.
#pragma once

#include <d3d9.h>

#include <cstdint>
#include <vector>

#include "krngn.h"

namespace krview {

// The Direct3D device behind the first texture of either cache, with a reference the caller
// releases; null when no cache holds a texture.
IDirect3DDevice9* BorrowDirect3DDevice(KrRenderBase* render);

// Reference counts of the device and of its Direct3D object as their owners hold them, without
// krview's own; -1 when the device cannot be reached.
struct DeviceReferences {
    long device = -1;
    long direct3d = -1;
};
DeviceReferences CountDeviceReferences(KrRenderBase* render);

// The current render target read back into `pixels` (rows of X8R8G8B8 texels, alpha cleared);
// false when the device refuses any step.
bool ReadRenderTarget(IDirect3DDevice9* device, std::vector<uint32_t>& pixels, unsigned int& width,
                      unsigned int& height);

// Textures of the static cache that hold a Direct3D texture.
int LoadedStaticTextures(KrRenderBase* render);

// Entries of the dynamic cache.
int DynamicTextures(KrRenderBase* render);

}  // namespace krview
