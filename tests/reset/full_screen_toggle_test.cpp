// The full-screen toggle: the mode search on a scripted mode list, the switch both ways under the
// virtual desktop, and many switches on the enumerated modes without a leak.
#include "reset_fixture.h"

namespace resettest {
namespace {

class FullScreenToggle : public ResetTest {
  protected:
    void SetWindowTarget(int width, int height) {
        Engine().GetConfig()->SetInteger("Display", "WindowWidth", width);
        Engine().GetConfig()->SetInteger("Display", "WindowHeight", height);
    }
    std::vector<std::string> Switching(unsigned int width, unsigned int height) {
        return {"DEBUG: Switching to " + std::to_string(width) + "x" + std::to_string(height)};
    }
    // The caches still hold the alpha set-up, so only direct calls can have put it back.
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

TEST_F(FullScreenToggle, ModeSearchWalksTheListToTheConfiguredSize) {
    const std::vector<ModeSize> modes = {{640, 480},  {800, 600},  {1024, 600},
                                         {1024, 768}, {1152, 864}, {1280, 1024}};
    KrD3DRenDev* device = MakeDevice(modes, 1);
    KrD3DRenDevProbe probe(*device);
    const std::string ini = engine_.IniText();
    struct Case {
        unsigned int start;
        int width, height;
        unsigned int end;
        bool found;
    };
    const Case cases[] = {
        {1, 1024, 768, 3, true},    // up by width, then by height
        {1, 640, 480, 0, true},     // down
        {2, 1024, 768, 2, true},    // as wide but shorter: no search at all
        {1, 1024, 800, 4, true},    // the height search may end on a wider mode
        {5, 1024, 600, 2, true},    // down by width, then by height
        {1, 1600, 1200, 5, false},  // off the end: the last mode looked at stays current
        {1, 320, 200, 0, false},    // off the start
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.start << " to " << c.width << "x" << c.height);
        probe.Record().currentMode = c.start;
        SetWindowTarget(c.width, c.height);
        krtest::ClearLog();
        recorder_.Clear();
        sprites_.Init();
        EXPECT_EQ(device->ToggleFullScreen(false), c.found);
        const ModeSize& end = modes[c.end];
        EXPECT_EQ(probe.Record().currentMode, c.end);
        std::vector<std::string> log = Switching(end.width, end.height);
        if (!c.found) {
            log.insert(log.begin(),
                       "CRITICAL: Toggle fullscreen was unable to find the requested display mode");
            EXPECT_EQ(recorder_.Count("Reset"), 0u);
            EXPECT_FALSE(sprites_.IsReady());
        } else {
            EXPECT_EQ(recorder_.lastPresentParameters.BackBufferWidth, end.width);
            EXPECT_EQ(recorder_.lastPresentParameters.BackBufferHeight, end.height);
            EXPECT_TRUE(ClearsTo(device, 0x4080C0, static_cast<int>(end.width),
                                 static_cast<int>(end.height)));
        }
        EXPECT_EQ(krtest::LogLines(), log);
    }
    // Without the size keys the current mode is the target.
    Engine().GetConfig()->RemoveKey("Display", "WindowWidth");
    Engine().GetConfig()->RemoveKey("Display", "WindowHeight");
    probe.Record().currentMode = 4;
    ASSERT_TRUE(device->ToggleFullScreen(false));
    EXPECT_EQ(probe.Record().currentMode, 4u);
    EXPECT_EQ(recorder_.lastPresentParameters.BackBufferWidth, 1152u);
    // Re-applying the size never touches the window, the cursor aside, or the presentation.
    EXPECT_EQ(recorder_.Count("SetWindowLongA"), 0u);
    EXPECT_EQ(window_.Placements(), 1);
    EXPECT_TRUE(device->Windowed());
    EXPECT_EQ(engine_.IniText().find("StartFullScreen"), ini.find("StartFullScreen"));
    DeleteDevice(device);
}

TEST_F(FullScreenToggle, SwitchesToFullScreenAndBack) {
    KrD3DRenDev* device = MakeDevice({{800, 600}, {1024, 768}, {1280, 1024}}, 0);
    KrD3DRenDevProbe probe(*device);
    device->SetAlpha(true);
    SetWindowPos(window_.Handle(), nullptr, 50, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    RECT before;
    GetWindowRect(window_.Handle(), &before);
    recorder_.Clear();

    ASSERT_TRUE(device->ToggleFullScreen(true)) << krtest::Join(krtest::LogLines());
    EXPECT_FALSE(device->Windowed());
    EXPECT_FALSE(probe.Record().windowed);
    EXPECT_EQ(krtest::LogLines(true), (std::vector<std::string>{"Switching to full-screen mode",
                                                                "DEBUG: Switching to 1024x768"}));
    EXPECT_EQ(static_cast<DWORD>(Arg("SetWindowLongA", 0, 2)), 0x90080000u);
    EXPECT_EQ(device->WindowX(), before.left);
    EXPECT_EQ(device->WindowY(), before.top);
    EXPECT_NE(engine_.IniText().find("StartFullScreen=1"), std::string::npos);
    const D3DPRESENT_PARAMETERS& params = recorder_.lastPresentParameters;
    EXPECT_EQ(params.Windowed, FALSE);
    EXPECT_EQ(params.BackBufferHeight, 768u);
    EXPECT_EQ(params.BackBufferFormat, D3DFMT_X8R8G8B8);
    EXPECT_EQ(params.PresentationInterval, static_cast<UINT>(D3DPRESENT_INTERVAL_IMMEDIATE));
    EXPECT_EQ(device->BackBufferDesc().Width, 1024u);
    EXPECT_EQ(window_.Placements(), 2);
    EXPECT_TRUE(sprites_.IsReady());
    ExpectAlphaOnDevice(device);
    EXPECT_TRUE(ClearsTo(device, 0xF08000, 1024, 768));

    recorder_.Clear();
    krtest::ClearLog();
    ASSERT_TRUE(device->ToggleFullScreen(true)) << krtest::Join(krtest::LogLines());
    EXPECT_TRUE(device->Windowed());
    EXPECT_EQ(krtest::LogLines(true),
              (std::vector<std::string>{"Switching to windowed", "DEBUG: Switching to 800x600"}));
    EXPECT_EQ(static_cast<DWORD>(Arg("SetWindowLongA", 0, 2)), kWindowStyle);
    EXPECT_EQ(recorder_.Count("GetWindowPlacement"), 0u);
    EXPECT_NE(engine_.IniText().find("StartFullScreen=0"), std::string::npos);
    EXPECT_EQ(params.Windowed, TRUE);
    EXPECT_EQ(params.BackBufferWidth, 800u);
    EXPECT_EQ(params.BackBufferFormat, probe.Adapter(0).desktopMode.Format);
    EXPECT_EQ(params.PresentationInterval, static_cast<UINT>(D3DPRESENT_INTERVAL_DEFAULT));
    RECT after;
    GetWindowRect(window_.Handle(), &after);
    EXPECT_EQ(after.left, before.left);
    EXPECT_EQ(after.top, before.top);
    ExpectAlphaOnDevice(device);
    EXPECT_TRUE(ClearsTo(device, 0x00A0F0, 800, 600));
    DeleteDevice(device);
}

// The engine's own road: the adapter table comes from the enumeration of Wine's adapter.
TEST_F(FullScreenToggle, ManyTogglesOnTheEnumeratedModesLeakNothing) {
    const int start = krLiveBlocks();
    KrD3DRenDev* device = new KrD3DRenDev();
    device->ParentHandle() = window_.Handle();
    device->WindowStyle() = kWindowStyle;
    device->SetSpriteDaemon(&sprites_);
    Engine().SetRender(device);
    ASSERT_TRUE(device->InitAPI()) << krtest::Join(krtest::LogLines());
    ASSERT_TRUE(device->Reset()) << krtest::Join(krtest::LogLines());
    EXPECT_TRUE(ClearsTo(device, 0x6040A0, 800, 600));
    ASSERT_TRUE(device->ToggleFullScreen(true));
    EXPECT_TRUE(ClearsTo(device, 0xA06040, 1024, 768));
    ASSERT_TRUE(device->ToggleFullScreen(true));
    const int settled = krLiveBlocks();
    for (int i = 0; i < 20; ++i) {
        ASSERT_TRUE(device->ToggleFullScreen(true)) << "toggle " << i;
    }
    EXPECT_EQ(krLiveBlocks(), settled);
    EXPECT_TRUE(device->Windowed());
    EXPECT_NE(engine_.IniText().find("StartFullScreen=0"), std::string::npos);
    EXPECT_TRUE(ClearsTo(device, 0x40A060, 800, 600));
    DeleteDevice(device);
    EXPECT_EQ(krLiveBlocks(), start);
}

}  // namespace
}  // namespace resettest
