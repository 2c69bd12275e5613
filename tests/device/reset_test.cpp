// Resets and the full-screen toggle of Wine's device under the virtual desktop: what a reset
// releases and restores, the walk along the mode list to the configured size, the window's style
// and place, and the render-state cache after a reset put the device back to its defaults.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>

#include "device_probe.h"
#include "running_device.h"

namespace {

using krtest::LogLines;
typedef std::vector<std::string> Lines;

class CountingDeviceObject : public KrDeviceDependent {
  public:
    void ReleaseDeviceObjects() override { ++releases; }
    void RestoreDeviceObjects() override { ++restores; }
    int releases = 0;
    int restores = 0;
};

TEST(DeviceReset, ResizeReleasesAndRestoresTheDependants) {
    CountingDeviceObject object;
    krtest::D3DRecorder recorder;
    krtest::RunningDevice run(&recorder);
    ASSERT_TRUE(run.Start()) << krtest::Join(LogLines());
    run.Render()->SetDeviceObject(&object);
    KrTextureMgrBase* textures = run.Render()->TextureMgr();
    ASSERT_GE(textures->CreateTexture(64, 64, eResFmtA8R8G8B8, 1), 0);
    const size_t statics = static_cast<size_t>(textures->CachedTextureCount(eTexStatic));
    ASSERT_GE(statics, 1u) << "the built-in shaders' fallback texture";
    // A lost device fails its reset: the dependants stay released until a reset succeeds.
    for (bool lost : {false, true, false}) {
        const int releases = object.releases, restores = object.restores;
        recorder.Clear();
        krtest::ClearLog();
        if (lost)
            recorder.FailCall("Reset", D3DERR_DEVICELOST);
        EXPECT_EQ(run.Render()->UpdateDimensions(), !lost);
        EXPECT_EQ(object.releases, releases + 1);
        EXPECT_EQ(object.restores, restores + (lost ? 0 : 1));
        EXPECT_EQ(run.Render()->SpriteDaemon()->IsReady(), !lost);
        // Static textures are loaded again from their files; dynamic ones wait for the engine.
        EXPECT_EQ(recorder.Count("D3DXCreateTextureFromFileA"), statics);
        EXPECT_EQ(textures->CachedTextureCount(eTexDynamic), 0);
        EXPECT_EQ(LogLines(false),
                  Lines(lost, "WARNING: Failed to Reset D3DDevice in UpdateDimensions()"));
    }
}

TEST(FullScreenToggle, ModeSearchWalksTheListToTheConfiguredSize) {
    krtest::D3DRecorder recorder;
    krtest::RunningDevice run(&recorder);
    ASSERT_TRUE(run.Start()) << krtest::Join(LogLines());
    KrD3DRenDev& device = *run.Device();
    D3DDeviceInfo& record = KrD3DRenDevProbe(device).Adapter(device.CurrentAdapter()).devices[0];
    const UINT sizes[][2] = {{640, 480},  {800, 600},  {1024, 600},
                             {1024, 768}, {1152, 864}, {1280, 1024}};
    record.numModes = 6;
    for (int i = 0; i < 6; ++i) {
        record.modes[i].width = sizes[i][0];
        record.modes[i].height = sizes[i][1];
    }
    const struct {
        unsigned int start;
        int width, height;
        unsigned int end;  // where the search stopped
        bool found;
    } rows[] = {
        {1, 1024, 768, 3, true},    // up by width, then by height
        {1, 640, 480, 0, true},     // down
        {2, 1024, 768, 2, true},    // as wide but shorter: no search at all
        {1, 1024, 800, 4, true},    // the height search may end on a wider mode
        {5, 1024, 600, 2, true},    // down by width, then by height
        {1, 1600, 1200, 5, false},  // off the end
        {1, 320, 200, 0, false},    // off the start
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.start << " to " << row.width << "x" << row.height);
        record.currentMode = row.start;
        Engine().GetConfig()->SetInteger("Display", "WindowWidth", row.width);
        Engine().GetConfig()->SetInteger("Display", "WindowHeight", row.height);
        recorder.Clear();
        krtest::ClearLog();
        EXPECT_EQ(device.ToggleFullScreen(false), row.found);
        EXPECT_EQ(record.currentMode, row.end);
        EXPECT_EQ(recorder.Count("Reset"), row.found ? 1u : 0u);
        EXPECT_EQ(LogLines(false),
                  Lines(!row.found,
                        "CRITICAL: Toggle fullscreen was unable to find the requested "
                        "display mode"));
        if (row.found) {
            EXPECT_EQ(device.BackBufferDesc().Width, sizes[row.end][0]);
            EXPECT_EQ(device.BackBufferDesc().Height, sizes[row.end][1]);
        }
    }
}

