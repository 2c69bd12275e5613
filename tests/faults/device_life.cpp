#include "device_life.h"

#include <windows.h>

#include <memory>

#include "d3d_ren_dev.h"
#include "kr_test_support.h"
#include "platform.h"
#include "scene.h"

namespace faults {
namespace {

// Direct3D's results for a device that is lost or waits for a reset, as EndRender passes them on.
const long kDeviceLost = static_cast<long>(0x88760868UL);
const long kDeviceNotReset = static_cast<long>(0x88760869UL);

// The Direct3D object each life creates, with one reference of the stage's own, so that what the
// device leaves of it can be seen after the device is gone.
IDirect3D9*(WINAPI* g_innerCreate)(UINT) = nullptr;
IDirect3D9* g_kept = nullptr;
IDirect3D9* WINAPI CreateAndKeep(UINT version) {
    IDirect3D9* d3d = g_innerCreate(version);
    if (d3d != nullptr && g_kept == nullptr) {
        d3d->AddRef();
        g_kept = d3d;
    }
    return d3d;
}

// The module's D3DX calls, wrapped to note which recorded calls D3DX made inside them.
krtest::D3DRecorder* g_recorder = nullptr;
std::vector<std::pair<size_t, size_t>> g_insideD3DX;
HRESULT(WINAPI* g_innerLoad)(LPDIRECT3DDEVICE9, LPCSTR, LPDIRECT3DTEXTURE9*) = nullptr;
HRESULT WINAPI LoadAndNote(LPDIRECT3DDEVICE9 device, LPCSTR path, LPDIRECT3DTEXTURE9* texture) {
    const size_t first = g_recorder->calls.size() + 1;
    const HRESULT hr = g_innerLoad(device, path, texture);
    g_insideD3DX.push_back(std::make_pair(first, g_recorder->calls.size()));
    return hr;
}
HRESULT(WINAPI* g_innerSave)
(LPCSTR, D3DXIMAGE_FILEFORMAT, LPDIRECT3DSURFACE9, const PALETTEENTRY*, const RECT*) = nullptr;
HRESULT WINAPI SaveAndNote(LPCSTR path, D3DXIMAGE_FILEFORMAT format, LPDIRECT3DSURFACE9 surface,
                           const PALETTEENTRY* palette, const RECT* rect) {
    const size_t first = g_recorder->calls.size() + 1;
    const HRESULT hr = g_innerSave(path, format, surface, palette, rect);
    g_insideD3DX.push_back(std::make_pair(first, g_recorder->calls.size()));
    return hr;
}

std::string CurrentFolder() {
    char folder[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, folder);
    return folder;
}

}  // namespace

const char* PartName(Part part) {
    switch (part) {
        case Part::Start:
            return "Init";
        case Part::SceneSetUp:
            return "scene set-up";
        case Part::Frame:
            return "frame";
        case Part::SceneTearDown:
            return "scene tear-down";
        case Part::Screenshot:
            return "screenshot";
        case Part::ToFullScreen:
            return "switch to full screen";
        case Part::ToWindow:
            return "switch back to the window";
        case Part::Reset:
            return "UpdateDimensions";
        case Part::Exit:
            return "Exit";
        case Part::Deletion:
            return "deletion";
    }
    return "?";
}

std::string Describe(const krtest::RecordedCall& call) {
    std::string text = call.method;
    if (!call.text.empty() && call.text.size() < 80) {
        text += "(" + call.text + ")";
    }
    return text;
}

LifeStage::LifeStage(krtest::D3DRecorder* recorder)
    : startFolder_(CurrentFolder()),
      screenshotPath_(startFolder_ + "\\faults_screenshot.bmp"),
      recorder_(recorder) {
    if (recorder_ != nullptr) {
        krtest::InstallRecordingPlatform(recorder_);
    }
    g_innerCreate = Platform().Direct3DCreate9;
    Platform().Direct3DCreate9 = CreateAndKeep;
    if (recorder_ != nullptr) {
        g_recorder = recorder_;
        g_innerLoad = Platform().D3DXCreateTextureFromFileA;
        Platform().D3DXCreateTextureFromFileA = LoadAndNote;
        g_innerSave = Platform().D3DXSaveSurfaceToFileA;
        Platform().D3DXSaveSurfaceToFileA = SaveAndNote;
    }
    SetCurrentDirectoryA(krtest::MediaRoot().c_str());
}

const std::vector<std::pair<size_t, size_t>>& LifeStage::InsideD3DX() {
    return g_insideD3DX;
}

LifeStage::~LifeStage() {
    RestorePlatform();
    g_recorder = nullptr;
    SetCurrentDirectoryA(startFolder_.c_str());
    DeleteFileA(screenshotPath_.c_str());
}

std::string LifeStage::Ini() {
    return "[Display]\nStartFullScreen=0\nWindowWidth=800\nWindowHeight=600\nScreenWidth=800\n"
           "ScreenHeight=600\n\n[Engine]\nSafe=0\n\n[Render]\nUseZBuffer=1\nUseWBuffer=0\n"
           "DepthBufferBitDepth=24\n";
}

LifeOutcome LifeStage::Live(const LifeOptions& options, const std::function<void()>& arm) {
    LifeOutcome outcome;
    krtest::EngineSetUp engine(Ini(), (startFolder_ + "\\faults.ini").c_str());
    Engine().SetMediaDir(".");
    engine.App().Lights()->AddLight(KrVector(0.0f, 30.0f, 0.0f), 120.0f);
    KrWindowBase window;
    window.Create("kr fault sweep", 800, 600);
    Engine().SetOSGUI(&window);
    KrSpriteDaemon sprites;
    std::unique_ptr<krview::Scene> scenes[2] = {krview::MakeBuiltinsScene(),
                                                krview::MakePathsScene()};
    g_kept = nullptr;
    g_insideD3DX.clear();
    krtest::ClearLog();
    if (recorder_ != nullptr) {
        recorder_->Clear();
    }

    Mark mark{Part::Start, -1, -1, 0, 0};
    const auto begin = [&](Part part, int scene, int frame) {
        mark.part = part;
        mark.scene = scene;
        mark.frame = frame;
        mark.calls = recorder_ != nullptr ? recorder_->calls.size() : 0;
        mark.allocations = krAllocationCount();
        if (options.onPart) {
            options.onPart(mark);
        }
    };

    outcome.blocksBefore = krLiveBlocks();
    if (arm) {
        arm();
    }
    begin(Part::Start, -1, -1);
    const long long lifeStart = mark.allocations;
    KrRenderBase* render = fnGetRenderingDevice();
    IDirect3DDevice9* device = nullptr;
    if (render != nullptr) {
        outcome.created = true;
        render->ParentHandle() = window.Handle();
        render->WindowStyle() = window.Style();
        RECT client = {0, 0, 800, 600};
        render->SetClientArea(client);
        render->SetLightMgr(engine.App().Lights());
        render->SetSpriteDaemon(&sprites);
        Engine().SetRender(render);
        outcome.started = render->Init();
        device = static_cast<KrD3DRenDev*>(render)->Device();
        if (device != nullptr) {
            device->AddRef();
        }
    }
    if (outcome.started) {
        bool enough = false;
        for (int s = 0; s < 2 && !enough; ++s) {
            krview::Scene& scene = *scenes[s];
            begin(Part::SceneSetUp, s, -1);
            if (scene.Create(render, engine.App())) {
                render->SetDeviceObject(&scene);
                bool lost = false;
                for (int frame = 0; frame < options.frames[s] && !enough; ++frame) {
                    begin(Part::Frame, s, frame);
                    window.PumpMessages();
                    // The engine brings a lost device back with a reset, once a frame.
                    if (lost && render->UpdateDimensions()) {
                        lost = false;
                    }
                    if (!lost) {
                        scene.Animate(engine.App(), frame);
                        if (render->PreRender(ePreRenderClear) >= 0) {
                            scene.Draw(render, engine.App(), frame);
                        }
                        const long result = render->EndRender();
                        lost = result == kDeviceLost || result == kDeviceNotReset;
                    }
                    ++outcome.framesPlayed;
                    enough = options.enoughFrames && options.enoughFrames();
                    if (!enough && options.sceneDone && options.sceneDone(s)) {
                        break;
                    }
                }
                begin(Part::SceneTearDown, s, -1);
                render->SetDeviceObject(nullptr);
            }
            scene.Destroy(render);
        }
        begin(Part::Screenshot, -1, -1);
        render->takeScreenshot(KrStringT<char>(screenshotPath_.c_str()));
        begin(Part::ToFullScreen, -1, -1);
        render->ToggleFullScreen(true);
        begin(Part::ToWindow, -1, -1);
        render->ToggleFullScreen(true);
        begin(Part::Reset, -1, -1);
        render->UpdateDimensions();
    }
    if (render != nullptr) {
        begin(Part::Exit, -1, -1);
        render->Exit();
        begin(Part::Deletion, -1, -1);
        fnDeleteRenderingDevice(render);
        Engine().SetRender(nullptr);
    }
    outcome.allocations = krAllocationCount() - lifeStart;
    krFailAllocationAfter(0);
    for (auto& scene : scenes) {
        scene.reset();
    }
    outcome.blocksAfter = krLiveBlocks();
    outcome.log = krtest::LogLines();
    if (device != nullptr) {
        outcome.deviceCount = static_cast<long>(device->Release());
    }
    if (g_kept != nullptr) {
        outcome.direct3DCount = static_cast<long>(g_kept->Release());
        g_kept = nullptr;
    }
    Engine().SetOSGUI(nullptr);
    window.Destroy();
    return outcome;
}

}  // namespace faults
