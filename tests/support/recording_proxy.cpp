// The recording proxies of IDirect3D9, IDirect3DDevice9 and the platform seam. A proxy is a plain
// object whose first word points at a table of generated forwarders, one per interface method in
// the interface's order: the layout a COM caller expects. Each forwarder records the call, fails it
// when a rule says so, and otherwise calls the real object's method. Only the methods that hand out
// interfaces or keep the objects alive have forwarders of their own.
#include <cstring>
#include <memory>
#include <string_view>
#include <type_traits>
#include <vector>

#include "platform.h"
#include "recording_d3d.h"

namespace krtest {

struct RecordingProxy {
    const void* const* table;  // where a COM caller looks for the methods
    IUnknown* real;
    D3DRecorder* recorder;
};

// The recorder owns every proxy it hands out: a proxy lives until the test's recorder goes, so that
// no count of Direct3D's decides when it may be freed.
D3DRecorder::D3DRecorder() = default;
D3DRecorder::~D3DRecorder() = default;

namespace {

using Proxy = RecordingProxy;

template <typename T>
void ClearOut(T) {}
template <typename T>
void ClearOut(T** out) {
    if (out != nullptr)
        *out = nullptr;  // as Direct3D does: no stale object after a failure
}
template <typename R>
long ResultValue(R value) {
    if constexpr (std::is_pointer_v<R>)
        return value != nullptr ? 1 : 0;
    else
        return static_cast<long>(value);
}

// The one road of every recorded call: record, maybe fail (HRESULT methods return the injected
// HRESULT, others zero), otherwise forward and keep the result.
template <typename R, typename Forward, typename... A>
R Record(D3DRecorder* recorder, const char* method, Forward forward, A... args) {
    bool fail = false;
    long hr = 0;
    const size_t index = recorder->Begin(method, &fail, &hr);
    if constexpr (std::is_void_v<R>) {
        if (!fail)
            forward();
        recorder->Finish(index, fail ? hr : 0, fail);
    } else {
        R value{};
        if (fail) {
            (ClearOut(args), ...);
            if constexpr (std::is_same_v<R, HRESULT>)
                value = hr;
        } else {
            value = forward();
        }
        recorder->Finish(index, ResultValue(value), fail);
        return value;
    }
}

template <auto Method, typename Name, typename I, typename R, typename... A>
R STDMETHODCALLTYPE Forwarder(Proxy* self, A... args) {
    if constexpr (std::string_view(Name::text) == "Present") {
        if (self->recorder->beforePresent)
            self->recorder->beforePresent(static_cast<IDirect3DDevice9*>(self->real));
    }
    return Record<R>(
        self->recorder, Name::text, [&] { return (static_cast<I*>(self->real)->*Method)(args...); },
        args...);
}
template <auto Method, typename Name, typename I, typename R, typename... A>
const void* ForwarderOf(R (STDMETHODCALLTYPE I::*)(A...)) {
    return reinterpret_cast<const void*>(&Forwarder<Method, Name, I, R, A...>);
}

Proxy* ProxyFor(IUnknown* real, D3DRecorder* recorder, const void* const* table) {
    for (const std::unique_ptr<Proxy>& proxy : recorder->proxies_) {
        if (proxy->real == real)
            return proxy.get();
    }
    recorder->proxies_.push_back(std::unique_ptr<Proxy>(new Proxy{table, real, recorder}));
    return recorder->proxies_.back().get();
}

// The methods every proxy forwards by hand: QueryInterface answers with the proxy itself for its
// own interface, and reference counting passes straight through, never recorded or failed.
template <typename I>
HRESULT STDMETHODCALLTYPE QueryInterfaceOf(Proxy* self, REFIID riid, void** object) {
    if (object != nullptr && (riid == __uuidof(IUnknown) || riid == __uuidof(I))) {
        self->real->AddRef();
        *object = self;
        return S_OK;
    }
    return self->real->QueryInterface(riid, object);
}
ULONG STDMETHODCALLTYPE AddRefOf(Proxy* self) {
    return self->real->AddRef();
}
ULONG STDMETHODCALLTYPE ReleaseOf(Proxy* self) {
    return self->real->Release();
}

#define KR_NAME(Prefix, Method)                      \
    struct Prefix##Method {                          \
        static constexpr const char* text = #Method; \
    };
#define KR_DEVICE_NAME(Method) KR_NAME(DeviceName, Method)
#define KR_D3D_NAME(Method) KR_NAME(D3DName, Method)
#define KR_SEAM_NAME(Entry) KR_NAME(SeamName, Entry)
#define KR_DEVICE_FORWARDER(Method) \
    ForwarderOf<&IDirect3DDevice9::Method, DeviceName##Method>(&IDirect3DDevice9::Method),
#define KR_D3D_FORWARDER(Method) \
    ForwarderOf<&IDirect3D9::Method, D3DName##Method>(&IDirect3D9::Method),

// The methods after QueryInterface, AddRef and Release, in the interfaces' order; GetDirect3D,
// and CreateDevice stand apart: their forwarders hand out proxies of what they return.
// clang-format off
#define KR_DEVICE_METHODS_1(X) \
    X(TestCooperativeLevel) X(GetAvailableTextureMem) X(EvictManagedResources)
#define KR_DEVICE_METHODS_2(X) \
    X(GetDeviceCaps) X(GetDisplayMode) X(GetCreationParameters) X(SetCursorProperties) \
    X(SetCursorPosition) X(ShowCursor) X(CreateAdditionalSwapChain) X(GetSwapChain) \
    X(GetNumberOfSwapChains) X(Reset)
#define KR_DEVICE_METHODS_3(X) \
    X(Present) X(GetBackBuffer) X(GetRasterStatus) X(SetDialogBoxMode) X(SetGammaRamp) \
    X(GetGammaRamp) X(CreateTexture) X(CreateVolumeTexture) X(CreateCubeTexture) \
    X(CreateVertexBuffer) X(CreateIndexBuffer) X(CreateRenderTarget) \
    X(CreateDepthStencilSurface) X(UpdateSurface) X(UpdateTexture) X(GetRenderTargetData) \
    X(GetFrontBufferData) X(StretchRect) X(ColorFill) X(CreateOffscreenPlainSurface) \
    X(SetRenderTarget) X(GetRenderTarget) X(SetDepthStencilSurface) X(GetDepthStencilSurface) \
    X(BeginScene) X(EndScene) X(Clear) X(SetTransform) X(GetTransform) X(MultiplyTransform) \
    X(SetViewport) X(GetViewport) X(SetMaterial) X(GetMaterial) X(SetLight) X(GetLight) \
    X(LightEnable) X(GetLightEnable) X(SetClipPlane) X(GetClipPlane) X(SetRenderState) \
    X(GetRenderState) X(CreateStateBlock) X(BeginStateBlock) X(EndStateBlock) X(SetClipStatus) \
    X(GetClipStatus) X(GetTexture) X(SetTexture) X(GetTextureStageState) X(SetTextureStageState) \
    X(GetSamplerState) X(SetSamplerState) X(ValidateDevice) X(SetPaletteEntries) \
    X(GetPaletteEntries) X(SetCurrentTexturePalette) X(GetCurrentTexturePalette) \
    X(SetScissorRect) X(GetScissorRect) X(SetSoftwareVertexProcessing) \
    X(GetSoftwareVertexProcessing) X(SetNPatchMode) X(GetNPatchMode) X(DrawPrimitive) \
    X(DrawIndexedPrimitive) X(DrawPrimitiveUP) X(DrawIndexedPrimitiveUP) X(ProcessVertices) \
    X(CreateVertexDeclaration) X(SetVertexDeclaration) X(GetVertexDeclaration) X(SetFVF) \
    X(GetFVF) X(CreateVertexShader) X(SetVertexShader) X(GetVertexShader) \
    X(SetVertexShaderConstantF) X(GetVertexShaderConstantF) X(SetVertexShaderConstantI) \
    X(GetVertexShaderConstantI) X(SetVertexShaderConstantB) X(GetVertexShaderConstantB) \
    X(SetStreamSource) X(GetStreamSource) X(SetStreamSourceFreq) X(GetStreamSourceFreq) \
    X(SetIndices) X(GetIndices) X(CreatePixelShader) X(SetPixelShader) X(GetPixelShader) \
    X(SetPixelShaderConstantF) X(GetPixelShaderConstantF) X(SetPixelShaderConstantI) \
    X(GetPixelShaderConstantI) X(SetPixelShaderConstantB) X(GetPixelShaderConstantB) \
    X(DrawRectPatch) X(DrawTriPatch) X(DeletePatch) X(CreateQuery)
#define KR_D3D_METHODS(X) \
    X(RegisterSoftwareDevice) X(GetAdapterCount) X(GetAdapterIdentifier) X(GetAdapterModeCount) \
    X(EnumAdapterModes) X(GetAdapterDisplayMode) X(CheckDeviceType) X(CheckDeviceFormat) \
    X(CheckDeviceMultiSampleType) X(CheckDepthStencilMatch) X(CheckDeviceFormatConversion) \
    X(GetDeviceCaps) X(GetAdapterMonitor)
#define KR_SEAM_ENTRIES(X) \
    X(D3DXAssembleShader) X(D3DXCreateTextureFromFileA) X(D3DXSaveSurfaceToFileA) \
    X(SetWindowLongA) X(AdjustWindowRect) X(ShowCursor) X(GetWindowPlacement)
// clang-format on
KR_DEVICE_METHODS_1(KR_DEVICE_NAME)
KR_DEVICE_METHODS_2(KR_DEVICE_NAME)
KR_DEVICE_METHODS_3(KR_DEVICE_NAME)
KR_DEVICE_NAME(GetDirect3D)
KR_D3D_METHODS(KR_D3D_NAME)
KR_D3D_NAME(CreateDevice)
KR_SEAM_ENTRIES(KR_SEAM_NAME)

extern const void* const kDirect3DTable[];

HRESULT STDMETHODCALLTYPE GetDirect3DOf(Proxy* self, IDirect3D9** d3d) {
    const HRESULT hr = Forwarder<&IDirect3DDevice9::GetDirect3D, DeviceNameGetDirect3D,
                                 IDirect3DDevice9, HRESULT, IDirect3D9**>(self, d3d);
    if (SUCCEEDED(hr) && d3d != nullptr && *d3d != nullptr) {
        *d3d = reinterpret_cast<IDirect3D9*>(ProxyFor(*d3d, self->recorder, kDirect3DTable));
    }
    return hr;
}

const void* const kDeviceTable[] = {
    reinterpret_cast<const void*>(&QueryInterfaceOf<IDirect3DDevice9>),
    reinterpret_cast<const void*>(&AddRefOf), reinterpret_cast<const void*>(&ReleaseOf),
    KR_DEVICE_METHODS_1(KR_DEVICE_FORWARDER) reinterpret_cast<const void*>(&GetDirect3DOf),
    KR_DEVICE_METHODS_2(KR_DEVICE_FORWARDER) KR_DEVICE_METHODS_3(KR_DEVICE_FORWARDER)};
static_assert(sizeof(kDeviceTable) / sizeof(void*) == 119, "IDirect3DDevice9 has 119 methods");

HRESULT STDMETHODCALLTYPE CreateDeviceOf(Proxy* self, UINT adapter, D3DDEVTYPE type, HWND focus,
                                         DWORD behaviour, D3DPRESENT_PARAMETERS* parameters,
                                         IDirect3DDevice9** device) {
    const HRESULT hr =
        Forwarder<&IDirect3D9::CreateDevice, D3DNameCreateDevice, IDirect3D9, HRESULT, UINT,
                  D3DDEVTYPE, HWND, DWORD, D3DPRESENT_PARAMETERS*, IDirect3DDevice9**>(
            self, adapter, type, focus, behaviour, parameters, device);
    if (SUCCEEDED(hr) && device != nullptr && *device != nullptr) {
        *device = WrapDevice(*device, self->recorder);
    }
    return hr;
}

const void* const kDirect3DTable[] = {
    reinterpret_cast<const void*>(&QueryInterfaceOf<IDirect3D9>),
    reinterpret_cast<const void*>(&AddRefOf), reinterpret_cast<const void*>(&ReleaseOf),
    KR_D3D_METHODS(KR_D3D_FORWARDER) reinterpret_cast<const void*>(&CreateDeviceOf)};
static_assert(sizeof(kDirect3DTable) / sizeof(void*) == 17, "IDirect3D9 has 17 methods");

// The seam holds plain function pointers, so its recorder sits in one global for the program.
D3DRecorder* g_seamRecorder = nullptr;

template <auto Entry, typename Name, typename R, typename... A>
R WINAPI SeamForwarder(A... args) {
    return Record<R>(
        g_seamRecorder, Name::text, [&] { return (RealPlatform().*Entry)(args...); }, args...);
}
template <auto Entry, typename Name, typename R, typename... A>
void RecordEntry(R (WINAPI* KrPlatform::*)(A...)) {
    Platform().*Entry = &SeamForwarder<Entry, Name, R, A...>;
}
IDirect3D9* WINAPI RecordDirect3DCreate9(UINT sdkVersion) {
    return Record<IDirect3D9*>(
        g_seamRecorder, "Direct3DCreate9",
        [&] { return WrapDirect3D(RealPlatform().Direct3DCreate9(sdkVersion), g_seamRecorder); },
        sdkVersion);
}

}  // namespace

IDirect3D9* WrapDirect3D(IDirect3D9* real, D3DRecorder* recorder) {
    return real == nullptr
               ? nullptr
               : reinterpret_cast<IDirect3D9*>(ProxyFor(real, recorder, kDirect3DTable));
}

IDirect3DDevice9* WrapDevice(IDirect3DDevice9* real, D3DRecorder* recorder) {
    return real == nullptr
               ? nullptr
               : reinterpret_cast<IDirect3DDevice9*>(ProxyFor(real, recorder, kDeviceTable));
}

void InstallRecordingPlatform(D3DRecorder* recorder) {
    g_seamRecorder = recorder;
    Platform().Direct3DCreate9 = RecordDirect3DCreate9;
#define KR_RECORD_ENTRY(Entry) RecordEntry<&KrPlatform::Entry, SeamName##Entry>(&KrPlatform::Entry);
    KR_SEAM_ENTRIES(KR_RECORD_ENTRY)
#undef KR_RECORD_ENTRY
}

RecordingPlatformScope::~RecordingPlatformScope() {
    RestorePlatform();
    g_seamRecorder = nullptr;
}

}  // namespace krtest
