// The full-screen toggle: the mode search on a scripted mode list, the switch both ways on the
// real adapter under the virtual desktop, and many switches without a leak.
#include "reset_fixture.h"

namespace resettest {
namespace {

const DWORD kWindowStyle = WS_OVERLAPPEDWINDOW | WS_VISIBLE;

class FullScreenToggleTest : public ResetTest {
  protected:
    KrD3DRenDev* Started(const std::vector<ModeSize>& modes, unsigned int current) {
        KrD3DRenDev* device = MakeDevice(modes, current);
        if (device == nullptr) {
            return nullptr;
        }
        device->WindowStyle() = kWindowStyle;
        device->SetClientArea(RECT{0, 0, 1024, 768});
        if (!device->Reset()) {
            ADD_FAILURE() << krtest::Join(krtest::LogLines());
        }
        recorder_.Clear();
        krtest::ClearLog();
        return device;
    }
    void SetWindowTarget(int width, int height) {
        Engine().GetConfig()->SetInteger("Display", "WindowWidth", width);
        Engine().GetConfig()->SetInteger("Display", "WindowHeight", height);
    }
    DWORD RenderState(KrD3DRenDev* device, D3DRENDERSTATETYPE state) {
        DWORD value = 0;
        device->Device()->GetRenderState(state, &value);
        return value;
    }
    DWORD StageState(KrD3DRenDev* device, DWORD stage, D3DTEXTURESTAGESTATETYPE type) {
        DWORD value = 0;
        device->Device()->GetTextureStageState(stage, type, &value);
        return value;
    }
    // The alpha set-up of a freshly reset device is on the device, not only in the caches.
    void ExpectAlphaOnDevice(KrD3DRenDev* device) {
        EXPECT_EQ(RenderState(device, D3DRS_ALPHABLENDENABLE), static_cast<DWORD>(TRUE));
        EXPECT_EQ(RenderState(device, D3DRS_SRCBLEND), static_cast<DWORD>(D3DBLEND_SRCALPHA));
        EXPECT_EQ(RenderState(device, D3DRS_DESTBLEND), static_cast<DWORD>(D3DBLEND_INVSRCALPHA));
        EXPECT_EQ(RenderState(device, D3DRS_ALPHATESTENABLE), static_cast<DWORD>(TRUE));
        EXPECT_EQ(RenderState(device, D3DRS_ALPHAREF), 1u);
        EXPECT_EQ(RenderState(device, D3DRS_ALPHAFUNC), static_cast<DWORD>(D3DCMP_GREATEREQUAL));
        for (DWORD stage = 0; stage < 2; ++stage) {
            EXPECT_EQ(StageState(device, stage, D3DTSS_ALPHAOP),
                      static_cast<DWORD>(D3DTOP_MODULATE));
            EXPECT_EQ(StageState(device, stage, D3DTSS_ALPHAARG1),
                      static_cast<DWORD>(D3DTA_DIFFUSE));
            EXPECT_EQ(StageState(device, stage, D3DTSS_ALPHAARG2),
                      static_cast<DWORD>(D3DTA_TEXTURE));
        }
    }
};

TEST_F(FullScreenToggleTest, ModeSearchWalksTheListToTheConfiguredSize) {
    const std::vector<ModeSize> modes = {{640, 480},  {800, 600},  {1024, 600},
                                         {1024, 768}, {1152, 864}, {1280, 1024}};
    KrD3DRenDev* device = Started(modes, 1);
    ASSERT_NE(device, nullptr);
    KrD3DRenDevProbe probe(*device);
    const std::string ini = engine_.IniText();

    struct Case {
        unsigned int start;
        int width, height;
        unsigned int end;
    };
    const Case cases[] = {
        {1, 1024, 768, 3},  // up by width, then by height
        {1, 640, 480, 0},   // down
        {2, 1024, 768, 2},  // as wide but shorter: no search at all
        {1, 1024, 800, 4},  // the height search may end on a wider mode
        {5, 1024, 600, 2},  // down by width, then by height
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "from " << c.start << " to " << c.width << "x" << c.height);
        probe.CurrentDeviceRecord().currentMode = c.start;
        SetWindowTarget(c.width, c.height);
        krtest::ClearLog();
        recorder_.Clear();
        ASSERT_TRUE(device->ToggleFullScreen(false));
        const ModeSize& end = modes[c.end];
        EXPECT_EQ(probe.CurrentDeviceRecord().currentMode, c.end);
        ASSERT_EQ(recorder_.Count("Reset"), 1u);
        EXPECT_EQ(recorder_.lastPresentParameters.BackBufferWidth, end.width);
        EXPECT_EQ(recorder_.lastPresentParameters.BackBufferHeight, end.height);
        EXPECT_EQ(recorder_.lastPresentParameters.PresentationInterval,
                  static_cast<UINT>(D3DPRESENT_INTERVAL_DEFAULT));
        EXPECT_EQ(krtest::LogLines(),
                  std::vector<std::string>{"DEBUG: Switching to " + std::to_string(end.width) +
                                           "x" + std::to_string(end.height)});
        EXPECT_TRUE(ClearsTo(device->Device(), 0x4080C0, static_cast<int>(end.width),
                             static_cast<int>(end.height)));
    }
    // Re-applying the size never touches the window or the configuration.
    EXPECT_EQ(recorder_.Count("SetWindowLongA"), 0u);
    EXPECT_EQ(window_.Placements(), 1);
    EXPECT_TRUE(device->Windowed());

