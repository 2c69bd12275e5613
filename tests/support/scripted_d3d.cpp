#include "scripted_d3d.h"

#include <cstring>

#include "platform.h"

namespace krtest {

namespace {
int g_liveObjects = 0;
ScriptedD3D* g_installed = nullptr;
UINT g_lastSdkVersion = 0;

IDirect3D9* WINAPI CreateInstalled(UINT sdkVersion) {
    g_lastSdkVersion = sdkVersion;
    if (g_installed != nullptr) {
        g_installed->AddRef();
    }
    return g_installed;
}

void CopyText(char* target, size_t size, const char* text) {
    std::strncpy(target, text != nullptr ? text : "", size - 1);
    target[size - 1] = '\0';
}

// What a capable Direct3D 9 card of the engine's range reports.
D3DCAPS9 CapableHardware() {
    D3DCAPS9 caps;
    std::memset(&caps, 0, sizeof caps);
    caps.DeviceType = D3DDEVTYPE_HAL;
    caps.DevCaps = D3DDEVCAPS_HWTRANSFORMANDLIGHT | D3DDEVCAPS_PUREDEVICE;
    caps.VertexShaderVersion = D3DVS_VERSION(1, 1);
    caps.SrcBlendCaps = D3DPBLENDCAPS_SRCALPHA;
    caps.DestBlendCaps = D3DPBLENDCAPS_INVSRCALPHA;
    caps.MaxVertexShaderConst = 96;
    caps.TextureFilterCaps =
        D3DPTFILTERCAPS_MINFLINEAR | D3DPTFILTERCAPS_MAGFLINEAR | D3DPTFILTERCAPS_MIPFLINEAR;
    caps.MaxActiveLights = 8;
    caps.MaxSimultaneousTextures = 4;
    caps.MaxTextureBlendStages = 8;
    caps.FVFCaps = 8;
    caps.MaxStreams = 16;
    caps.TextureCaps = D3DPTEXTURECAPS_POW2;
    caps.TextureOpCaps = D3DTEXOPCAPS_BUMPENVMAP;
    return caps;
}
}  // namespace

ScriptedD3D::ScriptedD3D() : refs_(1), real_(nullptr) {
    std::memset(calls_, 0, sizeof calls_);
    ++g_liveObjects;
}

ScriptedD3D::~ScriptedD3D() {
    if (real_ != nullptr) {
        real_->Release();
    }
    if (g_installed == this) {
        g_installed = nullptr;
    }
    --g_liveObjects;
}

ScriptedD3D* ScriptedD3D::Create() {
    return new ScriptedD3D();
}
int ScriptedD3D::LiveObjects() {
    return g_liveObjects;
}

void ScriptedD3D::Install(ScriptedD3D* d3d) {
    g_installed = d3d;
    Platform().Direct3DCreate9 = CreateInstalled;
}

UINT ScriptedD3D::LastSdkVersion() {
    return g_lastSdkVersion;
}

ScriptedD3D::Adapter& ScriptedD3D::AddAdapter(const char* description, const char* driver,
                                              UINT desktopWidth, UINT desktopHeight,
                                              D3DFORMAT desktopFormat) {
    Adapter adapter;
    std::memset(&adapter.identifier, 0, sizeof adapter.identifier);
    CopyText(adapter.identifier.Description, sizeof adapter.identifier.Description, description);
    CopyText(adapter.identifier.Driver, sizeof adapter.identifier.Driver, driver);
    adapter.desktop.Width = desktopWidth;
    adapter.desktop.Height = desktopHeight;
    adapter.desktop.RefreshRate = 60;
    adapter.desktop.Format = desktopFormat;
    adapter.caps = CapableHardware();
    adapters_.push_back(adapter);
    return adapters_.back();
}

void ScriptedD3D::AddMode(int adapter, UINT width, UINT height, D3DFORMAT format,
                          std::vector<UINT> refreshRates) {
    for (UINT rate : refreshRates) {
        adapters_[static_cast<size_t>(adapter)].modes.push_back(
            D3DDISPLAYMODE{width, height, rate, format});
    }
}

void ScriptedD3D::Fail(Query query, HRESULT result, int adapter, D3DFORMAT format) {
    failures_.push_back(Failure{query, result, adapter, format});
}

HRESULT ScriptedD3D::Outcome(Query query, UINT adapter, D3DFORMAT format) {
    ++calls_[query];
    for (const Failure& failure : failures_) {
        if (failure.query == query &&
            (failure.adapter == kAnyAdapter || failure.adapter == static_cast<int>(adapter)) &&
            (failure.format == kAnyFormat || failure.format == format)) {
            return failure.result;
        }
    }
    return Known(adapter) ? S_OK : D3DERR_INVALIDCALL;
}

HRESULT ScriptedD3D::QueryInterface(REFIID riid, void** object) {
    if (object == nullptr) {
        return E_POINTER;
    }
    if (IsEqualGUID(riid, IID_IUnknown) || IsEqualGUID(riid, IID_IDirect3D9)) {
        AddRef();
        *object = static_cast<IDirect3D9*>(this);
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG ScriptedD3D::AddRef() {
    return ++refs_;
}

ULONG ScriptedD3D::Release() {
    ULONG left = --refs_;
    if (left == 0) {
        delete this;
    }
    return left;
}

HRESULT ScriptedD3D::RegisterSoftwareDevice(void*) {
    return D3DERR_NOTAVAILABLE;
}

UINT ScriptedD3D::GetAdapterCount() {
    return static_cast<UINT>(adapters_.size());
}

HRESULT ScriptedD3D::GetAdapterIdentifier(UINT adapter, DWORD, D3DADAPTER_IDENTIFIER9* identifier) {
    HRESULT result = Outcome(kGetAdapterIdentifier, adapter, kAnyFormat);
    if (SUCCEEDED(result)) {
        *identifier = adapters_[adapter].identifier;
    }
    return result;
}

UINT ScriptedD3D::GetAdapterModeCount(UINT adapter, D3DFORMAT format) {
    if (FAILED(Outcome(kGetAdapterModeCount, adapter, format))) {
        return 0;
    }
    UINT count = 0;
    for (const D3DDISPLAYMODE& mode : adapters_[adapter].modes) {
        count += mode.Format == format ? 1 : 0;
    }
    return count;
}

HRESULT ScriptedD3D::EnumAdapterModes(UINT adapter, D3DFORMAT format, UINT index,
                                      D3DDISPLAYMODE* mode) {
    HRESULT result = Outcome(kEnumAdapterModes, adapter, format);
    if (FAILED(result)) {
        return result;
    }
    UINT seen = 0;
    for (const D3DDISPLAYMODE& candidate : adapters_[adapter].modes) {
        if (candidate.Format == format && seen++ == index) {
            *mode = candidate;
            return S_OK;
        }
    }
    return D3DERR_INVALIDCALL;
}

HRESULT ScriptedD3D::GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode) {
    HRESULT result = Outcome(kGetAdapterDisplayMode, adapter, kAnyFormat);
    if (SUCCEEDED(result)) {
        *mode = adapters_[adapter].desktop;
    }
    return result;
}

HRESULT ScriptedD3D::CheckDeviceType(UINT adapter, D3DDEVTYPE, D3DFORMAT displayFormat, D3DFORMAT,
                                     BOOL) {
    return Outcome(kCheckDeviceType, adapter, displayFormat);
}

HRESULT ScriptedD3D::CheckDeviceFormat(UINT adapter, D3DDEVTYPE, D3DFORMAT, DWORD, D3DRESOURCETYPE,
                                       D3DFORMAT checkFormat) {
    return Outcome(kCheckDeviceFormat, adapter, checkFormat);
}

HRESULT ScriptedD3D::CheckDeviceMultiSampleType(UINT adapter, D3DDEVTYPE, D3DFORMAT, BOOL,
                                                D3DMULTISAMPLE_TYPE samples, DWORD* qualityLevels) {
    if (qualityLevels != nullptr) {
        *qualityLevels = 1;
    }
    return Known(adapter) && samples == D3DMULTISAMPLE_NONE ? S_OK : D3DERR_NOTAVAILABLE;
}

HRESULT ScriptedD3D::CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE, D3DFORMAT, D3DFORMAT,
                                            D3DFORMAT depthFormat) {
    return Outcome(kCheckDepthStencilMatch, adapter, depthFormat);
}

HRESULT ScriptedD3D::CheckDeviceFormatConversion(UINT adapter, D3DDEVTYPE, D3DFORMAT, D3DFORMAT) {
    return Known(adapter) ? S_OK : D3DERR_INVALIDCALL;
}

HRESULT ScriptedD3D::GetDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS9* caps) {
    HRESULT result = Outcome(kGetDeviceCaps, adapter, kAnyFormat);
    if (SUCCEEDED(result)) {
        *caps = adapters_[adapter].caps;
        caps->DeviceType = type;
        caps->AdapterOrdinal = adapter;
    }
    return result;
}

HMONITOR ScriptedD3D::GetAdapterMonitor(UINT adapter) {
    return Known(adapter) ? MonitorFromWindow(nullptr, MONITOR_DEFAULTTOPRIMARY) : nullptr;
}

HRESULT ScriptedD3D::CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focusWindow,
                                  DWORD behaviorFlags, D3DPRESENT_PARAMETERS* presentParameters,
                                  IDirect3DDevice9** device) {
    HRESULT result = Outcome(kCreateDevice, adapter, kAnyFormat);
    if (FAILED(result)) {
        return result;
    }
    if (real_ == nullptr) {
        real_ = RealPlatform().Direct3DCreate9(D3D_SDK_VERSION);
        if (real_ == nullptr) {
            return D3DERR_NOTAVAILABLE;
        }
    }
    // Every scripted adapter is shown by the one real adapter.
    return real_->CreateDevice(D3DADAPTER_DEFAULT, type, focusWindow, behaviorFlags,
                               presentParameters, device);
}

}  // namespace krtest