TEST(FullScreenToggle, SwitchesToTheScreenSizeAndBackToTheWindowsPlace) {
    krtest::RunningDevice run;  // a window of 800x600, a screen of 1024x768
    ASSERT_TRUE(run.Start()) << krtest::Join(LogLines());
    HWND window = run.Window().Handle();
    SetWindowPos(window, nullptr, 50, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    RECT before, after;
    GetWindowRect(window, &before);
    const LONG windowStyle = GetWindowLongA(window, GWL_STYLE);
    for (int toggle = 0; toggle < 4; ++toggle) {
        const bool windowed = toggle % 2 == 1;
        ASSERT_TRUE(run.Render()->ToggleFullScreen(true)) << krtest::Join(LogLines());
        EXPECT_EQ(run.Render()->Windowed(), windowed);
        EXPECT_EQ(run.Device()->BackBufferDesc().Width, windowed ? 800u : 1024u);
        EXPECT_EQ(run.Device()->BackBufferDesc().Height, windowed ? 600u : 768u);
        EXPECT_EQ(GetWindowLongA(window, GWL_STYLE) & WS_CAPTION, windowed ? WS_CAPTION : 0);
        EXPECT_NE(krtest::ReadFile(run.IniPath())
                      .find(windowed ? "StartFullScreen=0\n" : "StartFullScreen=1\n"),
                  std::string::npos);
    }
    GetWindowRect(window, &after);
    EXPECT_EQ(GetWindowLongA(window, GWL_STYLE), windowStyle);
    EXPECT_EQ(after.left, before.left);
    EXPECT_EQ(after.top, before.top);
    EXPECT_EQ(after.right - after.left, before.right - before.left);
}

TEST(RenderStateCache, SendsChangesOnlyPerStageAndTheToggleRestoresWhatTheResetCleared) {
    krtest::D3DRecorder recorder;
    krtest::RunningDevice run(&recorder);
    ASSERT_TRUE(run.Start()) << krtest::Join(LogLines());
    KrRenderBase& device = *run.Render();
    KrD3DRenDevProbe probe(*run.Device());
    const DWORD kModulate = D3DTOP_MODULATE, kAlphaOp = D3DTSS_ALPHAOP, kArg = D3DTSS_ALPHAARG1;
    const struct {
        std::function<void()> request;  // none: the texture-stage state of the row's stage
        int stage;                      // -1: a render state
        DWORD state, value;
        size_t sent;
        const char* line = nullptr;
    } rows[] = {
        // One stage's value never stands in for the other's; stages above 1 are sent every time.
        {nullptr, 0, kAlphaOp, kModulate, 1},
        {nullptr, 1, kAlphaOp, kModulate, 1},
        {nullptr, 0, kAlphaOp, kModulate, 0},
        {nullptr, 1, kAlphaOp, D3DTOP_DISABLE, 1},
        {nullptr, 1, kArg, D3DTA_DIFFUSE, 1},
        {nullptr, 0, kArg, D3DTA_DIFFUSE, 1},
        {nullptr, 2, kAlphaOp, kModulate, 1},
        {nullptr, 2, kAlphaOp, kModulate, 1},
        {[&] { device.SetAlpha(false); }, -1, D3DRS_ALPHABLENDENABLE, TRUE, 6},
        {[&] { device.SetAlpha(true); }, -1, D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL, 0},
        {[&] { device.SetPolyCullMode(eCullNone); }, -1, D3DRS_CULLMODE, D3DCULL_NONE, 1},
        {[&] { device.SetPolyCullMode(eCullNone); }, -1, D3DRS_CULLMODE, D3DCULL_NONE, 0},
        {[&] { device.SetPolyCullMode(ePolyCullMode(7)); }, -1, D3DRS_CULLMODE, D3DCULL_NONE, 0,
         "ERROR: Invalid poly cull mode"},
        // The reset gives the device Direct3D's defaults back; the toggle sends the alpha states
        // again itself, and the standard states send the cull mode that changed.
        {[&] { device.ToggleFullScreen(false); }, -1, D3DRS_ALPHATESTENABLE, TRUE, 7},
        {[&] { device.SetAlpha(true); }, -1, D3DRS_ALPHABLENDENABLE, TRUE, 0},
        {[&] { device.SetPolyCullMode(eCullCCW); }, -1, D3DRS_CULLMODE, D3DCULL_CCW, 0},
        {[&] { device.SetPolyCullMode(eCullNone); }, -1, D3DRS_CULLMODE, D3DCULL_NONE, 1}};
    for (const auto& row : rows) {
        SCOPED_TRACE(&row - rows);
        recorder.Clear();
        const auto type = static_cast<D3DTEXTURESTAGESTATETYPE>(row.state);
        row.request ? row.request() : probe.SetStageState(row.stage, type, row.value);
        EXPECT_EQ(recorder.Count(row.stage < 0 ? "SetRenderState" : "SetTextureStageState"),
                  row.sent);
        EXPECT_TRUE(!row.line || LogLines().back() == row.line);
        DWORD value = 0xDEADBEEF;
        row.stage < 0 ? run.Direct3DDevice()->GetRenderState(
                            static_cast<D3DRENDERSTATETYPE>(row.state), &value)
                      : run.Direct3DDevice()->GetTextureStageState(static_cast<DWORD>(row.stage),
                                                                   type, &value);
        EXPECT_EQ(value, row.value);
    }
}

}  // namespace
