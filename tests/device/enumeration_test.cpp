// The enumeration and the mode selection on a mocked Direct3D object: the mode list and its log
// lines, the depth fallback, the fit rule, safe mode, the table limits and failing queries.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "device_probe.h"
#include "mock_direct3d.h"
#include "platform.h"
#include "running_device.h"

namespace {

using testing::_;
using testing::Return;
typedef std::vector<std::string> Lines;

D3DDISPLAYMODE Mode(UINT width, UINT height, D3DFORMAT format = D3DFMT_X8R8G8B8, UINT rate = 60) {
    return D3DDISPLAYMODE{width, height, rate, format};
}

// 640x480 (below the floor) to 1280x960, in the desktop's format and a 16-bit one.
std::vector<D3DDISPLAYMODE> UsualModes() {
    std::vector<D3DDISPLAYMODE> modes;
    for (D3DFORMAT format : {D3DFMT_X8R8G8B8, D3DFMT_R5G6B5}) {
        for (UINT width : {640u, 800u, 1024u, 1280u})
            modes.push_back(Mode(width, width * 3 / 4, format));
    }
    return modes;
}

std::string Ini(bool fullScreen, int width, int height, int depth = 24, int safe = 0) {
    char text[256];
    std::snprintf(text, sizeof text,
                  "[Display]\nStartFullScreen=%d\nWindowWidth=%d\nWindowHeight=%d\nScreenWidth=%d\n"
                  "ScreenHeight=%d\n[Engine]\nSafe=%d\n[Render]\nUseZBuffer=1\nUseWBuffer=0\n"
                  "DepthBufferBitDepth=%d\n",
                  fullScreen, width, height, width, height, safe, depth);
    return text;
}

// The log lines that begin with one of `prefixes`, in order.
Lines LinesOf(std::initializer_list<std::string> prefixes) {
    Lines lines;
    for (const std::string& line : krtest::LogLines()) {
        for (const std::string& prefix : prefixes) {
            if (line.compare(0, prefix.size(), prefix) == 0)
                lines.push_back(line);
        }
    }
    return lines;
}

class Enumeration : public testing::Test {
  protected:
    // A fresh mock, for the next row of a table.
    krtest::MockDirect3D& Renew() {
        run.reset();
        RestorePlatform();
        d3d.reset(new testing::NiceMock<krtest::MockDirect3D>());
        return *d3d;
    }
    // The enumeration alone, or the whole start as the engine makes it.
    bool Start(const std::string& ini, bool whole = false) {
        d3d->Install();
        run.reset(new krtest::RunningDevice(nullptr, ini));
        krtest::ClearLog();
        return whole ? run->Start() : run->Render()->InitAPI();
    }
    void TearDown() override { Renew(); }

