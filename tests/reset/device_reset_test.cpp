// Creating the device for the selected mode, resetting it, and what happens to the engine's
// device-dependent objects on the way; real devices on Wine behind the recording proxy.
#include "reset_fixture.h"

namespace resettest {
namespace {

const DWORD kWindowStyle = WS_OVERLAPPEDWINDOW | WS_VISIBLE;
const std::vector<ModeSize> kModes = {{800, 600}, {1024, 768}, {1280, 1024}};

size_t IndexOf(const krtest::D3DRecorder& recorder, const char* method) {
    for (size_t i = 0; i < recorder.calls.size(); ++i) {
        if (std::string(recorder.calls[i].method) == method) {
            return i;
        }
    }
    return recorder.calls.size();
}

class DeviceResetTest : public ResetTest {};

TEST_F(DeviceResetTest, NothingHappensBeforeTheDeviceExists) {
    KrD3DRenDev device;
    device.ParentHandle() = window_.Handle();
    KrD3DRenDevProbe probe(device);
    probe.SetLastTexture(3, eTexDynamic);
    EXPECT_FALSE(device.Reset());
    EXPECT_FALSE(device.UpdateDimensions());
    EXPECT_FALSE(device.ToggleFullScreen(true));
    EXPECT_TRUE(device.Windowed());
    EXPECT_EQ(krtest::LogLines(false),
              (std::vector<std::string>{
                  "WARNING: KrD3DRenDev::Reset() called before device enumeration, returning "
                  "failure",
                  "WARNING: Failed to Reset D3DDevice in UpdateDimensions()",
                  "WARNING: Failed to Reset D3DDevice in ToggleFullScreen()"}));
    EXPECT_TRUE(recorder_.calls.empty());
    EXPECT_EQ(window_.Placements(), 0);
    // The texture binding is forgotten even so.
    EXPECT_EQ(probe.LastTextureIndex(), -1);
    EXPECT_EQ(probe.LastTextureType(), eTexStatic);
}

TEST_F(DeviceResetTest, WindowedDeviceIsCreatedAndSurvivesAResize) {
    KrD3DRenDev* device = MakeDevice(kModes, 0);
    ASSERT_NE(device, nullptr);
    device->WindowStyle() = kWindowStyle;
    engine_.App().SetUseOSCursor(true);
    SetWindowPos(window_.Handle(), nullptr, 40, 30, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof placement;
    GetWindowPlacement(window_.Handle(), &placement);

    ASSERT_TRUE(device->Reset()) << krtest::Join(krtest::LogLines());
    // The position is saved before the style can move the window.
    ASSERT_LT(IndexOf(recorder_, "GetWindowPlacement"), IndexOf(recorder_, "SetWindowLongA"));
    EXPECT_EQ(device->WindowX(), placement.rcNormalPosition.left);
    EXPECT_EQ(device->WindowY(), placement.rcNormalPosition.top);
    std::vector<krtest::RecordedCall> style = recorder_.CallsOf("SetWindowLongA");
    ASSERT_EQ(style.size(), 1u);
    EXPECT_EQ(static_cast<long long>(style[0].args[1]), GWL_STYLE);
    EXPECT_EQ(static_cast<DWORD>(style[0].args[2]), kWindowStyle);

    std::vector<krtest::RecordedCall> create = recorder_.CallsOf("CreateDevice");
    ASSERT_EQ(create.size(), 1u);
    EXPECT_EQ(create[0].args[0], 0u);
    EXPECT_EQ(create[0].args[1], static_cast<unsigned long long>(D3DDEVTYPE_HAL));
    EXPECT_EQ(create[0].args[3],
              static_cast<unsigned long long>(D3DCREATE_HARDWARE_VERTEXPROCESSING));
    const D3DPRESENT_PARAMETERS& params = recorder_.lastPresentParameters;
    EXPECT_EQ(params.BackBufferWidth, 800u);
    EXPECT_EQ(params.BackBufferHeight, 600u);
    EXPECT_EQ(params.BackBufferFormat, KrD3DRenDevProbe(*device).Adapter(0).desktopMode.Format);
    EXPECT_EQ(params.BackBufferCount, 1u);
    EXPECT_EQ(params.SwapEffect, D3DSWAPEFFECT_DISCARD);
    EXPECT_EQ(params.hDeviceWindow, window_.Handle());
    EXPECT_EQ(params.Windowed, TRUE);
    EXPECT_EQ(params.EnableAutoDepthStencil, TRUE);
    EXPECT_EQ(params.AutoDepthStencilFormat, D3DFMT_D24X8);
    EXPECT_EQ(params.PresentationInterval, static_cast<UINT>(D3DPRESENT_INTERVAL_DEFAULT));

    std::vector<krtest::RecordedCall> cursor = recorder_.CallsOf("ShowCursor");
    ASSERT_EQ(cursor.size(), 1u);
    EXPECT_EQ(cursor[0].args[0], static_cast<unsigned long long>(TRUE));
    EXPECT_EQ(window_.Placements(), 1);
    EXPECT_EQ(recorder_.Count("GetDeviceCaps"), 1u);
    EXPECT_EQ(device->BackBufferDesc().Width, 800u);
    EXPECT_EQ(device->BackBufferDesc().Height, 600u);
    DWORD cull = 0;
    device->Device()->GetRenderState(D3DRS_CULLMODE, &cull);
    EXPECT_EQ(cull, static_cast<DWORD>(D3DCULL_CCW));
    EXPECT_TRUE(sprites_.IsReady());
    EXPECT_EQ(deviceObject_.restores, 1);
    EXPECT_TRUE(ClearsTo(device->Device(), 0xC02010, 800, 600));

    // A resize: the device is reset with the parameters it was created with.
    std::string textureCalls;
    KrD3DRenDevProbe probe(*device);
    probe.SetTextureMgr(new CountingTextureMgr(&textureCalls));
    probe.SetLastTexture(4, eTexDynamic);
    SetWindowPos(window_.Handle(), nullptr, 0, 0, 660, 500, SWP_NOMOVE | SWP_NOZORDER);
    recorder_.Clear();
    ASSERT_TRUE(device->UpdateDimensions());
    EXPECT_EQ(textureCalls, "RU");
    EXPECT_EQ(probe.LastTextureIndex(), -1);
    EXPECT_EQ(probe.LastTextureType(), eTexStatic);
    EXPECT_EQ(sprites_.DestroyCount(), 1);
    EXPECT_EQ(sprites_.InitCount(), 2);
    EXPECT_EQ(deviceObject_.releases, 1);
    EXPECT_EQ(deviceObject_.restores, 2);
    ASSERT_EQ(recorder_.Count("Reset"), 1u);
    EXPECT_EQ(recorder_.lastPresentParameters.BackBufferWidth, 800u);
    EXPECT_EQ(device->BackBufferDesc().Width, 800u);
    EXPECT_TRUE(ClearsTo(device->Device(), 0x20C040, 800, 600));
    EXPECT_TRUE(DeleteDevice(device));
}

TEST_F(DeviceResetTest, FullScreenDeviceTakesTheModeFormatAndAPopupWindow) {
    KrD3DRenDev* device = MakeDevice(kModes, 1, false);
    ASSERT_NE(device, nullptr);
    device->WindowStyle() = kWindowStyle;
    device->UsingZBuffer() = false;
    device->SetClientArea(RECT{0, 0, 1024, 768});

    ASSERT_TRUE(device->Reset()) << krtest::Join(krtest::LogLines());
    EXPECT_EQ(recorder_.Count("GetWindowPlacement"), 0u);
    std::vector<krtest::RecordedCall> style = recorder_.CallsOf("SetWindowLongA");
    ASSERT_EQ(style.size(), 1u);
    EXPECT_EQ(static_cast<DWORD>(style[0].args[2]), 0x90080000u);
    const D3DPRESENT_PARAMETERS& params = recorder_.lastPresentParameters;
    EXPECT_EQ(params.Windowed, FALSE);
    EXPECT_EQ(params.BackBufferWidth, 1024u);
    EXPECT_EQ(params.BackBufferHeight, 768u);
    EXPECT_EQ(params.BackBufferFormat, D3DFMT_X8R8G8B8);
    EXPECT_EQ(params.PresentationInterval, static_cast<UINT>(D3DPRESENT_INTERVAL_ONE));
    EXPECT_EQ(params.EnableAutoDepthStencil, FALSE);
    // The popup covers the client area widened by the windowed frame.
    std::vector<krtest::RecordedCall> adjust = recorder_.CallsOf("AdjustWindowRect");
    ASSERT_EQ(adjust.size(), 1u);
    EXPECT_EQ(static_cast<DWORD>(adjust[0].args[1]), kWindowStyle);
    EXPECT_EQ(adjust[0].args[2], static_cast<unsigned long long>(TRUE));
    EXPECT_EQ(window_.Placements(), 1);
    EXPECT_TRUE(ClearsTo(device->Device(), 0x1030D0, 1024, 768));
    EXPECT_TRUE(DeleteDevice(device));
}

TEST_F(DeviceResetTest, HardwareCreationFailureTurnsToAReferenceRecordOnly) {
    KrD3DRenDev* device = MakeDevice(kModes, 0);
    ASSERT_NE(device, nullptr);
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

    // With a reference record on adapter 0 the creation is tried once more on it; a failing
    // reference device ends there.
    probe.AddDeviceRecord(D3DDEVTYPE_REF);
    krtest::ClearLog();
    recorder_.Clear();
    recorder_.FailCall("CreateDevice", D3DERR_NOTAVAILABLE, 0);
    EXPECT_FALSE(device->Reset());
    std::vector<krtest::RecordedCall> create = recorder_.CallsOf("CreateDevice");
    ASSERT_EQ(create.size(), 2u);
    EXPECT_EQ(create[0].args[1], static_cast<unsigned long long>(D3DDEVTYPE_HAL));
    EXPECT_EQ(create[1].args[1], static_cast<unsigned long long>(D3DDEVTYPE_REF));
    EXPECT_EQ(probe.Adapter(0).currentDevice, 1u);
    EXPECT_EQ(krtest::LogLines(false),
              std::vector<std::string>{"WARNING: Switching to REFERENCE RASTERIZER"});
    recorder_.StopFailing();
    EXPECT_TRUE(DeleteDevice(device));
}

TEST_F(DeviceResetTest, FailedResetLeavesTheDependantsReleased) {
    KrD3DRenDev* device = MakeDevice(kModes, 0);
    ASSERT_NE(device, nullptr);
    ASSERT_TRUE(device->Reset());
    krtest::ClearLog();

    recorder_.FailCall("Reset", D3DERR_DEVICELOST);
    EXPECT_FALSE(device->UpdateDimensions());
    EXPECT_FALSE(sprites_.IsReady());
    EXPECT_EQ(deviceObject_.releases, 1);
    EXPECT_EQ(deviceObject_.restores, 1);

    recorder_.FailCall("Reset", D3DERR_DEVICELOST);
    EXPECT_FALSE(device->ToggleFullScreen(false));
    EXPECT_FALSE(sprites_.IsReady());
    EXPECT_EQ(deviceObject_.restores, 1);
    EXPECT_EQ(
        krtest::LogLines(false),
        (std::vector<std::string>{"WARNING: Failed to Reset D3DDevice in UpdateDimensions()",
                                  "WARNING: Failed to Reset D3DDevice in ToggleFullScreen()"}));

    // A later reset brings everything back.
    ASSERT_TRUE(device->UpdateDimensions());
    EXPECT_TRUE(sprites_.IsReady());
    EXPECT_EQ(deviceObject_.restores, 2);
    EXPECT_TRUE(ClearsTo(device->Device(), 0x808000, 800, 600));
    EXPECT_TRUE(DeleteDevice(device));
}

}  // namespace
}  // namespace resettest
