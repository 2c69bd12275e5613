// Creating the device for the selected mode, resetting it, and what happens to the engine's
// device-dependent objects on the way; real devices on Wine behind the recording proxy.
#include "reset_fixture.h"

namespace resettest {
namespace {

using DeviceReset = ResetTest;
const std::vector<ModeSize> kModes = {{800, 600}, {1024, 768}, {1280, 1024}};

TEST_F(DeviceReset, NothingHappensBeforeTheDeviceExists) {
    KrD3DRenDev device;
    KrD3DRenDevProbe probe(device);
    probe.LastTextureIndex() = 3;
    EXPECT_FALSE(device.Reset());
    EXPECT_FALSE(device.UpdateDimensions());
    EXPECT_FALSE(device.ToggleFullScreen(true));
    EXPECT_TRUE(device.Windowed());
    EXPECT_EQ(
        krtest::LogLines(false),
        (std::vector<std::string>{"WARNING: KrD3DRenDev::Reset() called before device "
                                  "enumeration, returning failure",
                                  "WARNING: Failed to Reset D3DDevice in UpdateDimensions()",
                                  "WARNING: Failed to Reset D3DDevice in ToggleFullScreen()"}));
    EXPECT_TRUE(recorder_.calls.empty());
    EXPECT_EQ(probe.LastTextureIndex(), -1);
}

TEST_F(DeviceReset, WindowedDeviceIsCreatedAndSurvivesAResize) {
    KrD3DRenDev* device = MakeDevice(kModes, 0, false);
    SetWindowPos(window_.Handle(), nullptr, 40, 30, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    RECT frame;
    GetWindowRect(window_.Handle(), &frame);

    ASSERT_TRUE(device->Reset()) << krtest::Join(krtest::LogLines());
    // The position is saved before the style can move the window.
    EXPECT_EQ(recorder_.calls[0].method, std::string("GetWindowPlacement"));
    EXPECT_EQ(device->WindowX(), frame.left);
    EXPECT_EQ(device->WindowY(), frame.top);
    EXPECT_EQ(static_cast<DWORD>(Arg("SetWindowLongA", 0, 2)), kWindowStyle);
    EXPECT_EQ(Arg("CreateDevice", 0, 1), static_cast<unsigned long long>(D3DDEVTYPE_HAL));
    EXPECT_EQ(Arg("CreateDevice", 0, 3), 0x40u);
    const D3DPRESENT_PARAMETERS& params = recorder_.lastPresentParameters;
    EXPECT_EQ(params.BackBufferWidth, 800u);
    EXPECT_EQ(params.BackBufferFormat, KrD3DRenDevProbe(*device).Adapter(0).desktopMode.Format);
    EXPECT_EQ(params.Windowed, TRUE);
    EXPECT_EQ(params.EnableAutoDepthStencil, TRUE);
    EXPECT_EQ(params.AutoDepthStencilFormat, D3DFMT_D24X8);
    EXPECT_EQ(params.PresentationInterval, static_cast<UINT>(D3DPRESENT_INTERVAL_DEFAULT));
    EXPECT_EQ(Arg("ShowCursor", 0, 0), static_cast<unsigned long long>(TRUE));
    EXPECT_EQ(window_.Placements(), 1);
    EXPECT_EQ(recorder_.Count("GetDeviceCaps"), 1u);
    EXPECT_EQ(device->BackBufferDesc().Height, 600u);
    EXPECT_EQ(RenderState(device, D3DRS_ZENABLE), static_cast<DWORD>(D3DZB_TRUE));
    EXPECT_TRUE(sprites_.IsReady());
    EXPECT_EQ(deviceObject_.restores, 1);
    EXPECT_TRUE(ClearsTo(device, 0xC02010, 800, 600));

    // A resize: released, reset with the parameters it was created with, restored.
    std::string textureCalls;
    KrD3DRenDevProbe probe(*device);
    probe.SetTextureMgr(new CountingTextureMgr(&textureCalls));
    probe.LastTextureIndex() = 4;
    probe.LastTextureType() = eTexDynamic;
    SetWindowPos(window_.Handle(), nullptr, 0, 0, 660, 500, SWP_NOMOVE | SWP_NOZORDER);
    ASSERT_TRUE(device->UpdateDimensions());
    EXPECT_EQ(textureCalls, "RU");
    EXPECT_EQ(probe.LastTextureIndex(), -1);
    EXPECT_EQ(probe.LastTextureType(), eTexStatic);
    EXPECT_EQ(sprites_.DestroyCount(), 1);
    EXPECT_EQ(sprites_.InitCount(), 2);
    EXPECT_EQ(deviceObject_.releases, 1);
    EXPECT_EQ(deviceObject_.restores, 2);
    EXPECT_EQ(recorder_.lastPresentParameters.BackBufferWidth, 800u);
    EXPECT_TRUE(ClearsTo(device, 0x20C040, 800, 600));
    DeleteDevice(device);
}

TEST_F(DeviceReset, FullScreenDeviceTakesTheModeFormatAndAPopupWindow) {
    KrD3DRenDev* device = MakeDevice(kModes, 1, false);
    device->Windowed() = false;
    device->UsingZBuffer() = false;
    ASSERT_TRUE(device->Reset()) << krtest::Join(krtest::LogLines());
    EXPECT_EQ(recorder_.Count("GetWindowPlacement"), 0u);
    EXPECT_EQ(static_cast<DWORD>(Arg("SetWindowLongA", 0, 2)), 0x90080000u);
    const D3DPRESENT_PARAMETERS& params = recorder_.lastPresentParameters;
    EXPECT_EQ(params.Windowed, FALSE);
    EXPECT_EQ(params.BackBufferWidth, 1024u);
    EXPECT_EQ(params.BackBufferFormat, D3DFMT_X8R8G8B8);
    EXPECT_EQ(params.PresentationInterval, static_cast<UINT>(D3DPRESENT_INTERVAL_ONE));
    EXPECT_EQ(params.EnableAutoDepthStencil, FALSE);
    // The popup covers the client area widened by the windowed frame.
    EXPECT_EQ(Arg("AdjustWindowRect", 0, 1), kWindowStyle);
    EXPECT_EQ(Arg("AdjustWindowRect", 0, 2), static_cast<unsigned long long>(TRUE));
    EXPECT_EQ(window_.Placements(), 1);
    EXPECT_TRUE(ClearsTo(device, 0x1030D0, 1024, 768));
    DeleteDevice(device);
}

TEST_F(DeviceReset, HardwareCreationFailureTurnsToAReferenceRecordOnly) {
    KrD3DRenDev* device = MakeDevice(kModes, 0, false);
    KrD3DRenDevProbe probe(*device);
    probe.Adapter(1) = probe.Adapter(0);
    probe.CurrentAdapter() = 1;
    sprites_.Init();
    recorder_.FailCall("CreateDevice", D3DERR_NOTAVAILABLE);
    EXPECT_FALSE(device->Reset());
    EXPECT_EQ(krtest::LogLines(false),
              std::vector<std::string>{"WARNING: Switching to REFERENCE RASTERIZER"});
    EXPECT_EQ(probe.CurrentAdapter(), 0);
    EXPECT_EQ(recorder_.Count("CreateDevice"), 1u);
    EXPECT_EQ(device->Device(), nullptr);
    EXPECT_FALSE(sprites_.IsReady());

    // With a reference record on adapter 0 creation is tried once more, on it, and ends there.
    probe.AddDeviceRecord(D3DDEVTYPE_REF);
    krtest::ClearLog();
    recorder_.Clear();
    recorder_.FailCall("CreateDevice", D3DERR_NOTAVAILABLE, 0);
    EXPECT_FALSE(device->Reset());
    EXPECT_EQ(recorder_.Count("CreateDevice"), 2u);
    EXPECT_EQ(Arg("CreateDevice", 1, 1), static_cast<unsigned long long>(D3DDEVTYPE_REF));
    EXPECT_EQ(probe.Adapter(0).currentDevice, 1u);
    EXPECT_EQ(krtest::LogLines(false).size(), 1u);
    recorder_.StopFailing();
    DeleteDevice(device);
}

TEST_F(DeviceReset, FailedResetLeavesTheDependantsReleased) {
    KrD3DRenDev* device = MakeDevice(kModes, 0);
    recorder_.FailCall("Reset", D3DERR_DEVICELOST);
    EXPECT_FALSE(device->UpdateDimensions());
    EXPECT_FALSE(sprites_.IsReady());
    recorder_.FailCall("Reset", D3DERR_DEVICELOST);
    EXPECT_FALSE(device->ToggleFullScreen(false));
    EXPECT_FALSE(sprites_.IsReady());
    EXPECT_EQ(deviceObject_.releases, 2);
    EXPECT_EQ(deviceObject_.restores, 1);
    EXPECT_EQ(
        krtest::LogLines(false),
        (std::vector<std::string>{"WARNING: Failed to Reset D3DDevice in UpdateDimensions()",
                                  "WARNING: Failed to Reset D3DDevice in ToggleFullScreen()"}));

    ASSERT_TRUE(device->UpdateDimensions());
    EXPECT_TRUE(sprites_.IsReady());
    EXPECT_TRUE(ClearsTo(device, 0x808000, 800, 600));
    DeleteDevice(device);
}

}  // namespace
}  // namespace resettest
