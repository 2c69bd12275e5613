// The enumeration and the mode selection on a mocked Direct3D object: the mode list and its log
// lines, the depth fallback, the fit rule, safe mode, the table limits and failing queries.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "mock_direct3d.h"
#include "platform.h"
#include "running_device.h"

namespace {

using testing::_;
using testing::Return;

D3DDISPLAYMODE Mode(UINT width, UINT height, D3DFORMAT format = D3DFMT_X8R8G8B8, UINT rate = 60) {
    return D3DDISPLAYMODE{width, height, rate, format};
}

std::string Ini(bool fullScreen, int width, int height, int depth = 24, int safe = 0) {
    std::string w = std::to_string(width), h = std::to_string(height);
    return "[Display]\nStartFullScreen=" + std::to_string(fullScreen) + "\nWindowWidth=" + w +
           "\nWindowHeight=" + h + "\nScreenWidth=" + w + "\nScreenHeight=" + h +
           "\n[Engine]\nSafe=" + std::to_string(safe) +
           "\n[Render]\nUseZBuffer=1\nUseWBuffer=0\nDepthBufferBitDepth=" + std::to_string(depth) +
           "\n";
}

// The usual sizes of a card, one below the floor, in the desktop's format and a 16-bit one.
std::vector<D3DDISPLAYMODE> UsualModes() {
    std::vector<D3DDISPLAYMODE> modes;
    for (D3DFORMAT format : {D3DFMT_X8R8G8B8, D3DFMT_R5G6B5}) {
        for (const UINT* size : {(const UINT[]){640, 480}, (const UINT[]){800, 600},
                                 (const UINT[]){1024, 768}, (const UINT[]){1280, 1024}}) {
            modes.push_back(Mode(size[0], size[1], format));
        }
    }
    return modes;
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
    bool Start(const std::string& ini) {
        d3d->Install();
        run.reset(new krtest::RunningDevice(nullptr, ini));
        krtest::ClearLog();
        return run->Render()->InitAPI();
    }
    void TearDown() override { Renew(); }
    std::string IniText() const { return krtest::ReadFile(run->IniPath()); }
    // The log lines that begin with one of `prefixes`, in order.
    static std::vector<std::string> Lines(std::initializer_list<std::string> prefixes) {
        std::vector<std::string> lines;
        for (const std::string& line : krtest::LogLines()) {
            for (const std::string& prefix : prefixes) {
                if (line.compare(0, prefix.size(), prefix) == 0)
                    lines.push_back(line);
            }
        }
        return lines;
    }

    std::unique_ptr<testing::NiceMock<krtest::MockDirect3D>> d3d{
        new testing::NiceMock<krtest::MockDirect3D>()};
    std::unique_ptr<krtest::RunningDevice> run;
};

const char* const kHw = "\t-HW_VP-\tDepth: D3DFMT_D24X8";

TEST_F(Enumeration, ModeListComesByFormatThenSizeOncePerRefreshRate) {
    d3d->AddAdapter(
        "Card A",
        {Mode(1024, 768, D3DFMT_A2R10G10B10), Mode(800, 600, D3DFMT_X1R5G5B5),
         Mode(640, 480, D3DFMT_X1R5G5B5), Mode(1024, 768, D3DFMT_R5G6B5),
         Mode(800, 600, D3DFMT_R5G6B5), Mode(1280, 1024), Mode(800, 600, D3DFMT_X8R8G8B8, 60),
         Mode(800, 600, D3DFMT_X8R8G8B8, 75), Mode(800, 600, D3DFMT_X8R8G8B8, 85), Mode(1024, 768),
         Mode(799, 1024), Mode(1280, 599)});
    ASSERT_TRUE(Start(Ini(false, 1024, 768)));
    const std::string hw = kHw;
    EXPECT_EQ(
        Lines({"\t\t"}),
        (std::vector<std::string>{
            "\t\tDetected 9 display modes on HAL adapter", "\t\t\t1024x768\tINVALID_FORMAT" + hw,
            "\t\t\t800x600\tD3DFMT_X1R5G5B5" + hw, "\t\t\t800x600\tD3DFMT_R5G6B5" + hw,
            "\t\t\t1024x768\tD3DFMT_R5G6B5" + hw, "\t\t\t800x600\tD3DFMT_X8R8G8B8" + hw,
            "\t\t\t800x600\tD3DFMT_X8R8G8B8" + hw, "\t\t\t800x600\tD3DFMT_X8R8G8B8" + hw,
            "\t\t\t1024x768\tD3DFMT_X8R8G8B8" + hw, "\t\t\t1280x1024\tD3DFMT_X8R8G8B8" + hw,
            "\t\tSelected HAL device on Card A, display mode:",
            "\t\t\t1024x768\tD3DFMT_X8R8G8B8\t-HW_VP-\tD3DFMT_D24X8"}));
    // A device with T&L but vertex shader 1.0 processes vertices in software.
    Renew().AddAdapter("Card B", {Mode(800, 600)}).caps.VertexShaderVersion = D3DVS_VERSION(1, 0);
    ASSERT_TRUE(Start(Ini(false, 800, 600)));
    EXPECT_EQ(
        Lines({"\t\t\t800"}),
        (std::vector<std::string>{"\t\t\t800x600\tD3DFMT_X8R8G8B8\t-SW_VP-\tDepth: D3DFMT_D24X8",
                                  "\t\t\t800x600\tD3DFMT_X8R8G8B8\t-SW_VP-\tD3DFMT_D24X8"}));
}

TEST_F(Enumeration, SelectionTakesTheLargestModeInsideTheWantedSize) {
    struct Row {
        bool fullScreen;
        int safe, width, height;
        const char* chosen;  // null: nothing fits
        std::vector<std::string> written;
    };
    const Row rows[] = {
        {true, 0, 1024, 768, "1024x768", {"ScreenWidth=1024\n", "ScreenHeight=768\n", "Safe=0\n"}},
        {false, 0, 1000, 700, "800x600", {"WindowWidth=800\n", "WindowHeight=600\n"}},
        {false, 0, 1100, 1100, "1024x768", {"WindowWidth=1024\n", "WindowHeight=768\n"}},
        {false,
         1,
         1280,
         1024,
         "800x600",
         {"WindowWidth=800\n", "ScreenWidth=800\n", "ScreenHeight=600\n", "Safe=0\n"}},
        {false, 0, 800, 599, nullptr, {"WindowWidth=800\n", "Safe=1\n"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::to_string(row.width) + "x" + std::to_string(row.height));
        std::vector<D3DDISPLAYMODE> modes = UsualModes();
        modes.push_back(Mode(1024, 1000, D3DFMT_R5G6B5));  // taller, in a later format group
        Renew().AddAdapter("Card A", modes);
        EXPECT_EQ(Start(Ini(row.fullScreen, row.width, row.height, 24, row.safe)),
                  row.chosen != nullptr);
        std::vector<std::string> last = {krtest::LogLines().back()};
        if (row.chosen != nullptr) {
            EXPECT_EQ(last, std::vector<std::string>{"\t\t\t" + std::string(row.chosen) +
                                                     "\tD3DFMT_X8R8G8B8\t-HW_VP-\tD3DFMT_D24X8"});
            EXPECT_EQ(run->Render()->GetNumResolutions(), 4) << "each size once";
        } else {
            EXPECT_TRUE(krtest::ContainsRun(
                krtest::LogLines(),
                {"\t\tWARNING: Failed to select the suggested resolution of 800x599",
                 "WARNING: Critical error during KrD3DRenDev::InitAPI()"}));
            EXPECT_EQ(run->Device()->CurrentAdapter(), -1);
        }
        for (const std::string& setting : row.written) {
            EXPECT_NE(IniText().find(setting), std::string::npos) << setting << IniText();
        }
    }
}

TEST_F(Enumeration, DepthFallsFrom32To24To16ToNoneAndCarriesToTheNextFormat) {
    const std::string x8 = "with render format D3DFMT_X8R8G8B8";
    const std::string missing =
        "\tFAILED: CheckDeviceFormat(...) on Card A, device HAL : "
        "device doesn't support ";
    const std::string lower = "\tWARNING: Could not support ";
    struct Row {
        int requested;
        std::vector<D3DFORMAT> offered;
        std::vector<std::string> lines;
        std::string chosen;
    };
    const Row rows[] = {
        {32,
         {D3DFMT_D24X8, D3DFMT_D16},
         {missing + "32-bit depth buffering " + x8,
          lower + "32-bit depth buffering, trying 24-bit"},
         "\t\t\t800x600\tD3DFMT_X8R8G8B8\t-HW_VP-\tD3DFMT_D24X8"},
        {24,
         {D3DFMT_D16, D3DFMT_D32},
         {missing + "24-bit depth buffering " + x8,
          lower + "24-bit depth buffering, trying 16-bit"},
         "\t\t\t800x600\tD3DFMT_X8R8G8B8\t-HW_VP-\tD3DFMT_D16"},
        {32,
         {},
         {missing + "32-bit depth buffering " + x8, lower + "32-bit depth buffering, trying 24-bit",
          missing + "24-bit depth buffering " + x8, lower + "24-bit depth buffering, trying 16-bit",
          missing + "16-bit depth buffering " + x8,
          "\tFAILED: Could not support 16-bit depth buffering, switching off depth buffering for "
          "next run"},
         "\t\t\t800x600\tD3DFMT_R5G6B5\t-HW_VP-\tD3DFMT_UNKNOWN"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.chosen);
        Renew().AddAdapter("Card A", UsualModes()).depthFormats = row.offered;
        ASSERT_TRUE(Start(Ini(false, 800, 600, row.requested)));
        EXPECT_EQ(Lines({"\tFAILED", "\tWARNING"}), row.lines);
        EXPECT_EQ(krtest::LogLines().back(), row.chosen);
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
    EXPECT_EQ(Lines({"\tDetected", "\t\tDetected", "\t\tSelected"}),
              (std::vector<std::string>{"\tDetected 6 D3D adapter(s)",
                                        "\t\tDetected 256 display modes on HAL adapter",
                                        "\t\tDetected 1 display modes on HAL adapter",
                                        "\t\tDetected 1 display modes on HAL adapter",
                                        "\t\tDetected 1 display modes on HAL adapter",
                                        "\t\tDetected 1 display modes on HAL adapter",
                                        "\t\tSelected HAL device on Card 4, display mode:"}));
    const D3DDeviceInfo& first = run->Device()->Adapter(0).devices[0];
    EXPECT_EQ(first.modes[255].width, 1055u);
    EXPECT_EQ(first.modes[255].format, static_cast<unsigned int>(D3DFMT_X8R8G8B8));
}

TEST_F(Enumeration, EachFailingQueryEndsTheStartWithItsWarning) {
    struct Row {
        std::function<void(krtest::MockDirect3D&)> fail;
        const char* warning;
    };
    const Row rows[] = {
        {[](krtest::MockDirect3D& d) {
             ON_CALL(d, GetAdapterIdentifier(1, _, _)).WillByDefault(Return(E_FAIL));
         },
         "WARNING: FAILED GetAdapterIdentifier(...) on adapter #1"},
        {[](krtest::MockDirect3D& d) {
             ON_CALL(d, GetAdapterDisplayMode(1, _)).WillByDefault(Return(E_FAIL));
         },
         "WARNING: FAILED GetAdapterDisplayMode(...) on adapter #1"},
        {[](krtest::MockDirect3D& d) {
             ON_CALL(d, EnumAdapterModes(1, _, _, _)).WillByDefault(Return(E_FAIL));
         },
         "WARNING: Failed EnumAdapterModes(...) on adapter #1"},
        {[](krtest::MockDirect3D& d) {
             ON_CALL(d, GetDeviceCaps(1, _, _)).WillByDefault(Return(E_FAIL));
         },
         "WARNING: FAILED GetDeviceCaps(...) on adapter #1, device #0"},
        {[](krtest::MockDirect3D& d) { ON_CALL(d, GetAdapterCount()).WillByDefault(Return(0u)); },
         "WARNING: No adapters detected"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.warning);
        krtest::MockDirect3D& mock = Renew();
        mock.AddAdapter("Card A", UsualModes());
        mock.AddAdapter("Card B", UsualModes());
        row.fail(mock);
        const std::string ini = Ini(false, 800, 600);
        EXPECT_FALSE(Start(ini));
        std::vector<std::string> lines = Lines({"WARNING"});
        EXPECT_EQ(lines,
                  (std::vector<std::string>{
                      row.warning, "WARNING: Critical error during KrD3DRenDev::InitAPI()"}));
        EXPECT_EQ(IniText(), ini) << "a failed enumeration writes no setting";
    }
}

}  // namespace