    std::unique_ptr<testing::NiceMock<krtest::MockDirect3D>> d3d{
        new testing::NiceMock<krtest::MockDirect3D>()};
    std::unique_ptr<krtest::RunningDevice> run;
};

TEST_F(Enumeration, ModeListComesByFormatThenSizeOncePerRefreshRate) {
    d3d->AddAdapter("Card A",
                    {Mode(1024, 768, D3DFMT_A2R10G10B10), Mode(800, 600, D3DFMT_X1R5G5B5),
                     Mode(640, 480, D3DFMT_X1R5G5B5), Mode(1024, 768, D3DFMT_R5G6B5),
                     Mode(800, 600, D3DFMT_R5G6B5), Mode(1280, 1024), Mode(800, 600),
                     Mode(800, 600, D3DFMT_X8R8G8B8, 75), Mode(800, 600, D3DFMT_X8R8G8B8, 85),
                     Mode(1024, 768), Mode(799, 1024), Mode(1280, 599)});
    ASSERT_TRUE(Start(Ini(false, 1024, 768)));
    const std::string hw = "\t-HW_VP-\tDepth: D3DFMT_D24X8";
    EXPECT_EQ(
        LinesOf({"\t\t"}),
        (Lines{"\t\tDetected 9 display modes on HAL adapter", "\t\t\t1024x768\tINVALID_FORMAT" + hw,
               "\t\t\t800x600\tD3DFMT_X1R5G5B5" + hw, "\t\t\t800x600\tD3DFMT_R5G6B5" + hw,
               "\t\t\t1024x768\tD3DFMT_R5G6B5" + hw, "\t\t\t800x600\tD3DFMT_X8R8G8B8" + hw,
               "\t\t\t800x600\tD3DFMT_X8R8G8B8" + hw, "\t\t\t800x600\tD3DFMT_X8R8G8B8" + hw,
               "\t\t\t1024x768\tD3DFMT_X8R8G8B8" + hw, "\t\t\t1280x1024\tD3DFMT_X8R8G8B8" + hw,
               "\t\tSelected HAL device on Card A, display mode:",
               "\t\t\t1024x768\tD3DFMT_X8R8G8B8\t-HW_VP-\tD3DFMT_D24X8"}));
}

TEST_F(Enumeration, SelectionTakesTheLargestModeInsideTheWantedSize) {
    const struct {
        bool fullScreen;
        int safe, width, height;
        const char* chosen;  // null: nothing fits
        Lines written;
    } rows[] = {
        {true, 0, 1024, 768, "1024x768", {"ScreenWidth=1024\n", "ScreenHeight=768\n", "Safe=0"}},
        {false, 0, 1000, 700, "800x600", {"WindowWidth=800\n", "WindowHeight=600\n"}},
        {false, 0, 1100, 1100, "1024x768", {"WindowWidth=1024\n", "WindowHeight=768\n"}},
        {false, 1, 1280, 960, "800x600", {"WindowWidth=800\n", "ScreenWidth=800\n", "Safe=0"}},
        {false, 0, 800, 599, nullptr, {"WindowWidth=800\n", "Safe=1"}},
        {true, 0, 0, 0, "1024x600", {"ScreenWidth=1024\n", "ScreenHeight=600\n"}},  // no keys
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::to_string(row.width) + "x" + std::to_string(row.height));
        std::vector<D3DDISPLAYMODE> modes = UsualModes();
        // Taller in a format group before the desktop's; as wide but only as tall as safe mode.
        modes.insert(modes.end(), {Mode(1024, 1000, D3DFMT_R5G6B5), Mode(1024, 600)});
        // Without a screen size, full screen asks for the first adapter's desktop.
        Renew().AddAdapter("Card A", modes).desktop = Mode(1024, 600);
        d3d->AddAdapter("Card B", modes);
        std::string text = Ini(row.fullScreen, row.width, row.height, 24, row.safe);
        EXPECT_EQ(Start(row.width ? text : text.erase(text.find("ScreenWidth"), 29)),
                  row.chosen != nullptr);
        if (row.chosen != nullptr) {
            EXPECT_EQ(krtest::LogLines().back(), "\t\t\t" + std::string(row.chosen) +
                                                     "\tD3DFMT_X8R8G8B8\t-HW_VP-\tD3DFMT_D24X8");
            EXPECT_EQ(run->Render()->GetNumResolutions(), 5) << "each size once";
        } else {
            EXPECT_EQ(LinesOf({"\t\tWARNING", "WARNING"}),
                      (Lines{"\t\tWARNING: Failed to select the suggested resolution of 800x599",
                             "WARNING: Critical error during KrD3DRenDev::InitAPI()"}));
        }
        const std::string ini = krtest::ReadFile(run->IniPath());
        for (const std::string& setting : row.written) {
            EXPECT_NE(ini.find(setting), std::string::npos) << setting << ini;
        }
    }
}