    // Off either end of the list: no reset, the dependants stay released, the index names the
    // last mode looked at.
    const Case beyond[] = {{1, 1600, 1200, 5}, {1, 320, 200, 0}};
    for (const Case& c : beyond) {
        probe.CurrentDeviceRecord().currentMode = c.start;
        SetWindowTarget(c.width, c.height);
        krtest::ClearLog();
        recorder_.Clear();
        sprites_.Init();
        EXPECT_FALSE(device->ToggleFullScreen(false));
        EXPECT_EQ(probe.CurrentDeviceRecord().currentMode, c.end);
        EXPECT_EQ(recorder_.Count("Reset"), 0u);
        EXPECT_FALSE(sprites_.IsReady());
        const ModeSize& end = modes[c.end];
        EXPECT_EQ(krtest::LogLines(),
                  (std::vector<std::string>{
                      "CRITICAL: Toggle fullscreen was unable to find the requested display mode",
                      "DEBUG: Switching to " + std::to_string(end.width) + "x" +
                          std::to_string(end.height)}));
    }

    // Without the size keys the current mode is the target.
    Engine().GetConfig()->RemoveKey("Display", "WindowWidth");
    Engine().GetConfig()->RemoveKey("Display", "WindowHeight");
    probe.CurrentDeviceRecord().currentMode = 4;
    recorder_.Clear();
    ASSERT_TRUE(device->ToggleFullScreen(false));
    EXPECT_EQ(probe.CurrentDeviceRecord().currentMode, 4u);
    EXPECT_EQ(recorder_.lastPresentParameters.BackBufferWidth, 1152u);
    EXPECT_EQ(engine_.IniText().find("StartFullScreen=0"), ini.find("StartFullScreen=0"));
    EXPECT_TRUE(DeleteDevice(device));
}

TEST_F(FullScreenToggleTest, SwitchesToFullScreenAndBack) {
    KrD3DRenDev* device = Started({{800, 600}, {1024, 768}, {1280, 1024}}, 0);
    ASSERT_NE(device, nullptr);
    KrD3DRenDevProbe probe(*device);
    // The alpha set-up is in the caches, as after any frame.
    device->SetAlpha(true);
    SetWindowPos(window_.Handle(), nullptr, 50, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    RECT before;
    GetWindowRect(window_.Handle(), &before);
    recorder_.Clear();

    ASSERT_TRUE(device->ToggleFullScreen(true)) << krtest::Join(krtest::LogLines());
    EXPECT_FALSE(device->Windowed());
    EXPECT_FALSE(probe.CurrentDeviceRecord().windowed);
    EXPECT_TRUE(krtest::ContainsRun(
        krtest::LogLines(true), {"Switching to full-screen mode", "DEBUG: Switching to 1024x768"}))
        << krtest::Join(krtest::LogLines());
    std::vector<krtest::RecordedCall> style = recorder_.CallsOf("SetWindowLongA");
    ASSERT_EQ(style.size(), 1u);
    EXPECT_EQ(static_cast<DWORD>(style[0].args[2]), 0x90080000u);
    EXPECT_EQ(device->WindowX(), before.left);
    EXPECT_EQ(device->WindowY(), before.top);
    EXPECT_NE(engine_.IniText().find("StartFullScreen=1"), std::string::npos);
    const D3DPRESENT_PARAMETERS& params = recorder_.lastPresentParameters;
    EXPECT_EQ(params.Windowed, FALSE);
    EXPECT_EQ(params.BackBufferWidth, 1024u);
    EXPECT_EQ(params.BackBufferHeight, 768u);
    EXPECT_EQ(params.BackBufferFormat, D3DFMT_X8R8G8B8);
    EXPECT_EQ(params.PresentationInterval, static_cast<UINT>(D3DPRESENT_INTERVAL_IMMEDIATE));
    EXPECT_EQ(device->BackBufferDesc().Width, 1024u);
    EXPECT_EQ(window_.Placements(), 2);
    EXPECT_TRUE(sprites_.IsReady());
    ExpectAlphaOnDevice(device);
    EXPECT_TRUE(ClearsTo(device->Device(), 0xF08000, 1024, 768));

    recorder_.Clear();
    krtest::ClearLog();
    ASSERT_TRUE(device->ToggleFullScreen(true)) << krtest::Join(krtest::LogLines());
    EXPECT_TRUE(device->Windowed());
    EXPECT_TRUE(probe.CurrentDeviceRecord().windowed);
    EXPECT_EQ(krtest::LogLines(true),
              (std::vector<std::string>{"Switching to windowed", "DEBUG: Switching to 800x600"}));
    style = recorder_.CallsOf("SetWindowLongA");
    ASSERT_EQ(style.size(), 1u);
    EXPECT_EQ(static_cast<DWORD>(style[0].args[2]), kWindowStyle);
    EXPECT_EQ(recorder_.Count("GetWindowPlacement"), 0u);
    EXPECT_NE(engine_.IniText().find("StartFullScreen=0"), std::string::npos);
    EXPECT_EQ(params.Windowed, TRUE);
    EXPECT_EQ(params.BackBufferWidth, 800u);
    EXPECT_EQ(params.BackBufferFormat, probe.Adapter(0).desktopMode.Format);
    EXPECT_EQ(params.PresentationInterval, static_cast<UINT>(D3DPRESENT_INTERVAL_DEFAULT));
    // Back where it was before full screen.
    EXPECT_EQ(window_.Placements(), 3);
    RECT after;
    GetWindowRect(window_.Handle(), &after);
    EXPECT_EQ(after.left, before.left);
    EXPECT_EQ(after.top, before.top);
    ExpectAlphaOnDevice(device);
    EXPECT_TRUE(ClearsTo(device->Device(), 0x00A0F0, 800, 600));
    EXPECT_TRUE(DeleteDevice(device));
}

TEST_F(FullScreenToggleTest, ManyTogglesLeakNothing) {
    const int start = krLiveBlocks();
    KrD3DRenDev* device = Started({{800, 600}, {1024, 768}}, 0);
    ASSERT_NE(device, nullptr);
    ASSERT_TRUE(device->ToggleFullScreen(true));
    ASSERT_TRUE(device->ToggleFullScreen(true));
    const int settled = krLiveBlocks();
    for (int i = 0; i < 20; ++i) {
        ASSERT_TRUE(device->ToggleFullScreen(true)) << "toggle " << i;
    }
    EXPECT_TRUE(device->Windowed());
    EXPECT_EQ(krLiveBlocks(), settled);
    EXPECT_TRUE(ClearsTo(device->Device(), 0x302010, 800, 600));
    EXPECT_TRUE(DeleteDevice(device));
    EXPECT_EQ(krLiveBlocks(), start);
}

}  // namespace
}  // namespace resettest

