// Switching between window and full screen, or re-applying the configured size of the current
// presentation: the same Direct3D device is reset, never re-created.
#include "alpha_states.h"
#include "d3d_ren_dev.h"
#include "mode_search.h"
#include "present_params.h"
#include "window_placement.h"

namespace {

// A size key that is absent leaves the current mode's dimension, so the search does not move
// along that dimension.
void ReadTargetSize(bool windowed, const D3DModeInfo& current, unsigned int& width,
                    unsigned int& height) {
    int w = static_cast<int>(current.width);
    int h = static_cast<int>(current.height);
    KrConfigCache* config = Engine().GetConfig();
    config->GetInteger("Display", windowed ? "WindowWidth" : "ScreenWidth", w);
    config->GetInteger("Display", windowed ? "WindowHeight" : "ScreenHeight", h);
    width = static_cast<unsigned int>(w);
    height = static_cast<unsigned int>(h);
}

}  // namespace

bool KrD3DRenDev::ToggleFullScreen(bool toggle) {
    if (currentAdapter == -1 || device == nullptr) {
        GLog.WriteLine("WARNING: Failed to Reset D3DDevice in ToggleFullScreen()");
        return false;
    }
    D3DAdapterInfo& adapter = adapters[currentAdapter];
    D3DDeviceInfo& deviceInfo = adapter.devices[adapter.currentDevice];

    if (toggle) {
        Windowed() = !Windowed();
    }
    deviceInfo.windowed = Windowed();
    ShowEngineCursor();

    unsigned int width = 0;
    unsigned int height = 0;
    ReadTargetSize(Windowed(), deviceInfo.modes[deviceInfo.currentMode], width, height);
    if (toggle) {
        // The choice is remembered at once, and stays even if the reset below fails.
        if (Windowed()) {
            GLog.DebugPrintf("Switching to windowed");
            SetEngineWindowStyle(*this, true);
            Engine().GetConfig()->SetInteger("Display", "StartFullScreen", 0);
        } else {
            SaveCurrWinPos();
            GLog.DebugPrintf("Switching to full-screen mode");
            SetEngineWindowStyle(*this, false);
            Engine().GetConfig()->SetInteger("Display", "StartFullScreen", 1);
        }
    }

    bool found = SearchModeList(deviceInfo, width, height);
    const D3DModeInfo& mode = deviceInfo.modes[deviceInfo.currentMode];
    PresentationChoice choice = {&adapter,       &deviceInfo,
                                 &mode,          deviceInfo.windowed,
                                 ParentHandle(), D3DPRESENT_INTERVAL_IMMEDIATE};
    ApplyPresentationChoice(presentParams, choice);
    GLog.DebugPrintf("DEBUG: Switching to %ix%i", static_cast<int>(mode.width),
                     static_cast<int>(mode.height));

    ReleaseDependants();
    if (!found) {
        return false;
    }
    if (FAILED(device->Reset(&presentParams))) {
        GLog.WriteLine("WARNING: Failed to Reset D3DDevice in ToggleFullScreen()");
        return false;
    }
    RefreshRes();
    CreateDependants();
    SetRenderStates();

    // The caches still hold these values from before the reset, so they would send nothing; the
    // reset device is back at Direct3D's defaults and needs them sent directly.
    for (const RenderStateEntry& setting : kAlphaRenderStates) {
        device->SetRenderState(static_cast<D3DRENDERSTATETYPE>(setting.state), setting.value);
    }
    for (DWORD stage = 0; stage < kCachedStageCount; ++stage) {
        for (const TextureStageSetting& setting : kAlphaStageStates) {
            device->SetTextureStageState(stage, setting.type, setting.value);
        }
    }

    if (toggle) {
        PlaceEngineWindow(*this, Windowed());
    }
    return true;
}
