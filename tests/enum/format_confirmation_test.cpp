// Format confirmation: the depth fallback from 32 to 24 to 16 bits to none, carried from one
// format to the next, and the depth settings it leaves for the mode records.
#include <cstring>

#include "enum_fixture.h"

namespace {

using krtest::ScriptedD3D;

class FormatConfirmation : public enumtest::ScriptedStart {
  protected:
    // Confirms X8R8G8B8 then R5G6B5 on adapter 0 with the device's depth settings preset to
    // a marker (W on, Z off, 8 bits) so that an untouched setting shows.
    void Confirm(const std::string& ini) {
        d3d->AddAdapter("Card A", "a.dll");
        flags.clear();
        KrD3DRenDevProbe probe = Bare(ini);
        device->UsingZBuffer() = false;
        device->UsingWBuffer() = true;
        device->DepthBufferBitDepth() = 8;
        D3DAdapterInfo& adapterInfo = probe.Adapter(0);
        std::strcpy(adapterInfo.identifier.Description, "Card A");
        adapterInfo.devices[0].deviceType = D3DDEVTYPE_HAL;
        adapterInfo.devices[0].caps = d3d->GetAdapter(0).caps;
        adapterInfo.devices[0].name = "HAL";
        TDArray<D3DFORMAT> formats;
        formats.Add(D3DFMT_X8R8G8B8);
        formats.Add(D3DFMT_R5G6B5);
        TSArray<bool> confirmed;
        count = probe.ConfirmFormats(&adapterInfo.devices[0], &adapterInfo, formats, confirmed);
        for (int i = 0; i < confirmed.Count(); ++i) {
            flags.push_back(confirmed[i]);
        }
    }
    bool DepthUntouched() {
        return !device->UsingZBuffer() && device->UsingWBuffer() &&
               device->DepthBufferBitDepth() == 8;
    }
    std::vector<std::string> Lines() { return krtest::LogLines(false); }