namespace resettest {
namespace {

// The engine's own road: the adapter table comes from the enumeration of Wine's adapter.
TEST_F(FullScreenToggleTest, TogglesThroughTheEnumeratedModes) {
    KrD3DRenDev* device = new KrD3DRenDev();
    device->ParentHandle() = window_.Handle();
    device->WindowStyle() = kWindowStyle;
    device->SetClientArea(RECT{0, 0, 1024, 768});
    device->SetSpriteDaemon(&sprites_);
    Engine().SetRender(device);
    ASSERT_TRUE(device->InitAPI()) << krtest::Join(krtest::LogLines());
    ASSERT_TRUE(device->Reset()) << krtest::Join(krtest::LogLines());
    EXPECT_TRUE(ClearsTo(device->Device(), 0x6040A0, 800, 600));

    ASSERT_TRUE(device->ToggleFullScreen(true)) << krtest::Join(krtest::LogLines());
    EXPECT_EQ(recorder_.lastPresentParameters.Windowed, FALSE);
    EXPECT_NE(engine_.IniText().find("StartFullScreen=1"), std::string::npos);
    EXPECT_TRUE(ClearsTo(device->Device(), 0xA06040, 1024, 768));

    ASSERT_TRUE(device->ToggleFullScreen(true)) << krtest::Join(krtest::LogLines());
    EXPECT_EQ(recorder_.lastPresentParameters.Windowed, TRUE);
    EXPECT_NE(engine_.IniText().find("StartFullScreen=0"), std::string::npos);
    EXPECT_TRUE(ClearsTo(device->Device(), 0x40A060, 800, 600));
    EXPECT_TRUE(DeleteDevice(device));
}

}  // namespace
}  // namespace resettest
