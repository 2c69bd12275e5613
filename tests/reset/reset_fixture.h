// What the reset, toggle and state-cache tests share: white-box access to the device, an engine
// with its window and sprites, a Direct3D object behind the recording proxy, and an adapter table
// as the enumeration leaves it, for a chosen mode list.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "d3d_ren_dev.h"
#include "kr_test_support.h"
#include "platform.h"
#include "recording_d3d.h"

struct ModeSize {
    unsigned int width;
    unsigned int height;
};

class KrD3DRenDevProbe {
  public:
    explicit KrD3DRenDevProbe(KrD3DRenDev& device) : d_(device) {}
    // Adapter 0 of `d3d` (the device takes over its reference) with one device record of
    // X8R8G8B8 modes with D24X8 depth, `current` selected.
    void FillAdapter(IDirect3D9* d3d, const std::vector<ModeSize>& modes, unsigned int current);
    void AddDeviceRecord(D3DDEVTYPE type);
    D3DAdapterInfo& Adapter(int index) { return d_.adapters[index]; }
    D3DDeviceInfo& Record() { return d_.adapters[0].devices[d_.adapters[0].currentDevice]; }
    int& CurrentAdapter() { return d_.currentAdapter; }
    void SetRenderState(D3DRENDERSTATETYPE state, unsigned long value) {
        d_.SetRenderState(state, value);
    }
    void SetStageState(int stage, D3DTEXTURESTAGESTATETYPE type, unsigned long value) {
        d_.SetTextureStageState(stage, type, value);
    }
    const TDArray<RenderStateEntry>& StateCache() const { return d_.stateCache; }
    const TDArray<TextureStageEntry>& StageCache() const { return d_.stageCache; }
    void SetFilterCaps(int linear) {
        d_.linearMinFilter = d_.linearMagFilter = d_.linearMipFilter = linear;
    }
    int& LastTextureIndex() { return d_.lastTextureIndex; }
    eTextureType& LastTextureType() { return d_.lastTextureType; }
    void SetTextureMgr(KrTextureMgrBase* manager) { d_.textureMgr = manager; }  // deleted by Exit

  private:
    KrD3DRenDev& d_;
};

namespace resettest {

// The texture manager's part in a reset: its two operations, in the order they ran.
class CountingTextureMgr : public KrTextureMgrBase {
  public:
    explicit CountingTextureMgr(std::string* record) : calls(record) {}
    void ReloadStatics() override { *calls += "R"; }
    void UnlinkDynamics() override { *calls += "U"; }
    int CachedTextureCount(eTextureType) override { return 0; }
    void UnloadCache(eTextureType) override {}
    unsigned int Load(KrStringT<char>) override { return 0; }
    int CreateTexture(unsigned int, unsigned int, eResFormat, unsigned int) override { return 0; }
    KrTextureBase* GetTexture(int) override { return nullptr; }
    unsigned int GetTexture(const KrStringT<char>&) override { return 0; }
    KrTextureBase* GetDynamic(unsigned int) override { return nullptr; }
    bool GetDynamic(unsigned int, int&) override { return false; }
    void** GetTextureInterface(int, eTextureType) override { return nullptr; }
    std::string* calls;
};

class CountingDeviceObject : public KrDeviceDependent {
  public:
    void ReleaseDeviceObjects() override { ++releases; }
    void RestoreDeviceObjects() override { ++restores; }
    int releases = 0;
    int restores = 0;
};

const DWORD kWindowStyle = WS_OVERLAPPEDWINDOW | WS_VISIBLE;

class ResetTest : public ::testing::Test {
  protected:
    ResetTest();
    ~ResetTest() override;

    // A device object wired to the engine (window, sprites, device object, z-buffer), with the
    // adapter table of `modes`; when `create`, its Direct3D device is created windowed and the
    // recorder and log start empty.
    KrD3DRenDev* MakeDevice(const std::vector<ModeSize>& modes, unsigned int current,
                            bool create = true);
    // Deletes the device object; its Releases of the device and the Direct3D object must be the
    // last ones.
    void DeleteDevice(KrD3DRenDev* device);
    // Clears the back buffer to `colour` and reads it back: true when it is `width` x `height`
    // and its corners and centre show the colour.
    bool ClearsTo(KrD3DRenDev* device, unsigned int colour, int width, int height);
    // Argument `index` of the `n`-th recorded call of `method`.
    unsigned long long Arg(const char* method, size_t n, size_t index) const;
    DWORD RenderState(KrD3DRenDev* device, D3DRENDERSTATETYPE state);
    DWORD StageState(KrD3DRenDev* device, DWORD stage, D3DTEXTURESTAGESTATETYPE type);

    krtest::EngineSetUp engine_;
    krtest::D3DRecorder recorder_;
    KrWindowBase window_;
    KrSpriteDaemon sprites_;
    CountingDeviceObject deviceObject_;
};

}  // namespace resettest
