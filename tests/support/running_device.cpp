#include "running_device.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace krtest {

namespace {
std::string CurrentFolder() {
    char folder[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, folder);
    return folder;
}
}  // namespace

RunningDevice::RunningDevice(D3DRecorder* recorder, const std::string& iniText, int width,
                             int height)
    : startFolder_(CurrentFolder()), iniPath_(startFolder_ + "\\running_device.ini") {
    engine_.reset(new EngineSetUp(iniText, iniPath_.c_str()));
    // The built-in shader set-up names the fallback texture with the media dir already in front,
    // and the texture manager puts the media dir in front again: "." is the media dir under which
    // both resolve, with the media root as the current folder.
    SetCurrentDirectoryA(MediaRoot().c_str());
    Engine().SetMediaDir(".");
    if (recorder != nullptr) {
        recording_.reset(new RecordingPlatformScope(recorder));
    }
    window_.Create("kr device test", width, height);
    blocksAtStart_ = krLiveBlocks();
    render_ = fnGetRenderingDevice();
    render_->ParentHandle() = window_.Handle();
    RECT client = {0, 0, width, height};
    render_->SetClientArea(client);
    render_->SetLightMgr(engine_->App().Lights());
    render_->SetSpriteDaemon(&sprites_);
    Engine().SetRender(render_);
    Engine().SetOSGUI(&window_);
}

bool RunningDevice::Start() {
    return render_ != nullptr && render_->Init();
}

void RunningDevice::Stop() {
    if (render_ == nullptr) {
        return;
    }
    // After an Exit of the test's own the pointers still name the objects the device released.
    const bool exited = render_->ExitRequested();
    IDirect3DDevice9* device = exited ? nullptr : Device()->Device();
    IDirect3D9* d3d = exited ? nullptr : Device()->Direct3D();
    if (device != nullptr)
        device->AddRef();
    if (d3d != nullptr)
        d3d->AddRef();
    render_->Exit();
    fnDeleteRenderingDevice(render_);
    render_ = nullptr;
    Engine().SetRender(nullptr);
    Engine().SetOSGUI(nullptr);
    EXPECT_EQ(0, krLiveBlocks() - blocksAtStart_) << "host blocks outlived the device";
    EXPECT_EQ(0ul, device != nullptr ? device->Release() : 0) << "the device outlived its owner";
    const unsigned long direct3D = d3d != nullptr ? d3d->Release() : 0;
    direct3DKeptByD3DX += d3dxMayKeepDirect3D && direct3D > 0 ? 1 : 0;
    EXPECT_TRUE(direct3D == 0 || d3dxMayKeepDirect3D) << "Direct3D outlived the device object";
}

RunningDevice::~RunningDevice() {
    Stop();
    window_.Destroy();
    recording_.reset();
    SetCurrentDirectoryA(startFolder_.c_str());
    engine_.reset();
}

}  // namespace krtest
