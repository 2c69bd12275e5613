// The one white-box view of the device's tests: the device object and its buffers are friends of
// these probes, which open what a test must set up or read back that the engine's interface hides.
// Add an accessor here only when a check cannot be made through the engine's interface.
#pragma once

#include <string>

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
    int ShaderCount() const { return d_.shaders.Count(); }
    // The shader cache's other two lists, which must stay as long as the shaders'.
    int SourceCount() const { return d_.sources.Count(); }
    int DeclarationCount() const { return d_.declarations.Count(); }

  private:
    KrD3DRenDev& d_;
};
