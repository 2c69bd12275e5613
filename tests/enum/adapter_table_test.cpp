// The adapter table: what the enumeration asks Direct3D, logs and records per adapter.
#include "enum_fixture.h"

namespace {

using enumtest::ExpectRun;
using enumtest::Ini;
using enumtest::kDebug;
using enumtest::kPlain;
using krtest::ScriptedD3D;

class AdapterTable : public enumtest::ScriptedStart {};

TEST_F(AdapterTable, RecordsComeByFormatThenSizeWithEveryRefreshRateAndA16BitDefault) {
    d3d->AddAdapter("Scripted Card A", "scripted.dll");
    d3d->AddMode(0, 1024, 768, D3DFMT_A2R10G10B10);
    d3d->AddMode(0, 800, 600, D3DFMT_X1R5G5B5);
    d3d->AddMode(0, 640, 480, D3DFMT_X1R5G5B5);
    d3d->AddMode(0, 1024, 768, D3DFMT_R5G6B5);
    d3d->AddMode(0, 800, 600, D3DFMT_R5G6B5);
    d3d->AddMode(0, 1280, 1024, D3DFMT_X8R8G8B8);
    d3d->AddMode(0, 800, 600, D3DFMT_X8R8G8B8, {60, 75, 85});
    d3d->AddMode(0, 1024, 768, D3DFMT_X8R8G8B8);
    d3d->AddMode(0, 799, 1024, D3DFMT_X8R8G8B8);
    d3d->AddMode(0, 1280, 599, D3DFMT_X8R8G8B8);
    KrD3DRenDevProbe probe = Bare(Ini(false, 1024, 768));

    ASSERT_TRUE(probe.EnumerateAdapter(0));

    const std::string hw = "\t-HW_VP-\tDepth: D3DFMT_D24X8";
    std::vector<enumtest::Line> expected = {
        {kPlain, "\tScripted Card A / Driver: scripted.dll"},
        {kDebug, "\tHAL Device supports fixed function HW VP"},
        {kDebug, "\tHAL Device supports programmable HW VP"},
        {kDebug, "\tHAL Device is Pure"},
        {kDebug, "\tHAL Device supports source alpha blending"},
        {kDebug, "\tHAL Device supports destination inverse alpha blending"},
        {kDebug, "\tDevice supports a max of 96 VS1_1 shader constants"},
        {kDebug, "\tHAL Device supports bilinear filtering on texture minification"},
        {kDebug, "\tHAL Device supports bilinear filtering on texture magnification"},
        {kDebug, "\tHAL Device supports trilinear MIP map interpolation"},
        {kDebug, "\tHAL Device supports a max of 8 active API lights"},
        {kDebug, "\tHAL Device can bind up to 4 textures simultaneously to 8 blend stages"},
        {kDebug,
         "\tHAL Device supports up to 8 simultaneous texture coord sets when multi-texturing"},
        {kDebug, "\tHAL Device supports up to 16 simultaneous vertex streams"},
        {kDebug,
         "\tHAL Device does NOT support non-power of 2 texture dimensions (exc. cube/volume)"},
        {kPlain, "\t\tDetected 9 display modes on HAL adapter"},
        {kDebug, "\t\t\t1024x768\tINVALID_FORMAT" + hw},
        {kDebug, "\t\t\t800x600\tD3DFMT_X1R5G5B5" + hw},
        {kDebug, "\t\t\t800x600\tD3DFMT_R5G6B5" + hw},
        {kDebug, "\t\t\t1024x768\tD3DFMT_R5G6B5" + hw},
        {kDebug, "\t\t\t800x600\tD3DFMT_X8R8G8B8" + hw},
        {kDebug, "\t\t\t800x600\tD3DFMT_X8R8G8B8" + hw},
        {kDebug, "\t\t\t800x600\tD3DFMT_X8R8G8B8" + hw},
        {kDebug, "\t\t\t1024x768\tD3DFMT_X8R8G8B8" + hw},
        {kDebug, "\t\t\t1280x1024\tD3DFMT_X8R8G8B8" + hw},
    };
    EXPECT_EQ(enumtest::Describe(expected), enumtest::Describe(enumtest::CapturedLines()));

    const D3DAdapterInfo& adapter = probe.Adapter(0);
    const D3DDeviceInfo& hal = adapter.devices[0];
    EXPECT_EQ(1u, adapter.numDevices);
    EXPECT_EQ(1280u, adapter.desktopMode.Width);
    EXPECT_EQ(D3DDEVTYPE_HAL, hal.deviceType);
    EXPECT_TRUE(hal.windowed);
    EXPECT_TRUE(hal.hardwareTnL && hal.hardwareVP);
    EXPECT_EQ(D3DMULTISAMPLE_NONE, hal.multiSampleType);
    ASSERT_EQ(9u, hal.numModes);
    // The first 16-bit record large enough is where a fresh start begins.
    EXPECT_EQ(1u, hal.currentMode);
    for (unsigned int m = 0; m < hal.numModes; ++m) {
        EXPECT_EQ(0u, hal.modes[m].refreshRate) << m;
        EXPECT_EQ(static_cast<unsigned int>(D3DCREATE_HARDWARE_VERTEXPROCESSING),
                  hal.modes[m].behaviorFlags);
        EXPECT_EQ(static_cast<unsigned int>(D3DFMT_D24X8), hal.modes[m].depthStencilFormat);
    }
}

// Adapter A: hardware T&L with vertex shader 1.0 only. Adapter B: nothing at all.
void ScriptTwoUnequalAdapters(ScriptedD3D& d3d) {
    ScriptedD3D::Adapter& a = d3d.AddAdapter("Card A", "a.dll");
    a.caps.VertexShaderVersion = D3DVS_VERSION(1, 0);
    enumtest::AddUsualModes(d3d, 0);
    ScriptedD3D::Adapter& b = d3d.AddAdapter("Card B", "b.dll");
    b.caps.DevCaps = D3DDEVCAPS_PUREDEVICE;
    b.caps.VertexShaderVersion = D3DVS_VERSION(2, 0);
    b.caps.SrcBlendCaps = 0;
    b.caps.DestBlendCaps = 0;
    b.caps.MaxVertexShaderConst = 0;
    b.caps.TextureFilterCaps = 0;
    b.caps.MaxActiveLights = 2;
    b.caps.MaxSimultaneousTextures = 1;
    b.caps.MaxTextureBlendStages = 3;
    b.caps.FVFCaps = 0x80002;
    b.caps.MaxStreams = 1;
    b.caps.TextureCaps = 0;
    b.caps.TextureOpCaps = 0;
    enumtest::AddUsualModes(d3d, 1);
}

TEST_F(AdapterTable, LaterAdapterWinsAndTheLastScannedDeviceSetsTheCounts) {
    ScriptTwoUnequalAdapters(*d3d);
    ASSERT_TRUE(Start(Ini(false, 1024, 768)));

    ExpectRun({{kDebug, "\tHAL Device supports fixed function HW VP"},
               {kDebug, "\tHAL Device does not support programmable HW VP"},
               {kDebug, "\tHAL Device supports source alpha blending"}});
    ExpectRun(
        {{kPlain, "\tCard B / Driver: b.dll"},
         {kDebug, "\tHAL Device does NOT support HWTnL"},
         {kDebug, "\tHAL Device does NOT support source alpha blending"},
         {kDebug, "\tHAL Device does NOT support destination inverse alpha blending"},
         {kDebug, "\tDevice supports a max of 0 VS1_1 shader constants"},
         {kDebug, "\tHAL Device does NOT support bilinear filtering on texture minification"},
         {kDebug, "\tHAL Device dose NOT support bilinear filtering on texture magnification"},
         {kDebug, "\tHAL Device does NOT support trilinear MIP map interpolation"},
         {kDebug, "\tHAL Device supports a max of 2 active API lights"},
         {kDebug, "\tHAL Device can bind up to 1 textures simultaneously to 3 blend stages"},
         {kDebug,
          "\tHAL Device supports up to 2 simultaneous texture coord sets when multi-texturing"},
         {kDebug, "\tHAL Device supports up to 1 simultaneous vertex streams"},
         {kDebug, "\tHAL Device supports non-power of 2 texture dimensions (exc. cube/volume)"},
         {kDebug, "\tHAL Device does NOT support bump mapping"},
         {kPlain, "\t\tDetected 6 display modes on HAL adapter"}});
    ExpectRun({{kPlain, "\t\tSelected HAL device on Card B, display mode:"},
               {kPlain, "\t\t\t1024x768\tD3DFMT_X8R8G8B8\t-SW_VP-\tD3DFMT_D24X8"}});

    KrD3DRenDevProbe probe(*device);
    EXPECT_EQ(1, device->CurrentAdapter());
    EXPECT_EQ(2u, device->AdapterCount());
    // Neither a shader 1.0 device nor one without T&L processes vertices in hardware.
    for (int a = 0; a < 2; ++a) {
        const D3DDeviceInfo& hal = probe.Adapter(a).devices[0];
        ASSERT_EQ(6u, hal.numModes);
        for (unsigned int m = 0; m < hal.numModes; ++m) {
            EXPECT_EQ(static_cast<unsigned int>(D3DCREATE_SOFTWARE_VERTEXPROCESSING),
                      hal.modes[m].behaviorFlags);
        }
    }
    EXPECT_EQ(1, probe.StreamCount());
    EXPECT_EQ(1, probe.SimultaneousTextures());
    EXPECT_EQ(3, probe.BlendStages());
    EXPECT_EQ(2, probe.TexCoordSets());
    EXPECT_TRUE(probe.LinearFilters()) << "filter flags are never cleared by a later device";
    EXPECT_TRUE(probe.NonPow2Textures());
    EXPECT_EQ(2u, probe.ActiveLightLimit());
}

TEST_F(AdapterTable, AdapterWithoutLargeModesIsLeftOutAndWarnsOnlyWithoutAnyFormat) {
    d3d->AddAdapter("Small A", "a.dll");
    d3d->AddMode(0, 640, 480, D3DFMT_X8R8G8B8);
    d3d->AddAdapter("Small B", "b.dll", 1280, 1024, D3DFMT_R5G6B5);
    d3d->AddMode(1, 640, 480, D3DFMT_R5G6B5);
    d3d->Fail(ScriptedD3D::kCheckDeviceType, D3DERR_NOTAVAILABLE, 1);
    d3d->AddAdapter("Card C", "c.dll");
    enumtest::AddUsualModes(*d3d, 2);
    ASSERT_TRUE(Start(Ini(false, 1280, 1024)));

    std::vector<std::string> lines = krtest::LogLines();
    EXPECT_FALSE(krtest::ContainsRun(
        lines, {"WARNING: Could not confirm any valid display modes on HAL device of Small A"}));
    EXPECT_TRUE(krtest::ContainsRun(
        lines, {"\tFAILED: CheckDeviceType(...) on adapter #1, device HAL : format not supported",
                "WARNING: Could not confirm any valid display modes on HAL device of Small B",
                "\t\tDetected 0 display modes on HAL adapter"}))
        << krtest::Join(lines);
    KrD3DRenDevProbe probe(*device);
    for (int a = 0; a < 2; ++a) {
        EXPECT_EQ(0u, probe.Adapter(a).numDevices);
        EXPECT_FALSE(probe.Adapter(a).devices[0].windowed);
        EXPECT_EQ(0u, probe.Adapter(a).desktopMode.Width);
    }
    EXPECT_EQ(2, device->CurrentAdapter());
    // The missing adapters add nothing to the sizes offered.
    EXPECT_EQ(3, device->GetNumResolutions());
}

TEST_F(AdapterTable, WhatDoesNotFitTheTablesIsIgnored) {
    for (int a = 0; a < 6; ++a) {
        d3d->AddAdapter(("Card " + std::to_string(a)).c_str(), "x.dll");
    }
    // 300 large enough modes on the first adapter, 10 in a format enumerated after them.
    for (UINT w = 0; w < 300; ++w) {
        d3d->AddMode(0, 800 + w, 600, D3DFMT_X8R8G8B8);
    }
    for (UINT w = 0; w < 10; ++w) {
        d3d->AddMode(0, 800 + w, 600, D3DFMT_A2R10G10B10);
    }
    for (int a = 1; a < 6; ++a) {
        d3d->AddMode(a, 800, 600, D3DFMT_X8R8G8B8);
    }
    ASSERT_TRUE(Start(Ini(false, 2000, 2000)));

    EXPECT_TRUE(krtest::ContainsRun(krtest::LogLines(), {"\tDetected 6 D3D adapter(s)"}));
    EXPECT_EQ(5u, device->AdapterCount());
    EXPECT_EQ(5, d3d->Calls(ScriptedD3D::kGetAdapterIdentifier)) << "the sixth is never asked";
    KrD3DRenDevProbe probe(*device);
    const D3DDeviceInfo& hal = probe.Adapter(0).devices[0];
    ASSERT_EQ(256u, hal.numModes);
    EXPECT_EQ(800u, hal.modes[0].width);
    EXPECT_EQ(800u + 255u, hal.modes[255].width);
    EXPECT_EQ(static_cast<unsigned int>(D3DFMT_X8R8G8B8), hal.modes[255].format);
    EXPECT_TRUE(
        krtest::ContainsRun(krtest::LogLines(), {"\t\tDetected 256 display modes on HAL adapter"}));
    EXPECT_EQ(4, device->CurrentAdapter());
}

}  // namespace
