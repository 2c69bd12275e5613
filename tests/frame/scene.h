// A running device with a camera that frames a known area: a point (x, y, 0) lands at pixel
// (400 + 40x, 300 - 40y) of the 800x600 back buffer. Quads, solid-colour effectors and the frame's
// read-back for the pixel tests of the frame and the experimental paths.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "effectors.h"
#include "running_device.h"

namespace scene {

inline void PlaceCamera(krtest::RunningDevice& running, float eyeZ = -10.0f, float farZ = 101.0f) {
    KrCamera* camera = running.App().Camera();
    camera->FOV() = 90.0f;
    *camera->GetFrame() = KrCoords();
    camera->GetFrame()->P = KrVector(0.0f, 0.0f, eyeZ);
    running.Render()->NearZ() = 1.0f, running.Render()->FarZ() = farZ;
}

struct Vertex {
    float x, y, z;
    unsigned int colour;
    float u, v;
};
const unsigned long kFvf = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1;
const unsigned long kFan = D3DPT_TRIANGLEFAN;

// Half-size (hx, hy) at depth 0, fan order, clockwise as the camera sees it.
inline std::vector<Vertex> Quad(float hx, float hy, unsigned int colour) {
    return {{-hx, -hy, 0, colour, 0, 1},
            {-hx, hy, 0, colour, 0, 0},
            {hx, hy, 0, colour, 1, 0},
            {hx, -hy, 0, colour, 1, 1}};
}

// A managed vertex buffer holding `v`, released and deleted with its owner.
struct Buffer {
    KrVertexBufferBase* b = nullptr;
    unsigned int stride;
    template <class V = Vertex>
    Buffer(KrRenderBase* render, std::vector<V> v, unsigned long fvf = kFvf) : stride(sizeof(V)) {
        auto bytes = static_cast<unsigned int>(v.size() * sizeof(V));
        render->CreateVertexBuffer(&b, bytes, fvf, eMemManaged, eUsageStatic);
        b->Populate(0, reinterpret_cast<unsigned char*>(v.data()), bytes);
    }
    ~Buffer() { b->Release(), delete b; }
};

// A copy of a built-in effector drawing a 4x4 dynamic texture of one colour (0xAARRGGBB), with
// extra pass flags.
inline int SolidEffector(KrRenderBase* render, unsigned int argb, unsigned int flags,
                         const char* name, const char* builtIn = "ShaderDefault") {
    auto index =
        static_cast<unsigned int>(render->TextureMgr()->CreateTexture(4, 4, eResFmtA8R8G8B8, 1));
    KrTextureBase* texture = render->TextureMgr()->GetDynamic(index);
    std::fill_n(static_cast<unsigned int*>(texture->Access(0)), 16, argb);
    texture->Update(0);
    KrEffector* effector = render->FXMgr()->CreateEffector(KrStringT<char>(builtIn));
    effector->GetPass(0)->textureIndex = index;
    effector->GetPass(0)->flags = kPassDynamicTexture | flags;
    KrStringT<char> effectorName(name);
    return render->FXMgr()->AddEffector(effectorName, effector);
}

// Starts a frame unless `fresh` is false, and draws `quad` through an effector and a world frame.
inline void Draw(KrRenderBase* render, int effector, KrCoords* world, const Buffer& quad,
                 bool fresh = true) {
    if (fresh) {
        EXPECT_EQ(S_OK, render->PreRender(ePreRenderClear));
    }
    render->SetEffector(static_cast<unsigned int>(effector));
    render->SetTransform(world);
    EXPECT_EQ(S_OK, render->DrawPrimitive(kFan, quad.b, quad.stride, 2));
}

// Ends the scene, reads the back buffer (0x00RRGGBB, rows top down) and presents.
inline std::vector<unsigned int> FinishFrame(krtest::RunningDevice& running) {
    IDirect3DDevice9* device = running.Direct3DDevice();
    device->EndScene();
    std::vector<unsigned int> pixels;
    int width = 0, height = 0;
    EXPECT_TRUE(krtest::ReadBackBuffer(device, pixels, width, height));
    for (unsigned int& p : pixels)
        p &= 0xFFFFFFu;
    device->Present(nullptr, nullptr, nullptr, nullptr);
    return pixels;
}

inline unsigned int At(const std::vector<unsigned int>& pixels, int x, int y) {
    return pixels[static_cast<size_t>(y) * 800 + static_cast<size_t>(x)];
}

}  // namespace scene
