// The same enumeration on Wine's real adapter: under the virtual desktop (many sizes, both
// formats) and on the plain screen (whatever the X server offers, the desktop size at least).
#include <cstdio>

#include "enum_fixture.h"

namespace {

using enumtest::IniHolds;

IDirect3D9* g_created = nullptr;
IDirect3D9* WINAPI CreateAndKeep(UINT version) {
    g_created = RealPlatform().Direct3DCreate9(version);
    if (g_created != nullptr) {
        g_created->AddRef();
    }
    return g_created;
}

// What the real adapter offers in the four back-buffer formats at 800x600 and above, asked
// directly.
int LargeModesOfRealAdapter() {
    IDirect3D9* d3d = RealPlatform().Direct3DCreate9(D3D_SDK_VERSION);
    int count = 0;
    for (D3DFORMAT format : {D3DFMT_R5G6B5, D3DFMT_X8R8G8B8, D3DFMT_X1R5G5B5, D3DFMT_A2R10G10B10}) {
        for (UINT i = 0; i < d3d->GetAdapterModeCount(0, format); ++i) {
            D3DDISPLAYMODE mode = {};
            if (SUCCEEDED(d3d->EnumAdapterModes(0, format, i, &mode)) && mode.Width >= 800 &&
                mode.Height >= 600) {
                ++count;
            }
        }
    }
    d3d->Release();
    return count;
}

class RealAdapter : public testing::Test {
  protected:
    // Starts a device on the real adapter and checks the log's adapter, capability and mode
    // lines; returns the number of mode records.
    int StartAndCheckLog(const std::string& ini) {
        engine.reset(new krtest::EngineSetUp(ini));
        Platform().Direct3DCreate9 = CreateAndKeep;
        blocks = krLiveBlocks();
        device = new KrD3DRenDev();
        krtest::ClearLog();
        started = device->InitAPI();
        EXPECT_TRUE(started) << krtest::Join(krtest::LogLines());

        D3DADAPTER_IDENTIFIER9 id = {};
        g_created->GetAdapterIdentifier(0, 0, &id);
        std::vector<std::string> lines = krtest::LogLines();
        std::string adapterLine = std::string("\t") + id.Description + " / Driver: " + id.Driver;
        EXPECT_TRUE(krtest::ContainsRun(
            lines, {"Enumerating D3D adapters:", "\tDetected 1 D3D adapter(s)", adapterLine}))
            << krtest::Join(lines);
        EXPECT_TRUE(krtest::ContainsRun(lines, {"\tHAL Device supports fixed function HW VP",
                                                "\tHAL Device supports programmable HW VP"}))
            << krtest::Join(lines);
        int capabilityLines = 0;
        int modeLines = 0;
        for (const std::string& line : krtest::LogLines(true)) {
            capabilityLines += line.compare(0, 12, "\tHAL Device ") == 0 ? 1 : 0;
            modeLines += line.compare(0, 3, "\t\t\t") == 0 ? 1 : 0;
        }
        EXPECT_GE(capabilityLines, 11);
        KrD3DRenDevProbe probe(*device);
        int records = static_cast<int>(probe.Adapter(0).devices[0].numModes);
        EXPECT_EQ(records, modeLines);
        char detected[64];
        std::snprintf(detected, sizeof detected, "\t\tDetected %i display modes on HAL adapter",
                      records);
        EXPECT_TRUE(krtest::ContainsRun(lines, {detected}));
        return records;
    }

    void TearDown() override {
        if (device != nullptr) {
            device->Exit();
            delete device;
            EXPECT_EQ(blocks, krLiveBlocks());
        }
        if (g_created != nullptr) {
            EXPECT_EQ(0u, g_created->Release());
            g_created = nullptr;
        }
        RestorePlatform();
        engine.reset();
    }

    std::unique_ptr<krtest::EngineSetUp> engine;
    KrD3DRenDev* device = nullptr;
    bool started = false;
    int blocks = 0;
};

TEST_F(RealAdapter, VirtualDesktopOffersSevenSizesInTwoFormats) {
    int records = StartAndCheckLog(enumtest::Ini(false, 1000, 700));
    EXPECT_EQ(14, records);
    EXPECT_EQ(LargeModesOfRealAdapter(), records);
    EXPECT_EQ(7, device->GetNumResolutions());

    D3DDISPLAYMODE mode = {};
    KrD3DRenDevProbe probe(*device);
    ASSERT_TRUE(probe.GetDisplayMode(mode));
    EXPECT_EQ(800u, mode.Width);
    EXPECT_EQ(600u, mode.Height);
    EXPECT_EQ(D3DFMT_X8R8G8B8, mode.Format);
    EXPECT_TRUE(krtest::ContainsRun(krtest::LogLines(),
                                    {"\t\t\t800x600\tD3DFMT_X8R8G8B8\t-HW_VP-\tD3DFMT_D24X8"}));
    std::string ini = engine->IniText();
    EXPECT_TRUE(IniHolds(ini, "Display", "WindowWidth", 800)) << ini;
    EXPECT_TRUE(IniHolds(ini, "Display", "WindowHeight", 600)) << ini;
    EXPECT_TRUE(IniHolds(ini, "Engine", "Safe", 0)) << ini;
    EXPECT_TRUE(IniHolds(ini, "Render", "UseZBuffer", 1)) << ini;
    EXPECT_TRUE(IniHolds(ini, "Render", "DepthBufferBitDepth", 24)) << ini;
}

TEST_F(RealAdapter, PlainScreenSelectsTheDesktopSize) {
    int records = StartAndCheckLog(enumtest::Ini(true, 1280, 1024));
    EXPECT_EQ(LargeModesOfRealAdapter(), records);
    EXPECT_GE(records, 1);
    D3DDISPLAYMODE mode = {};
    KrD3DRenDevProbe probe(*device);
    ASSERT_TRUE(probe.GetDisplayMode(mode));
    EXPECT_EQ(1280u, mode.Width);
    EXPECT_EQ(1024u, mode.Height);
    std::string ini = engine->IniText();
    EXPECT_TRUE(IniHolds(ini, "Display", "ScreenWidth", 1280)) << ini;
    EXPECT_TRUE(IniHolds(ini, "Display", "ScreenHeight", 1024)) << ini;
    EXPECT_TRUE(IniHolds(ini, "Engine", "Safe", 0)) << ini;
}

}  // namespace