// The mode search's settings reach the file before the device is created, so a creation that
// fails (or never returns) still leaves them for the next start; safe mode follows at once. Wine's
// adapter has no reference rasterizer to try (the platform fault sweep); here one is added.
TEST_F(Enumeration, SettingsAreOnDiskBeforeTheDeviceIsCreated) {
    d3d->AddAdapter("Card A", UsualModes());
    std::string atCreation;
    ON_CALL(*d3d, CreateDevice(_, _, _, _, _, _))
        .WillByDefault(
            [&](UINT, D3DDEVTYPE, HWND, DWORD, D3DPRESENT_PARAMETERS*, IDirect3DDevice9**) {
                atCreation = krtest::ReadFile(run->IniPath());
                return D3DERR_NOTAVAILABLE;
            });
    EXPECT_FALSE(Start(Ini(false, 1000, 700, 24, 1), true));
    for (const char* setting : {"WindowWidth=800\n", "ScreenWidth=800\n", "Safe=0\n"}) {
        EXPECT_NE(atCreation.find(setting), std::string::npos) << setting << atCreation;
    }
    EXPECT_NE(krtest::ReadFile(run->IniPath()).find("Safe=1\n"), std::string::npos);
    // The failed creation was tried once more on the reference rasterizer, had the first adapter
    // one; before the enumeration nothing is tried.
    KrD3DRenDevProbe probe(*run->Device());
    probe.Adapter(0).devices[probe.Adapter(0).numDevices++].deviceType = D3DDEVTYPE_REF;
    EXPECT_CALL(*d3d, CreateDevice(0, _, _, _, _, _)).Times(2);  // the adapter, its reference
    EXPECT_FALSE(run->Device()->Reset());
    EXPECT_EQ("WARNING: Switching to REFERENCE RASTERIZER", krtest::LogLines().back());
    probe.CurrentAdapter() = -1;
    EXPECT_FALSE(run->Device()->Reset());
    EXPECT_EQ("WARNING: KrD3DRenDev::Reset() called before device enumeration, returning failure",
              krtest::LogLines().back());
}

TEST_F(Enumeration, DepthFallsFrom32To24To16ToNoneAndCarriesToTheNextFormat) {
    const std::string failed =
        "\tFAILED: CheckDeviceFormat(...) on Card A, device HAL : device "
        "doesn't support %-bit depth buffering with render format D3DFMT_X8R8G8B8";
    const std::string lower = "\tWARNING: Could not support %-bit depth buffering, trying ";
    auto bits = [](std::string line, const char* n) { return line.replace(line.find('%'), 1, n); };
    const struct {
        int requested;
        std::vector<D3DFORMAT> offered;
        Lines lines;
        const char* chosen;
    } rows[] = {
        {32,
         {D3DFMT_D24X8, D3DFMT_D16},
         {bits(failed, "32"), bits(lower, "32") + "24-bit"},
         "800x600\tD3DFMT_X8R8G8B8\t-HW_VP-\tD3DFMT_D24X8"},
        {24,
         {D3DFMT_D16, D3DFMT_D32},
         {bits(failed, "24"), bits(lower, "24") + "16-bit"},
         "800x600\tD3DFMT_X8R8G8B8\t-HW_VP-\tD3DFMT_D16"},
        // The first format switches the depth checks off; the next is confirmed without them.
        {32,
         {},
         {bits(failed, "32"), bits(lower, "32") + "24-bit", bits(failed, "24"),
          bits(lower, "24") + "16-bit", bits(failed, "16"),
          "\tFAILED: Could not support 16-bit depth buffering, switching off depth "
          "buffering for next run"},
         "800x600\tD3DFMT_R5G6B5\t-HW_VP-\tD3DFMT_UNKNOWN"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.chosen);
        Renew().AddAdapter("Card A", UsualModes()).depthFormats = row.offered;
        ASSERT_TRUE(Start(Ini(false, 800, 600, row.requested)));
        EXPECT_EQ(LinesOf({"\tFAILED", "\tWARNING"}), row.lines);
        EXPECT_EQ(krtest::LogLines().back(), "\t\t\t" + std::string(row.chosen));
    }
}

