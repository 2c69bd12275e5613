// One device life as the engine drives it, replayed by the fault sweeps with one platform call or
// one allocation made to fail: Init, the builtins and the paths scene for a few frames each, a
// screenshot, full screen and back, a reset, then Exit and deletion (the harness's stop checks
// what the life left behind).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform.h"
#include "running_device.h"
#include "scene.h"

namespace faults {

// A small window; full screen at the virtual desktop's size, so no mode changes.
const char kIni[] =
    "[Display]\nStartFullScreen=0\nWindowWidth=800\nWindowHeight=600\nScreenWidth=800\n"
    "ScreenHeight=600\n\n[Engine]\nSafe=0\n\n[Render]\nUseZBuffer=1\nUseWBuffer=0\n"
    "DepthBufferBitDepth=24\n";

// The calls D3DX makes on the device inside the device's own D3DX calls, as ranges of recorded
// calls: the device sees only what D3DX answers.
inline std::vector<std::pair<size_t, size_t>> g_insideD3DX;
inline krtest::D3DRecorder* g_recorder = nullptr;
template <typename R, typename... A>
void Note(R (*&entry)(A...)) {
    static R (*inner)(A...) = nullptr;
    inner = entry;
    entry = [](A... a) {
        const size_t first = g_recorder->calls.size() + 1;
        const R result = inner(a...);
        g_insideD3DX.emplace_back(first, g_recorder->calls.size());
        return result;
    };
}

struct Life {
    bool started = false;
    int safe = -1;  // the safe-mode key on disk after the life
    // Each part ("Init", "scene 0", "frame 0.2", "screenshot" ...) with the recorded call and the
    // allocation of the core library it began at.
    struct Part {
        std::string name;
        size_t call;
        long long allocation;
    };
    std::vector<Part> parts;
    std::vector<std::string> log;
};

// `frame(scene, n)` runs before each frame; false leaves the scene. `arm` runs right before Init.
inline Life Live(
    krtest::D3DRecorder* recorder, int frames, const std::function<bool(int, int)>& frame = nullptr,
    const std::function<void()>& arm = [] {}) {
    Life life;
    const auto part = [&](const std::string& name) {
        life.parts.push_back(
            {name, recorder != nullptr ? recorder->calls.size() : 0, krAllocationCount()});
    };
    krtest::RunningDevice running(recorder, kIni);
    if ((g_recorder = recorder) != nullptr) {
        Note(Platform().D3DXCreateTextureFromFileA);
        Note(Platform().D3DXSaveSurfaceToFileA);
        recorder->Clear();
    }
    g_insideD3DX.clear();
    krtest::ClearLog();
    arm();
    part("Init");
    KrRenderBase* render = running.Render();
    life.started = running.Start();
    for (int s = 0; s < 2 && life.started; ++s) {
        part("scene " + std::to_string(s));
        auto scene = s == 0 ? krview::MakeBuiltinsScene() : krview::MakePathsScene();
        if (scene->Create(render, running.App())) {
            render->SetDeviceObject(scene.get());
            bool lost = false;
            for (int n = 0; n < frames && (!frame || frame(s, n)); ++n) {
                part("frame " + std::to_string(s) + "." + std::to_string(n));
                running.Window().PumpMessages();
                // The engine brings a lost device back with a reset, once a frame.
                lost = lost && !render->UpdateDimensions();
                if (!lost) {
                    scene->Animate(running.App(), n);
                    if (render->PreRender(ePreRenderClear) >= 0) {
                        scene->Draw(render, running.App(), n);
                    }
                    const long result = render->EndRender();
                    lost = result == D3DERR_DEVICELOST || result == D3DERR_DEVICENOTRESET;
                }
            }
            render->SetDeviceObject(nullptr);
        }
        part("tear-down " + std::to_string(s));
        scene->Destroy(render);
    }
    if (life.started) {
        part("screenshot");
        render->takeScreenshot(KrStringT<char>((running.StartFolder() + "\\faults.bmp").c_str()));
        part("full screen");
        render->ToggleFullScreen(true);
        part("window");
        render->ToggleFullScreen(true);
        part("reset");
        render->UpdateDimensions();
    }
    part("Exit");
    running.Stop();
    krFailAllocationAfter(0);
    life.log = krtest::LogLines();
    KrConfigCache config;
    config.Load(running.IniPath().c_str());
    config.GetInteger(KrStringT<char>("Engine"), KrStringT<char>("Safe"), life.safe);
    return life;
}

}  // namespace faults
