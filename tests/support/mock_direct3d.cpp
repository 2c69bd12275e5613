#include "mock_direct3d.h"

#include <algorithm>
#include <cstring>

#include "platform.h"

namespace krtest {

namespace {
MockDirect3D* g_installed = nullptr;
IDirect3D9* WINAPI CreateInstalled(UINT) {
    g_installed->AddRef();
    return g_installed;
}
}  // namespace

using testing::_;
using testing::DoAll;
using testing::Invoke;
using testing::Return;
using testing::SetArgPointee;

MockDirect3D::MockDirect3D() {
    ON_CALL(*this, GetAdapterCount()).WillByDefault(Invoke([this] {
        return static_cast<UINT>(adapters.size());
    }));
    ON_CALL(*this, GetAdapterModeCount(_, _)).WillByDefault(Invoke([this](UINT a, D3DFORMAT f) {
        return static_cast<UINT>(
            std::count_if(At(a).modes.begin(), At(a).modes.end(),
                          [f](const D3DDISPLAYMODE& m) { return m.Format == f; }));
    }));
    ON_CALL(*this, EnumAdapterModes(_, _, _, _))
        .WillByDefault(Invoke([this](UINT a, D3DFORMAT f, UINT index, D3DDISPLAYMODE* out) {
            for (const D3DDISPLAYMODE& mode : At(a).modes) {
                if (mode.Format == f && index-- == 0)
                    return *out = mode, S_OK;
            }
            return D3DERR_INVALIDCALL;
        }));
    ON_CALL(*this, CheckDeviceFormat(_, _, _, _, _, _))
        .WillByDefault(Invoke([this](UINT a, D3DDEVTYPE, D3DFORMAT, DWORD, D3DRESOURCETYPE,
                                     D3DFORMAT depth) {
            const std::vector<D3DFORMAT>& offered = At(a).depthFormats;
            return std::count(offered.begin(), offered.end(), depth) ? S_OK : D3DERR_NOTAVAILABLE;
        }));
    ON_CALL(*this, GetAdapterDisplayMode(_, _))
        .WillByDefault(
            Invoke([this](UINT a, D3DDISPLAYMODE* out) { return *out = At(a).desktop, S_OK; }));
    ON_CALL(*this, CreateDevice(_, _, _, _, _, _)).WillByDefault(Return(D3DERR_NOTAVAILABLE));
}

MockAdapter& MockDirect3D::AddAdapter(const char* description,
                                      const std::vector<D3DDISPLAYMODE>& modes) {
    MockAdapter adapter{};
    std::strncpy(adapter.identifier.Description, description, MAX_DEVICE_IDENTIFIER_STRING - 1);
    std::strcpy(adapter.identifier.Driver, "mock.dll");
    adapter.desktop = {1280, 1024, 60, D3DFMT_X8R8G8B8};
    adapter.caps.DevCaps = D3DDEVCAPS_HWTRANSFORMANDLIGHT;
    adapter.caps.VertexShaderVersion = D3DVS_VERSION(1, 1);
    adapter.modes = modes;
    adapter.depthFormats = {D3DFMT_D16, D3DFMT_D24X8, D3DFMT_D32};
    adapter.caps.DeviceType = D3DDEVTYPE_HAL;
    const UINT index = static_cast<UINT>(adapters.size());
    ON_CALL(*this, GetAdapterIdentifier(index, _, _))
        .WillByDefault(DoAll(SetArgPointee<2>(adapter.identifier), Return(S_OK)));
    ON_CALL(*this, GetDeviceCaps(index, _, _))
        .WillByDefault(DoAll(SetArgPointee<2>(adapter.caps), Return(S_OK)));
    adapters.push_back(adapter);
    return adapters.back();
}

void MockDirect3D::Install() {
    g_installed = this;
    Platform().Direct3DCreate9 = CreateInstalled;
}

}  // namespace krtest
