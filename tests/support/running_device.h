// A rendering device started the way the engine starts it: an engine window, a configuration
// file, the media root as the current folder (media dir "."), the plug-in's own factory and Init.
// The recording proxy of Direct3D stands behind the platform seam, the test's recorder or the
// harness's own, so that every frame's Present runs the audit of the bind filter and the caches.
#pragma once

#include <memory>
#include <string>

#include "d3d_ren_dev.h"
#include "kr_test_support.h"
#include "recording_d3d.h"

namespace krtest {

class RunningDevice {
  public:
    explicit RunningDevice(D3DRecorder* recorder = nullptr,
                           const std::string& iniText = EngineSetUp::DefaultIni(), int width = 800,
                           int height = 600);
    ~RunningDevice();
    RunningDevice(const RunningDevice&) = delete;
    RunningDevice& operator=(const RunningDevice&) = delete;

    // Init through the engine's interface; false when the device could not start.
    bool Start();
    // Exit and deletion, as the engine ends a device; safe to call twice. Then the leak checks of
    // every device life: host live blocks and the files the process holds open back where they
    // were before the device object was made, and the device's releases of its Direct3D device and
    // Direct3D object the last ones (a reference the harness took beforehand is the last to go).
    void Stop();
    // Set for lives in which a call D3DX makes inside its own failed: Wine's D3DX may then keep a
    // reference to the Direct3D object for good. Stop counts such lives instead of failing them.
    static inline bool d3dxMayKeepDirect3D = false;
    static inline int direct3DKeptByD3DX = 0;

    KrRenderBase* Render() const { return render_; }
    KrD3DRenDev* Device() const { return static_cast<KrD3DRenDev*>(render_); }
    IDirect3DDevice9* Direct3DDevice() const { return Device()->Device(); }
    KrApplication& App() { return engine_->App(); }
    KrWindowBase& Window() { return window_; }
    const std::string& IniPath() const { return iniPath_; }
    // Where the test program started (the media root is the current folder meanwhile).
    const std::string& StartFolder() const { return startFolder_; }

  private:
    // At every Present of the device (the real one behind the proxy): what Direct3D holds bound
    // is what the bind filter believes it sent, and neither state cache holds a state twice.
    void Audit(IDirect3DDevice9* real);

    std::string startFolder_;
    std::string iniPath_;
    std::unique_ptr<EngineSetUp> engine_;
    D3DRecorder ownRecorder_;
    D3DRecorder* recorder_;
    std::unique_ptr<RecordingPlatformScope> recording_;
    KrWindowBase window_;
    KrSpriteDaemon sprites_;
    KrRenderBase* render_ = nullptr;
    int blocksAtStart_ = 0;
    size_t filesAtStart_ = 0;
};

}  // namespace krtest
