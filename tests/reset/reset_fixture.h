// What the reset, toggle and state-cache tests share: white-box access to the device, an engine
// with its window, a Direct3D object behind the recording proxy, and an adapter table filled the
// way the enumeration leaves it for the real adapter (or for a scripted mode list).
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
    explicit KrD3DRenDevProbe(KrD3DRenDev& device) : device_(device) {}

    // The device takes over the caller's reference; ExitAPI releases it.
    void UseDirect3D(IDirect3D9* d3d) { device_.d3d = d3d; }
    void UseDevice(IDirect3DDevice9* device) { device_.device = device; }
    // Adapter 0 with one device record of `type` holding `modes` (X8R8G8B8 with a D24X8 depth
    // buffer), `current` selected, as the enumeration and the mode selection leave it.
    void FillAdapter(const std::vector<ModeSize>& modes, unsigned int current,
                     D3DDEVTYPE type = D3DDEVTYPE_HAL);
    // A further device record on adapter 0, of `type`, with the same modes as the first.
    void AddDeviceRecord(D3DDEVTYPE type);
    D3DAdapterInfo& Adapter(int index) { return device_.adapters[index]; }
    D3DDeviceInfo& CurrentDeviceRecord() {
        D3DAdapterInfo& adapter = device_.adapters[device_.currentAdapter];
        return adapter.devices[adapter.currentDevice];
    }
    int& CurrentAdapter() { return device_.currentAdapter; }

    void SetRenderState(D3DRENDERSTATETYPE state, unsigned long value) {
        device_.SetRenderState(state, value);
    }
    void SetTextureStageState(int stage, D3DTEXTURESTAGESTATETYPE type, unsigned long value) {
        device_.SetTextureStageState(stage, type, value);
    }
    const TDArray<RenderStateEntry>& StateCache() const { return device_.stateCache; }
    const TDArray<TextureStageEntry>& StageCache() const { return device_.stageCache; }
    void SetFilterCaps(bool linear) {
        device_.linearMinFilter = device_.linearMagFilter = device_.linearMipFilter = linear;
    }
    void SetLastTexture(int index, eTextureType type) {
        device_.lastTextureIndex = index;
        device_.lastTextureType = type;
    }
    int LastTextureIndex() const { return device_.lastTextureIndex; }
    eTextureType LastTextureType() const { return device_.lastTextureType; }
    // The device deletes the manager in Exit.
    void SetTextureMgr(KrTextureMgrBase* manager) { device_.textureMgr = manager; }

  private:
    KrD3DRenDev& device_;
};

namespace resettest {

// The texture manager's part in a reset: which of its two operations ran, in order.
class CountingTextureMgr : public KrTextureMgrBase {
  public:
    std::string* calls;
    explicit CountingTextureMgr(std::string* record) : calls(record) {}
    int CachedTextureCount(eTextureType) override { return 0; }
    void UnloadCache(eTextureType) override {}
    void ReloadStatics() override { *calls += "R"; }
    void UnlinkDynamics() override { *calls += "U"; }
    unsigned int Load(KrStringT<char>) override { return 0; }
    int CreateTexture(unsigned int, unsigned int, eResFormat, unsigned int) override { return 0; }
    KrTextureBase* GetTexture(int) override { return nullptr; }
    unsigned int GetTexture(const KrStringT<char>&) override { return 0; }
    KrTextureBase* GetDynamic(unsigned int) override { return nullptr; }
    bool GetDynamic(unsigned int, int&) override { return false; }
    void** GetTextureInterface(int, eTextureType) override { return nullptr; }
};

class CountingDeviceObject : public KrDeviceDependent {
  public:
    int releases = 0;
    int restores = 0;
    void ReleaseDeviceObjects() override { ++releases; }
    void RestoreDeviceObjects() override { ++restores; }
};

// The engine a device lives in: configuration, application, its window, sprites, the recording
// seam. The rendering device is made by the test (it owns the Direct3D objects).
class ResetTest : public ::testing::Test {
  protected:
    explicit ResetTest(const std::string& ini = krtest::EngineSetUp::DefaultIni());
    ~ResetTest() override;

    // A device object wired to the engine, on a recorded Direct3D object, with the adapter
    // table of `modes` (current mode `current`). Null when Direct3D is not there.
    KrD3DRenDev* MakeDevice(const std::vector<ModeSize>& modes, unsigned int current,
                            bool windowed = true);
    // Deletes the device object; true when the device and the Direct3D object reached 0 on
    // their last Release.
    bool DeleteDevice(KrD3DRenDev* device);

    // Clears the back buffer to `colour` and reads it back: true when every corner and the
    // centre show it, and the size is `width` x `height`.
    bool ClearsTo(IDirect3DDevice9* device, unsigned int colour, int width, int height);
    std::vector<std::string> Log() const { return krtest::LogLines(); }
    bool Logged(const std::string& line) const;

    krtest::EngineSetUp engine_;
    krtest::D3DRecorder recorder_;
    KrWindowBase window_;
    KrSpriteDaemon sprites_;
    CountingDeviceObject deviceObject_;
};

}  // namespace resettest
