#include "reset_fixture.h"

void KrD3DRenDevProbe::FillAdapter(IDirect3D9* d3d, const std::vector<ModeSize>& modes,
                                   unsigned int current) {
    d_.d3d = d3d;
    D3DAdapterInfo& adapter = d_.adapters[0];
    d3d->GetAdapterDisplayMode(0, &adapter.desktopMode);
    D3DDeviceInfo& record = adapter.devices[0];
    record.deviceType = D3DDEVTYPE_HAL;
    d3d->GetDeviceCaps(0, D3DDEVTYPE_HAL, &record.caps);
    for (const ModeSize& size : modes) {
        record.modes[record.numModes++] = {
            size.width,  size.height, D3DFMT_X8R8G8B8, 0, D3DCREATE_HARDWARE_VERTEXPROCESSING,
            D3DFMT_D24X8};
    }
    record.currentMode = current;
    record.windowed = true;
    adapter.numDevices = 1;
    d_.currentAdapter = 0;
}

void KrD3DRenDevProbe::AddDeviceRecord(D3DDEVTYPE type) {
    D3DAdapterInfo& adapter = d_.adapters[0];
    adapter.devices[adapter.numDevices] = adapter.devices[0];
    adapter.devices[adapter.numDevices++].deviceType = type;
}

namespace resettest {

ResetTest::ResetTest() {
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
                                   bool create) {
    IDirect3D9* d3d = Platform().Direct3DCreate9(D3D_SDK_VERSION);
    if (d3d == nullptr) {
        ADD_FAILURE() << "no Direct3D";
        return nullptr;
    }
    KrD3DRenDev* device = new KrD3DRenDev();
    KrD3DRenDevProbe(*device).FillAdapter(d3d, modes, current);
    device->ParentHandle() = window_.Handle();
    device->WindowStyle() = kWindowStyle;
    device->SetClientArea(RECT{0, 0, 1024, 768});
    device->UsingZBuffer() = true;
    device->SetSpriteDaemon(&sprites_);
    device->SetDeviceObject(&deviceObject_);
    Engine().SetRender(device);
    if (create && !device->Reset()) {
        ADD_FAILURE() << krtest::Join(krtest::LogLines());
    }
    recorder_.Clear();
    krtest::ClearLog();
    return device;
}

void ResetTest::DeleteDevice(KrD3DRenDev* device) {
    IDirect3DDevice9* d3dDevice = device->Device();
    IDirect3D9* d3d = device->Direct3D();
    if (d3dDevice != nullptr) {
        d3dDevice->AddRef();
    }
    d3d->AddRef();
    Engine().SetRender(nullptr);
    delete device;
    EXPECT_EQ(d3dDevice != nullptr ? d3dDevice->Release() : 0, 0u);
    EXPECT_EQ(d3d->Release(), 0u);
}

bool ResetTest::ClearsTo(KrD3DRenDev* device, unsigned int colour, int width, int height) {
    std::vector<unsigned int> pixels;
    int w = 0;
    int h = 0;
    if (FAILED(device->Device()->Clear(0, nullptr, D3DCLEAR_TARGET, colour, 1.0f, 0)) ||
        !krtest::ReadBackBuffer(device->Device(), pixels, w, h) || w != width || h != height) {
        ADD_FAILURE() << "back buffer " << w << "x" << h << ", wanted " << width << "x" << height;
        return false;
    }
    const int points[][2] = {{0, 0}, {w - 1, 0}, {0, h - 1}, {w - 1, h - 1}, {w / 2, h / 2}};
    for (const auto& p : points) {
        if (!krtest::ColourNear(pixels[static_cast<size_t>(p[1] * w + p[0])], colour, 2)) {
            return false;
        }
    }
    return true;
}

unsigned long long ResetTest::Arg(const char* method, size_t n, size_t index) const {
    std::vector<krtest::RecordedCall> calls = recorder_.CallsOf(method);
    return n < calls.size() && index < calls[n].args.size() ? calls[n].args[index] : ~0ull;
}

DWORD ResetTest::RenderState(KrD3DRenDev* device, D3DRENDERSTATETYPE state) {
    DWORD value = 0;
    device->Device()->GetRenderState(state, &value);
    return value;
}

DWORD ResetTest::StageState(KrD3DRenDev* device, DWORD stage, D3DTEXTURESTAGESTATETYPE type) {
    DWORD value = 0;
    device->Device()->GetTextureStageState(stage, type, &value);
    return value;
}

}  // namespace resettest
