#include "reset_fixture.h"

#include <algorithm>

void KrD3DRenDevProbe::FillAdapter(const std::vector<ModeSize>& modes, unsigned int current,
                                   D3DDEVTYPE type) {
    D3DAdapterInfo& adapter = device_.adapters[0];
    device_.d3d->GetAdapterDisplayMode(0, &adapter.desktopMode);
    D3DDeviceInfo& record = adapter.devices[0];
    record.deviceType = type;
    device_.d3d->GetDeviceCaps(0, D3DDEVTYPE_HAL, &record.caps);
    for (const ModeSize& size : modes) {
        D3DModeInfo& mode = record.modes[record.numModes++];
        mode.width = size.width;
        mode.height = size.height;
        mode.format = D3DFMT_X8R8G8B8;
        mode.refreshRate = 0;
        mode.behaviorFlags = D3DCREATE_HARDWARE_VERTEXPROCESSING;
        mode.depthStencilFormat = D3DFMT_D24X8;
    }
    record.currentMode = current;
    record.windowed = true;
    record.multiSampleType = D3DMULTISAMPLE_NONE;
    adapter.numDevices = 1;
    adapter.currentDevice = 0;
    device_.adapterCount = 1;
    device_.currentAdapter = 0;
}

void KrD3DRenDevProbe::AddDeviceRecord(D3DDEVTYPE type) {
    D3DAdapterInfo& adapter = device_.adapters[0];
    D3DDeviceInfo& record = adapter.devices[adapter.numDevices++];
    record = adapter.devices[0];
    record.deviceType = type;
}

namespace resettest {

ResetTest::ResetTest(const std::string& ini) : engine_(ini) {
    krtest::InstallRecordingPlatform(&recorder_);
    window_.Create("kr reset test", 800, 600);
    Engine().SetOSGUI(&window_);
    krtest::ClearLog();
}

ResetTest::~ResetTest() {
    RestorePlatform();
    window_.Destroy();
}

KrD3DRenDev* ResetTest::MakeDevice(const std::vector<ModeSize>& modes, unsigned int current,
                                   bool windowed) {
    IDirect3D9* d3d = Platform().Direct3DCreate9(D3D_SDK_VERSION);
    if (d3d == nullptr) {
        return nullptr;
    }
    KrD3DRenDev* device = new KrD3DRenDev();
    KrD3DRenDevProbe probe(*device);
    probe.UseDirect3D(d3d);
    probe.FillAdapter(modes, current);
    device->Windowed() = windowed;
    device->ParentHandle() = window_.Handle();
    device->WindowStyle() = window_.Style();
    device->UsingZBuffer() = true;
    device->SetSpriteDaemon(&sprites_);
    device->SetDeviceObject(&deviceObject_);
    Engine().SetRender(device);
    recorder_.Clear();
    return device;
}

bool ResetTest::DeleteDevice(KrD3DRenDev* device) {
    // Hold one more reference on each so that the device object's own Releases can be checked:
    // ours must then be the last.
    IDirect3DDevice9* d3dDevice = device->Device();
    IDirect3D9* d3d = device->Direct3D();
    if (d3dDevice != nullptr) {
        d3dDevice->AddRef();
    }
    d3d->AddRef();
    Engine().SetRender(nullptr);
    delete device;
    unsigned long deviceCount = d3dDevice != nullptr ? d3dDevice->Release() : 0;
    unsigned long d3dCount = d3d->Release();
    EXPECT_EQ(deviceCount, 0u);
    EXPECT_EQ(d3dCount, 0u);
    return deviceCount == 0 && d3dCount == 0;
}

bool ResetTest::ClearsTo(IDirect3DDevice9* device, unsigned int colour, int width, int height) {
    if (device == nullptr ||
        FAILED(device->Clear(0, nullptr, D3DCLEAR_TARGET, colour | 0xFF000000, 1.0f, 0))) {
        return false;
    }
    std::vector<unsigned int> pixels;
    int w = 0;
    int h = 0;
    if (!krtest::ReadBackBuffer(device, pixels, w, h) || w != width || h != height) {
        ADD_FAILURE() << "back buffer " << w << "x" << h << ", wanted " << width << "x" << height;
        return false;
    }
    const int points[][2] = {{0, 0}, {w - 1, 0}, {0, h - 1}, {w - 1, h - 1}, {w / 2, h / 2}};
    for (const auto& p : points) {
        unsigned int pixel =
            pixels[static_cast<size_t>(p[1]) * static_cast<size_t>(w) + static_cast<size_t>(p[0])];
        if (!krtest::ColourNear(pixel & 0xFFFFFF, colour & 0xFFFFFF, 2)) {
            return false;
        }
    }
    return true;
}

bool ResetTest::Logged(const std::string& line) const {
    std::vector<std::string> lines = krtest::LogLines();
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

}  // namespace resettest
