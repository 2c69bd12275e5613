// The mode search: the largest mode inside the configured size, safe mode, the resolution list
// and the settings written back to the configuration file.
#include "enum_fixture.h"

namespace {

using enumtest::IniHolds;
using krtest::ScriptedD3D;

class ModeSearch : public enumtest::ScriptedStart {};

TEST_F(ModeSearch, LargestFittingModeIsChosenAndItsSizeWrittenBack) {
    struct Case {
        bool fullScreen;
        int wantedWidth, wantedHeight;
        UINT width, height;
    };
    const Case cases[] = {
        {true, 1024, 768, 1024, 768},    // an exact size
        {false, 1000, 700, 800, 600},    // reduced to what fits
        {false, 1100, 1100, 1024, 768},  // the widest fitting, not the tallest
        {true, 5000, 5000, 1280, 1024},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.wantedWidth) + "x" + std::to_string(c.wantedHeight));
        Renew();
        d3d->AddAdapter("Card A", "a.dll");
        enumtest::AddUsualModes(*d3d, 0);
        d3d->AddMode(0, 1024, 1000, D3DFMT_R5G6B5);  // taller, but in the larger format group
        ASSERT_TRUE(Start(enumtest::Ini(c.fullScreen, c.wantedWidth, c.wantedHeight)));

        D3DDISPLAYMODE mode = {};
        KrD3DRenDevProbe probe(*device);
        ASSERT_TRUE(probe.GetDisplayMode(mode));
        EXPECT_EQ(c.width, mode.Width);
        EXPECT_EQ(c.height, mode.Height);
        EXPECT_EQ(D3DFMT_X8R8G8B8, mode.Format);
        EXPECT_EQ(0u, mode.RefreshRate);
        EXPECT_EQ(!c.fullScreen, device->Windowed());

        std::string ini = IniText();
        const char* widthKey = c.fullScreen ? "ScreenWidth" : "WindowWidth";
        const char* heightKey = c.fullScreen ? "ScreenHeight" : "WindowHeight";
        const char* otherWidthKey = c.fullScreen ? "WindowWidth" : "ScreenWidth";
        EXPECT_TRUE(IniHolds(ini, "Display", widthKey, static_cast<int>(c.width))) << ini;
        EXPECT_TRUE(IniHolds(ini, "Display", heightKey, static_cast<int>(c.height))) << ini;
        EXPECT_TRUE(IniHolds(ini, "Display", otherWidthKey, c.wantedWidth)) << ini;
        EXPECT_TRUE(IniHolds(ini, "Engine", "Safe", 0)) << ini;
        EXPECT_TRUE(IniHolds(ini, "Render", "UseZBuffer", 1)) << ini;
        EXPECT_TRUE(IniHolds(ini, "Render", "UseWBuffer", 0)) << ini;
        EXPECT_TRUE(IniHolds(ini, "Render", "DepthBufferBitDepth", 24)) << ini;
    }
}

TEST_F(ModeSearch, SafeModeAsksFor800x600EvenInAWindow) {
    d3d->AddAdapter("Card A", "a.dll");
    enumtest::AddUsualModes(*d3d, 0);
    ASSERT_TRUE(Start(enumtest::Ini(false, 1280, 1024, 24, 1)));
    std::string ini = IniText();
    EXPECT_TRUE(IniHolds(ini, "Display", "ScreenWidth", 800)) << ini;
    EXPECT_TRUE(IniHolds(ini, "Display", "ScreenHeight", 600)) << ini;
    EXPECT_TRUE(IniHolds(ini, "Display", "WindowWidth", 800)) << ini;
    EXPECT_TRUE(IniHolds(ini, "Display", "WindowHeight", 600)) << ini;
    EXPECT_TRUE(IniHolds(ini, "Engine", "Safe", 0)) << ini;
}

TEST_F(ModeSearch, NothingFittingFailsTheStartAndAsksForSafeMode) {
    d3d->AddAdapter("Card A", "a.dll");
    enumtest::AddUsualModes(*d3d, 0);
    EXPECT_FALSE(Start(enumtest::Ini(false, 640, 480)));
    std::vector<std::string> lines = krtest::LogLines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(std::vector<std::string>(
                  {"\t\tWARNING: Failed to select the suggested resolution of 640x480",
                   "WARNING: Critical error during KrD3DRenDev::InitAPI()"}),
              std::vector<std::string>(lines.end() - 2, lines.end()));
    std::string ini = IniText();
    EXPECT_TRUE(IniHolds(ini, "Engine", "Safe", 1)) << ini;
    EXPECT_TRUE(IniHolds(ini, "Display", "WindowWidth", 640)) << ini;
    D3DDISPLAYMODE mode = {7, 7, 7, D3DFMT_P8};
    KrD3DRenDevProbe probe(*device);
    EXPECT_FALSE(probe.GetDisplayMode(mode));
    EXPECT_EQ(7u, mode.Width);
    EXPECT_EQ(-1, device->CurrentAdapter());
}

