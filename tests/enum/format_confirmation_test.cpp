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

TEST_F(FormatConfirmation, Missing32BitFallsTo24ForEveryLaterFormat) {
    d3d->Fail(ScriptedD3D::kCheckDeviceFormat, D3DERR_NOTAVAILABLE, ScriptedD3D::kAnyAdapter,
              D3DFMT_D32);
    Confirm(enumtest::Ini(false, 800, 600, 32));
    EXPECT_EQ(2u, count);
    EXPECT_EQ(std::vector<bool>({true, true}), flags);
    EXPECT_EQ(std::vector<std::string>({k32Missing, k32Fallback}), Lines());
    EXPECT_EQ(3, d3d->Calls(ScriptedD3D::kCheckDeviceFormat)) << "D32, D24X8, then D24X8 only";
    EXPECT_TRUE(device->UsingZBuffer());
    EXPECT_FALSE(device->UsingWBuffer());
    EXPECT_EQ(24, device->DepthBufferBitDepth());
}

TEST_F(FormatConfirmation, NoDepthFormatAtAllSwitchesDepthChecksOffAfterTheFirstFormat) {
    d3d->Fail(ScriptedD3D::kCheckDeviceFormat, D3DERR_NOTAVAILABLE);
    Confirm(enumtest::Ini(false, 800, 600, 32));
    EXPECT_EQ(1u, count);
    EXPECT_EQ(std::vector<bool>({false, true}), flags);
    EXPECT_EQ(std::vector<std::string>(
                  {k32Missing, k32Fallback, k24Missing, k24Fallback, k16Missing, k16Off}),
              Lines());
    EXPECT_TRUE(DepthUntouched());
}

TEST_F(FormatConfirmation, Requested16WithoutD16ConfirmsLaterFormatsUnchecked) {
    d3d->Fail(ScriptedD3D::kCheckDeviceFormat, D3DERR_NOTAVAILABLE, ScriptedD3D::kAnyAdapter,
              D3DFMT_D16);
    Confirm(enumtest::Ini(false, 800, 600, 16));
    EXPECT_EQ(std::vector<bool>({false, true}), flags);
    EXPECT_EQ(std::vector<std::string>({k16Missing, k16Off}), Lines());
    EXPECT_EQ(1, d3d->Calls(ScriptedD3D::kCheckDeviceFormat));
    EXPECT_TRUE(DepthUntouched());
}

TEST_F(FormatConfirmation, DepthOtherThan16To32SkipsDepthChecks) {
    for (int bits : {0, 8}) {
        SCOPED_TRACE(bits);
        Renew();
        flags.clear();
        Confirm(enumtest::Ini(false, 800, 600, bits));
        EXPECT_EQ(2u, count);
        EXPECT_EQ(0, d3d->Calls(ScriptedD3D::kCheckDeviceFormat));
        EXPECT_EQ(0, d3d->Calls(ScriptedD3D::kCheckDepthStencilMatch));
        EXPECT_TRUE(Lines().empty());
        EXPECT_TRUE(DepthUntouched());
    }
}

TEST_F(FormatConfirmation, FormatsFailingTypeOrDepthMatchAreNotConfirmed) {
    d3d->Fail(ScriptedD3D::kCheckDeviceType, D3DERR_NOTAVAILABLE, ScriptedD3D::kAnyAdapter,
              D3DFMT_R5G6B5);
    d3d->Fail(ScriptedD3D::kCheckDepthStencilMatch, D3DERR_NOTAVAILABLE);
    Confirm(enumtest::Ini(false, 800, 600, 24));
    EXPECT_EQ(0u, count);
    EXPECT_EQ(std::vector<bool>({false, false}), flags);
    EXPECT_EQ(std::vector<std::string>(
                  {"\tFAILED: CheckDepthStencilMatch(...) on adapter #0, device #0 : depth format "
                   "D3DFMT_D24X8 does not match render format D3DFMT_X8R8G8B8",
                   "\tFAILED: CheckDeviceType(...) on adapter #0, device HAL : format not "
                   "supported"}),
              Lines());
    EXPECT_TRUE(DepthUntouched());
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
