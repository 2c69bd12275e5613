// The recording proxy of IDirect3D9. Its lifetime follows the real object's count; because every
// real device also holds the real object, the proxy counts the references it handed out and the
// live device proxies, and goes away once both are gone.
#include "recording_call.h"

namespace krtest {
namespace {

class RecordingDirect3D final : public IDirect3D9 {
  public:
    RecordingDirect3D(IDirect3D9* real, D3DRecorder* recorder) : real_(real), rec_(recorder) {}

    void DeviceCreated() { ++devices_; }
    void DeviceGone() {
        --devices_;
        DeleteWhenUnreachable();
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        return detail::QueryInterfaceThrough(rec_, object, [&]() -> HRESULT {
            if (object == nullptr) {
                return E_POINTER;
            }
            if (riid == __uuidof(IUnknown) || riid == __uuidof(IDirect3D9)) {
                AddRef();
                *object = static_cast<IDirect3D9*>(this);
                return S_OK;
            }
            return real_->QueryInterface(riid, object);
        });
    }
    ULONG STDMETHODCALLTYPE AddRef() override {
        const ULONG count = real_->AddRef();
        ++handedOut_;
        detail::RecordRefCount(rec_, "AddRef", count);
        return count;
    }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG count = real_->Release();
        --handedOut_;
        detail::RecordRefCount(rec_, "Release", count);
        if (count == 0) {
            delete this;
        } else {
            DeleteWhenUnreachable();
        }
        return count;
    }

    KR_FORWARD_HR(RegisterSoftwareDevice, (void* initialize), (initialize))
    KR_FORWARD_VALUE(UINT, GetAdapterCount, (), ())
    KR_FORWARD_HR(GetAdapterIdentifier, (UINT adapter, DWORD flags, D3DADAPTER_IDENTIFIER9* id),
                  (adapter, flags, id))
    KR_FORWARD_VALUE(UINT, GetAdapterModeCount, (UINT adapter, D3DFORMAT format), (adapter, format))
    KR_FORWARD_HR(EnumAdapterModes,
                  (UINT adapter, D3DFORMAT format, UINT mode, D3DDISPLAYMODE* displayMode),
                  (adapter, format, mode, displayMode))
    KR_FORWARD_HR(GetAdapterDisplayMode, (UINT adapter, D3DDISPLAYMODE* mode), (adapter, mode))
    KR_FORWARD_HR(CheckDeviceType,
                  (UINT adapter, D3DDEVTYPE type, D3DFORMAT displayFormat,
                   D3DFORMAT backBufferFormat, WINBOOL windowed),
                  (adapter, type, displayFormat, backBufferFormat, windowed))
    KR_FORWARD_HR(CheckDeviceFormat,
                  (UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat, DWORD usage,
                   D3DRESOURCETYPE resourceType, D3DFORMAT checkFormat),
                  (adapter, type, adapterFormat, usage, resourceType, checkFormat))
    KR_FORWARD_HR(CheckDeviceMultiSampleType,
                  (UINT adapter, D3DDEVTYPE type, D3DFORMAT surfaceFormat, WINBOOL windowed,
                   D3DMULTISAMPLE_TYPE multiSample, DWORD* qualityLevels),
                  (adapter, type, surfaceFormat, windowed, multiSample, qualityLevels))
    KR_FORWARD_HR(CheckDepthStencilMatch,
                  (UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat,
                   D3DFORMAT renderTargetFormat, D3DFORMAT depthStencilFormat),
                  (adapter, type, adapterFormat, renderTargetFormat, depthStencilFormat))
    KR_FORWARD_HR(CheckDeviceFormatConversion,
                  (UINT adapter, D3DDEVTYPE type, D3DFORMAT sourceFormat, D3DFORMAT targetFormat),
                  (adapter, type, sourceFormat, targetFormat))
    KR_FORWARD_HR(GetDeviceCaps, (UINT adapter, D3DDEVTYPE type, D3DCAPS9* caps),
                  (adapter, type, caps))
    KR_FORWARD_VALUE(HMONITOR, GetAdapterMonitor, (UINT adapter), (adapter))

    HRESULT STDMETHODCALLTYPE CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focus,
                                           DWORD behaviour, D3DPRESENT_PARAMETERS* parameters,
                                           IDirect3DDevice9** device) override {
        const auto note = [&](RecordedCall&) {
            if (parameters != nullptr) {
                rec_->lastPresentParameters = *parameters;
            }
        };
        return detail::Invoke<true>(
            rec_, "CreateDevice",
            std::make_tuple(adapter, type, focus, behaviour, parameters, device), note, [&] {
                const HRESULT hr =
                    real_->CreateDevice(adapter, type, focus, behaviour, parameters, device);
                if (SUCCEEDED(hr) && device != nullptr && *device != nullptr) {
                    *device = detail::WrapDeviceOf(*device, rec_, this);
                }
                return hr;
            });
    }

  private:
    ~RecordingDirect3D() = default;

    // Nobody can reach the proxy any more: the real object lives on only inside other holders.
    void DeleteWhenUnreachable() {
        if (handedOut_ <= 0 && devices_ <= 0) {
            delete this;
        }
    }

    IDirect3D9* real_;
    D3DRecorder* rec_;
    long handedOut_ = 1;  // the caller's reference from WrapDirect3D
    long devices_ = 0;
};

}  // namespace

IDirect3D9* WrapDirect3D(IDirect3D9* real, D3DRecorder* recorder) {
    return real != nullptr ? new RecordingDirect3D(real, recorder) : nullptr;
}

namespace detail {

void AttachDevice(IDirect3D9* parent) {
    static_cast<RecordingDirect3D*>(parent)->DeviceCreated();
}
void DetachDevice(IDirect3D9* parent) {
    static_cast<RecordingDirect3D*>(parent)->DeviceGone();
}

}  // namespace detail
}  // namespace krtest
