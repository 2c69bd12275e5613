// The plug-in's entry points: the loader's entry and the two plain functions the engine asks for
// its rendering device with.
#include <windows.h>

#include "d3d_ren_dev.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
    // The device runs on the engine's thread only; thread notifications would be wasted work.
    if (reason == DLL_PROCESS_ATTACH) {
        DisableThreadLibraryCalls(module);
    }
    return TRUE;
}

extern "C" D3DDEV_API KrRenderBase* fnGetRenderingDevice() {
    // Null when the engine's allocator has no room for the device.
    return new KrD3DRenDev();
}

extern "C" D3DDEV_API void fnDeleteRenderingDevice(KrRenderBase* device) {
    if (device != nullptr) {
        delete device;
    }
}
