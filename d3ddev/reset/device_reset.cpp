// Creating the Direct3D device for the selected mode, resetting it with the stored presentation
// parameters, and reading back the back-buffer description.
#include "d3d_ren_dev.h"
#include "present_params.h"
#include "window_placement.h"

bool KrD3DRenDev::Reset() {
    if (currentAdapter == -1) {
        GLog.WriteLine(
            "WARNING: KrD3DRenDev::Reset() called before device enumeration, returning failure");
        return false;
    }
    D3DAdapterInfo& adapter = adapters[currentAdapter];
    D3DDeviceInfo& deviceInfo = adapter.devices[adapter.currentDevice];
    const D3DModeInfo& mode = deviceInfo.modes[deviceInfo.currentMode];

    if (Windowed()) {
        // Remember where the window is before anything can move it.
        SaveCurrWinPos();
    }
    SetEngineWindowStyle(*this, Windowed());

    PresentationChoice choice = {&adapter,   &deviceInfo,    &mode,
                                 Windowed(), ParentHandle(), D3DPRESENT_INTERVAL_ONE};
    BuildPresentParams(presentParams, choice, UsingZBuffer() || UsingWBuffer());

    // The engine creates the device once and recovers through UpdateDimensions, so a device
    // still held here is not released first.
    HRESULT created = E_FAIL;
    {
        KrStartPartScope creating(startupProfile, StartPart::DeviceCreation);
        created = d3d->CreateDevice(static_cast<UINT>(currentAdapter), deviceInfo.deviceType,
                                    presentParams.hDeviceWindow, mode.behaviorFlags, &presentParams,
                                    &device);
    }
    if (SUCCEEDED(created)) {
        KrStartPartScope settingUp(startupProfile, StartPart::DeviceSetUp);
        bound.Forget();  // a new device has nothing bound
        ShowEngineCursor();
        PlaceEngineWindow(*this, Windowed());
        // The caps of the created device, which may differ from what the adapter reported.
        device->GetDeviceCaps(&deviceInfo.caps);
        RefreshRes();
        SetRenderStates();
        CreateDependants();
        return true;
    }

    ReleaseDependants();
    if (device != nullptr) {
        device->Release();
        device = nullptr;
    }
    if (deviceInfo.deviceType != D3DDEVTYPE_HAL) {
        return false;
    }
    GLog.WriteLine("WARNING: Switching to REFERENCE RASTERIZER");
    currentAdapter = 0;
    D3DAdapterInfo& first = adapters[0];
    for (unsigned int i = 0; i < first.numDevices && i < kMaxDevicesPerAdapter; ++i) {
        if (first.devices[i].deviceType == D3DDEVTYPE_REF) {
            first.currentDevice = i;
            break;
        }
    }
    if (first.devices[first.currentDevice].deviceType == D3DDEVTYPE_REF) {
        return Reset();
    }
    return false;
}

bool KrD3DRenDev::UpdateDimensions() {
    ReleaseDependants();
    if (device == nullptr || FAILED(device->Reset(&presentParams))) {
        // The dependants stay released until a later reset succeeds.
        GLog.WriteLine("WARNING: Failed to Reset D3DDevice in UpdateDimensions()");
        return false;
    }
    RefreshRes();
    SetRenderStates();
    CreateDependants();
    return true;
}

bool KrD3DRenDev::RefreshRes() {
    IDirect3DSurface9* backBuffer = nullptr;
    if (device == nullptr ||
        FAILED(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &backBuffer))) {
        GLog.WriteLine("WARNING: Failed to refresh resolution");
        return false;
    }
    backBuffer->GetDesc(&backBufferDesc);
    backBuffer->Release();
    return true;
}
