// A running device with a camera that frames a known area, and helpers that predict where world
// points land on the 800x600 back buffer.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "effectors.h"
#include "running_device.h"

namespace frametest {

// Camera at (0, 0, -10) looking along +z, 90 degrees across, near 1, far 101: a point (x, y, 0)
// lands at pixel (400 + 40x, 300 - 40y).
inline void PlaceCamera(krtest::RunningDevice& running) {
    KrCamera* camera = running.App().Camera();
    camera->FOV() = 90.0f;
    *camera->GetFrame() = KrCoords();
    camera->GetFrame()->P = KrVector(0.0f, 0.0f, -10.0f);
    running.Render()->NearZ() = 1.0f;
    running.Render()->FarZ() = 101.0f;
}

struct Pixel {
    int x, y;
};
inline Pixel ProjectAtDepthZero(float x, float y) {
    return Pixel{static_cast<int>(400.0f + 40.0f * x), static_cast<int>(300.0f - 40.0f * y)};
}

struct TexturedVertex {
    float x, y, z;
    unsigned int colour;
    float u, v;
};
const unsigned long kTexturedFvf = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1;

// A quad of half-size (hx, hy) at depth 0 in fan order, clockwise as the camera sees it (the
// device culls counter-clockwise faces).
inline std::vector<TexturedVertex> Quad(float hx, float hy, unsigned int colour) {
    return {{-hx, -hy, 0.0f, colour, 0.0f, 1.0f},
            {-hx, hy, 0.0f, colour, 0.0f, 0.0f},
            {hx, hy, 0.0f, colour, 1.0f, 0.0f},
            {hx, -hy, 0.0f, colour, 1.0f, 1.0f}};
}

inline KrVertexBufferBase* MakeBuffer(KrRenderBase* render, const std::vector<TexturedVertex>& v) {
    KrVertexBufferBase* buffer = nullptr;
    unsigned int bytes = static_cast<unsigned int>(v.size() * sizeof(TexturedVertex));
    if (!render->CreateVertexBuffer(&buffer, bytes, kTexturedFvf, eMemManaged, eUsageStatic)) {
        return nullptr;
    }
    buffer->Populate(0, reinterpret_cast<unsigned char*>(const_cast<TexturedVertex*>(v.data())),
                     bytes);
    return buffer;
}

inline void FreeBuffer(KrVertexBufferBase* buffer) {
    if (buffer != nullptr) {
        buffer->Release();
        delete buffer;
    }
}

// A dynamic texture of one colour (0xAARRGGBB), and an effector that draws "ShaderDefault" with
// it, with the given extra pass flags. Returns the effector's index.
inline int SolidColourEffector(KrRenderBase* render, unsigned int argb, unsigned int flags,
                               const char* name) {
    KrTextureMgrBase* textures = render->TextureMgr();
    int index = textures->CreateTexture(4, 4, eResFmtA8R8G8B8, 1);
    if (index < 0) {
        return -1;
    }
    KrTextureBase* texture = textures->GetDynamic(static_cast<unsigned int>(index));
    unsigned int* texels = static_cast<unsigned int*>(texture->Access(0));
    if (texels == nullptr) {
        return -1;
    }
    for (int i = 0; i < 16; ++i) {
        texels[i] = argb;
    }
    texture->Update(0);
    KrEffector* effector = render->FXMgr()->CreateEffector(KrStringT<char>("ShaderDefault"));
    KrRenderPass* pass = effector->GetPass(0);
    pass->textureIndex = static_cast<unsigned int>(index);
    pass->flags = kPassDynamicTexture | flags;
    KrStringT<char> effectorName(name);
    return render->FXMgr()->AddEffector(effectorName, effector);
}

// Ends the scene, reads the back buffer and presents, so the picture read is the one drawn.
inline std::vector<unsigned int> FinishFrame(krtest::RunningDevice& running) {
    IDirect3DDevice9* device = running.Direct3DDevice();
    device->EndScene();
    std::vector<unsigned int> pixels;
    int width = 0, height = 0;
    krtest::ReadBackBuffer(device, pixels, width, height);
    device->Present(nullptr, nullptr, nullptr, nullptr);
    return pixels;
}

inline unsigned int At(const std::vector<unsigned int>& pixels, int x, int y) {
    return pixels[static_cast<size_t>(y) * 800 + static_cast<size_t>(x)] & 0x00FFFFFFu;
}

// True when some pixel within `radius` of (x, y) is near `colour`.
inline bool NearbyHas(const std::vector<unsigned int>& pixels, int x, int y, unsigned int colour,
                      int radius = 1, int tolerance = 8) {
    for (int dy = -radius; dy <= radius; ++dy) {
        for (int dx = -radius; dx <= radius; ++dx) {
            if (krtest::ColourNear(At(pixels, x + dx, y + dy), colour, tolerance)) {
                return true;
            }
        }
    }
    return false;
}

}  // namespace frametest
