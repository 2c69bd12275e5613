// The one white-box view of the device's tests: the device object and its buffers are friends of
// these probes, which open what a test must set up or read back that the engine's interface hides.
// Add an accessor here only when a check cannot be made through the engine's interface.
#pragma once

#include <string>
#include <vector>

#include "buffers.h"
#include "d3d_ren_dev.h"

class KrD3DRenDevProbe {
  public:
    explicit KrD3DRenDevProbe(KrD3DRenDev& device) : d_(device) {}

    // A device the test made (paths on a second device).
    void Attach(IDirect3DDevice9* device) { d_.device = device; }

    D3DAdapterInfo& Adapter(int index) { return d_.adapters[index]; }
    int& CurrentAdapter() { return d_.currentAdapter; }
    // What the device noted from its caps: sizes other than powers of two taken.
    bool& NonPow2Textures() { return d_.nonPow2Textures; }
    const TDArray<RenderStateEntry>& StateCache() const { return d_.stateCache; }
    const TDArray<TextureStageEntry>& StageCache() const { return d_.stageCache; }
    void SetStageState(int stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) {
        d_.SetTextureStageState(stage, type, value);
    }
    // What the bind filter takes Direct3D to hold: the declaration, the shader, stream 0 (and its
    // stride), the textures of stages 0 to 7; kUnknown where it does not know. (Until it catches
    // up with a release it still holds what it sent, which Direct3D keeps alive while bound.)
    std::vector<const void*> BelievedBindings(UINT* stride) const {
        const KrBindFilter& f = d_.bound;
        *stride = f.streamStride_;
        std::vector<const void*> held = {f.declaration_, f.shader_, f.streamBuffer_};
        held.insert(held.end(), f.textures_, f.textures_ + KrBindFilter::kStages);
        return held;
    }
    static inline const void* const kUnknown = KrBindFilter::Unknown<void>();
    int ShaderCount() const { return d_.shaders.Count(); }
    // The shader cache's other two lists, which must stay as long as the shaders'.
    int SourceCount() const { return d_.sources.Count(); }
    int DeclarationCount() const { return d_.declarations.Count(); }

  private:
    KrD3DRenDev& d_;
};