    std::vector<bool> flags;
    unsigned int count = 0;
};

const char* const k32Missing =
    "\tFAILED: CheckDeviceFormat(...) on Card A, device HAL : device doesn't support 32-bit depth "
    "buffering with render format D3DFMT_X8R8G8B8";
const char* const k32Fallback =
    "\tWARNING: Could not support 32-bit depth buffering, trying 24-bit";
const char* const k24Missing =
    "\tFAILED: CheckDeviceFormat(...) on Card A, device HAL : device doesn't support 24-bit depth "
    "buffering with render format D3DFMT_X8R8G8B8";
const char* const k24Fallback =
    "\tWARNING: Could not support 24-bit depth buffering, trying 16-bit";
const char* const k16Missing =
    "\tFAILED: CheckDeviceFormat(...) on Card A, device HAL : device doesn't support 16-bit depth "
    "buffering with render format D3DFMT_X8R8G8B8";
const char* const k16Off =
    "\tFAILED: Could not support 16-bit depth buffering, switching off depth buffering for next "
    "run";

TEST_F(FormatConfirmation, DepthFallbackCarriesFromFormatToFormat) {
    struct Failure {
        ScriptedD3D::Query query;
        D3DFORMAT format;
    };
    struct Row {
        const char* what;
        int bits;
        std::vector<Failure> failures;
        std::vector<bool> flags;
        std::vector<std::string> lines;
        int formatChecks;
        int depthAfter;  // 0: the device's depth settings are untouched
    };
    const std::string kMatchFails =
        "\tFAILED: CheckDepthStencilMatch(...) on adapter #0, device #0 : depth format "
        "D3DFMT_D24X8 does not match render format D3DFMT_X8R8G8B8";
    const std::string kTypeFails =
        "\tFAILED: CheckDeviceType(...) on adapter #0, device HAL : format not supported";
    const Row rows[] = {
        {"32 missing: later formats start at 24",
         32,
         {{ScriptedD3D::kCheckDeviceFormat, D3DFMT_D32}},
         {true, true},
         {k32Missing, k32Fallback},
         3,
         24},
        {"no depth format at all: depth checks off after the first format",
         32,
         {{ScriptedD3D::kCheckDeviceFormat, ScriptedD3D::kAnyFormat}},
         {false, true},
         {k32Missing, k32Fallback, k24Missing, k24Fallback, k16Missing, k16Off},
         3,
         0},
        {"16 missing",
         16,
         {{ScriptedD3D::kCheckDeviceFormat, D3DFMT_D16}},
         {false, true},
         {k16Missing, k16Off},
         1,
         0},
        {"depth 0 checks nothing", 0, {}, {true, true}, {}, 0, 0},
        {"depth 8 checks nothing", 8, {}, {true, true}, {}, 0, 0},
        {"type and depth match failures",
         24,
         {{ScriptedD3D::kCheckDeviceType, D3DFMT_R5G6B5},
          {ScriptedD3D::kCheckDepthStencilMatch, ScriptedD3D::kAnyFormat}},
         {false, false},
         {kMatchFails, kTypeFails},
         1,
         0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        Renew();
        for (const Failure& failure : row.failures) {
            d3d->Fail(failure.query, D3DERR_NOTAVAILABLE, ScriptedD3D::kAnyAdapter, failure.format);
        }
        Confirm(enumtest::Ini(false, 800, 600, row.bits));
        EXPECT_EQ(row.flags, flags);
        unsigned int confirmedCount = 0;
        for (bool flag : row.flags) {
            confirmedCount += flag ? 1 : 0;
        }
        EXPECT_EQ(confirmedCount, count);
        EXPECT_EQ(row.lines, Lines());
        EXPECT_EQ(row.formatChecks, d3d->Calls(ScriptedD3D::kCheckDeviceFormat));
        if (row.depthAfter == 0) {
            EXPECT_TRUE(DepthUntouched());
        } else {
            EXPECT_TRUE(device->UsingZBuffer());
            EXPECT_FALSE(device->UsingWBuffer());
            EXPECT_EQ(row.depthAfter, device->DepthBufferBitDepth());
        }
    }
}

TEST_F(FormatConfirmation, WBufferIsGrantedOnlyToADeviceThatRastersInW) {
    for (bool rastersInW : {false, true}) {
        SCOPED_TRACE(rastersInW);
        Renew();
        ScriptedD3D::Adapter& adapter = d3d->AddAdapter("Card A", "a.dll");
        adapter.caps.RasterCaps = rastersInW ? D3DPRASTERCAPS_WBUFFER : 0;
        d3d->AddMode(0, 800, 600, D3DFMT_X8R8G8B8);
        ASSERT_TRUE(Start(enumtest::Ini(false, 800, 600, 24, 0, 1, 1)));
        EXPECT_TRUE(krtest::ContainsRun(
            krtest::LogLines(true),
            {rastersInW ? "\tHAL Device supports depth buffering in w"
                        : "\tHAL Device does NOT support depth buffering in w"}));
        EXPECT_FALSE(device->UsingZBuffer()) << "a W request never turns into a Z-buffer";
        EXPECT_EQ(rastersInW, device->UsingWBuffer());
        std::string ini = IniText();
        EXPECT_TRUE(enumtest::IniHolds(ini, "Render", "UseWBuffer", rastersInW ? 1 : 0)) << ini;
        EXPECT_TRUE(enumtest::IniHolds(ini, "Render", "UseZBuffer", 0)) << ini;
        KrD3DRenDevProbe probe(*device);
        EXPECT_EQ(static_cast<unsigned int>(rastersInW ? D3DFMT_D24X8 : D3DFMT_UNKNOWN),
                  probe.Adapter(0).devices[0].modes[0].depthStencilFormat);
    }
}

TEST_F(FormatConfirmation, MissingDepthKeysAskFor24BitZBuffer) {
    d3d->AddAdapter("Card A", "a.dll");
    d3d->AddMode(0, 800, 600, D3DFMT_X8R8G8B8);
    ASSERT_TRUE(Start("[Display]\nStartFullScreen=0\nWindowWidth=800\nWindowHeight=600\n"));
    EXPECT_TRUE(device->UsingZBuffer());
    EXPECT_FALSE(device->UsingWBuffer());
    EXPECT_EQ(24, device->DepthBufferBitDepth());
    std::string ini = IniText();
    EXPECT_TRUE(enumtest::IniHolds(ini, "Render", "UseZBuffer", 1)) << ini;
    EXPECT_TRUE(enumtest::IniHolds(ini, "Render", "UseWBuffer", 0)) << ini;
    EXPECT_TRUE(enumtest::IniHolds(ini, "Render", "DepthBufferBitDepth", 24)) << ini;
}

}  // namespace