TEST_F(Enumeration, WhatDoesNotFitTheTablesIsIgnored) {
    std::vector<D3DDISPLAYMODE> many;
    for (UINT w = 0; w < 300; ++w)
        many.push_back(Mode(800 + w, 600));
    for (UINT w = 0; w < 10; ++w)
        many.push_back(Mode(800 + w, 600, D3DFMT_A2R10G10B10));
    d3d->AddAdapter("Card 0", many);
    for (const char* name : {"Card 1", "Card 2", "Card 3", "Card 4", "Card 5"}) {
        d3d->AddAdapter(name, {Mode(800, 600)});
    }
    EXPECT_CALL(*d3d, GetAdapterIdentifier(_, _, _)).Times(5);  // never the sixth
    ASSERT_TRUE(Start(Ini(false, 2000, 2000)));
    const std::string one = "\t\tDetected 1 display modes on HAL adapter";
    EXPECT_EQ(LinesOf({"\tDetected", "\t\tDetected", "\t\tSelected"}),
              (Lines{"\tDetected 6 D3D adapter(s)", "\t\tDetected 256 display modes on HAL adapter",
                     one, one, one, one, "\t\tSelected HAL device on Card 4, display mode:"}));
    const D3DDeviceInfo& first = run->Device()->Adapter(0).devices[0];
    EXPECT_EQ(first.modes[255].width, 1055u) << "the first 256 modes, in enumeration order";
}

TEST_F(Enumeration, EachFailingQueryFailsTheStartWithItsWarningAndAsksForSafeMode) {
    const char* const warnings[] = {"WARNING: FAILED GetAdapterIdentifier(...) on adapter #1",
                                    "WARNING: FAILED GetAdapterDisplayMode(...) on adapter #1",
                                    "WARNING: Failed EnumAdapterModes(...) on adapter #1",
                                    "WARNING: FAILED GetDeviceCaps(...) on adapter #1, device #0",
                                    "WARNING: No adapters detected",
                                    "WARNING: Could not confirm any valid display modes on HAL "
                                    "device of Card B"};
    for (int row = 0; row < 6; ++row) {
        SCOPED_TRACE(warnings[row]);
        krtest::MockDirect3D& mock = Renew();
        mock.AddAdapter("Card A", UsualModes());
        mock.AddAdapter("Card B", UsualModes());
        if (row == 0)
            ON_CALL(mock, GetAdapterIdentifier(1, _, _)).WillByDefault(Return(E_FAIL));
        if (row == 1)
            ON_CALL(mock, GetAdapterDisplayMode(1, _)).WillByDefault(Return(E_FAIL));
        if (row == 2)
            ON_CALL(mock, EnumAdapterModes(1, _, _, _)).WillByDefault(Return(E_FAIL));
        if (row == 3)
            ON_CALL(mock, GetDeviceCaps(1, _, _)).WillByDefault(Return(E_FAIL));
        if (row == 4)
            ON_CALL(mock, GetAdapterCount()).WillByDefault(Return(0u));
        if (row == 5) {  // no mode on Card A, no format on Card B
            mock.adapters[0].modes.clear();
            ON_CALL(mock, CheckDeviceType(1, _, _, _, _)).WillByDefault(Return(E_FAIL));
        }
        EXPECT_FALSE(Start(Ini(false, 800, 600), true));
        EXPECT_EQ(LinesOf({"WARNING", "Failed"}),
                  (Lines{warnings[row], "WARNING: Critical error during KrD3DRenDev::InitAPI()",
                         "Failed to initialise Rendering device, specifying -safe mode restart in "
                         "config file"}));
        // Safe mode is asked for on disk, for the next start.
        EXPECT_NE(krtest::ReadFile(run->IniPath()).find("Safe=1\n"), std::string::npos);
    }
}

}  // namespace