TEST_F(ModeSearch, ResolutionListHoldsEachSizeOnceInRecordOrder) {
    d3d->AddAdapter("Card A", "a.dll");
    d3d->AddMode(0, 1024, 768, D3DFMT_R5G6B5, {60, 75});
    d3d->AddMode(0, 800, 600, D3DFMT_X8R8G8B8, {60, 75, 85});
    d3d->AddMode(0, 1024, 768, D3DFMT_X8R8G8B8);
    d3d->AddMode(0, 800, 600, D3DFMT_X1R5G5B5);
    d3d->AddAdapter("Card B", "b.dll");
    d3d->AddMode(1, 1280, 1024, D3DFMT_X8R8G8B8);
    d3d->AddMode(1, 800, 600, D3DFMT_X8R8G8B8);
    ASSERT_TRUE(Start(enumtest::Ini(false, 800, 600)));
    const int expected[][2] = {{800, 600}, {1024, 768}, {1280, 1024}};
    ASSERT_EQ(3, device->GetNumResolutions());
    for (int i = 0; i < 3; ++i) {
        int width = 0, height = 0;
        device->GetResolution(i, width, height);
        EXPECT_EQ(expected[i][0], width) << i;
        EXPECT_EQ(expected[i][1], height) << i;
    }
}

TEST_F(ModeSearch, DepthWrittenBackIsTheChosenRecordsAndOnlyWithADepthBuffer) {
    d3d->Fail(ScriptedD3D::kCheckDeviceFormat, D3DERR_NOTAVAILABLE, ScriptedD3D::kAnyAdapter,
              D3DFMT_D32);
    d3d->AddAdapter("Card A", "a.dll");
    enumtest::AddUsualModes(*d3d, 0);
    ASSERT_TRUE(Start(enumtest::Ini(false, 800, 600, 32)));
    std::string ini = IniText();
    EXPECT_TRUE(IniHolds(ini, "Render", "DepthBufferBitDepth", 24)) << ini;
    EXPECT_TRUE(IniHolds(ini, "Render", "UseZBuffer", 1)) << ini;

    // Without Z- or W-buffer the records carry no depth format and the depth key is not written.
    Renew();
    d3d->AddAdapter("Card A", "a.dll");
    enumtest::AddUsualModes(*d3d, 0);
    ASSERT_TRUE(
        Start("[Display]\nStartFullScreen=0\nWindowWidth=800\nWindowHeight=600\n\n"
              "[Render]\nUseZBuffer=0\nUseWBuffer=0\n"));
    ini = IniText();
    EXPECT_EQ(std::string::npos, ini.find("DepthBufferBitDepth")) << ini;
    EXPECT_TRUE(IniHolds(ini, "Render", "UseZBuffer", 0)) << ini;
    EXPECT_TRUE(krtest::ContainsRun(krtest::LogLines(),
                                    {"\t\t\t800x600\tD3DFMT_X8R8G8B8\t-HW_VP-\tD3DFMT_UNKNOWN"}));
}

TEST_F(ModeSearch, MissingDisplayKeysStartAt800x600InAWindowAndTheDesktopFullScreen) {
    d3d->AddAdapter("Card A", "a.dll", 1024, 768);
    enumtest::AddUsualModes(*d3d, 0);
    ASSERT_TRUE(Start("[Engine]\nSafe=0\n"));
    EXPECT_TRUE(device->Windowed());
    std::string ini = IniText();
    EXPECT_TRUE(IniHolds(ini, "Display", "WindowWidth", 800)) << ini;
    EXPECT_TRUE(IniHolds(ini, "Display", "WindowHeight", 600)) << ini;

    Renew();
    d3d->AddAdapter("Card A", "a.dll", 1024, 768);
    enumtest::AddUsualModes(*d3d, 0);
    ASSERT_TRUE(Start("[Display]\nStartFullScreen=1\n"));
    ini = IniText();
    EXPECT_TRUE(IniHolds(ini, "Display", "ScreenWidth", 1024)) << ini;
    EXPECT_TRUE(IniHolds(ini, "Display", "ScreenHeight", 768)) << ini;
    EXPECT_TRUE(IniHolds(ini, "Engine", "Safe", 0)) << ini;
}

}  // namespace
