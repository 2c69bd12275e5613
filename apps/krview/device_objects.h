// Buffers, textures and effectors that the scenes ask the device for.
#pragma once

#include <vector>

#include "geometry.h"
#include "krngn.h"

namespace krview {

// A vertex buffer in the managed pool, so that it outlives device resets, filled with `bytes`.
KrVertexBufferBase* MakeVertexBuffer(KrRenderBase* render, const void* data, unsigned int bytes,
                                     unsigned long fvf);

template <typename Vertex>
KrVertexBufferBase* MakeVertexBuffer(KrRenderBase* render, const std::vector<Vertex>& vertices,
                                     unsigned long fvf) {
    return MakeVertexBuffer(render, vertices.data(),
                            static_cast<unsigned int>(vertices.size() * sizeof(Vertex)), fvf);
}

// Rewrites a buffer made by MakeVertexBuffer from its start.
template <typename Vertex>
bool RefillVertexBuffer(KrVertexBufferBase* buffer, std::vector<Vertex>& vertices) {
    return buffer != nullptr &&
           buffer->Populate(0, reinterpret_cast<unsigned char*>(vertices.data()),
                            static_cast<unsigned int>(vertices.size() * sizeof(Vertex)));
}

// Gives the Direct3D buffer back and deletes the wrapper.
void DropBuffer(KrVertexBufferBase*& buffer);
void DropBuffer(KrIndexBufferBase*& buffer);

// A copy of the effector registered as `base`, drawing `texture` (an index of the cache that
// `flags` selects), registered as `name`. Returns its index, or -1.
int TexturedEffector(KrRenderBase* render, const char* base, const char* name, unsigned int texture,
                     unsigned int flags);

// Points pass 0 of effector `index` at another texture.
void RetargetEffector(KrRenderBase* render, int index, unsigned int texture);

// The static-cache index of a media file (loaded on first use).
unsigned int StaticTexture(KrRenderBase* render, const char* name);

// Switches Direct3D's second texture stage (and with it every higher one) off for the draws that
// follow. A reset gives Direct3D its defaults back, and the experimental paths set stage states
// on Direct3D behind the device's state cache, so neither Direct3D nor the cache can be trusted
// to hold "off" when a scene's frame begins. The engine has no call that sets a stage state; an
// indexed draw sets stage 1 through the cache, on for a pass flagged for the second stage and off
// for any other. Two such draws, on then off, differ in value, so both reach Direct3D. They draw
// one degenerate triangle each, which covers no pixel.
class SecondStageOff {
  public:
    bool Create(KrRenderBase* render);
    // Returns the draws it made.
    int Apply(KrRenderBase* render);
    void Destroy();

  private:
    KrVertexBufferBase* point_ = nullptr;
    KrIndexBufferBase* indices_ = nullptr;
    int secondStage_ = -1;
};

const unsigned int kPassSecondStage = 1;     // pass flag: a second texture stage is blended
const unsigned int kPassDynamicTexture = 2;  // pass flag: the texture is a dynamic one
const unsigned int kPassAlpha = 4;           // pass flag: alpha blending

}  // namespace krview
