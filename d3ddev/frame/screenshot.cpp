// Screenshots: the front buffer, copied into a system-memory surface of the display-mode size
// and written as a Windows bitmap whatever the file name's extension.
#include "d3d_ren_dev.h"
#include "platform.h"

void KrD3DRenDev::takeScreenshot(const KrStringT<char>& fileName) {
    if (device == nullptr) {
        return;
    }
    D3DDISPLAYMODE mode;
    krMemset(&mode, 0, sizeof mode);
    device->GetDisplayMode(0, &mode);
    IDirect3DSurface9* capture = nullptr;
    if (FAILED(device->CreateOffscreenPlainSurface(mode.Width, mode.Height, D3DFMT_A8R8G8B8,
                                                   D3DPOOL_SYSTEMMEM, &capture, nullptr))) {
        return;
    }
    if (SUCCEEDED(device->GetFrontBufferData(0, capture))) {
        // A failed save leaves no file; the engine is not told. An empty name is handed over as
        // empty text, not as a null pointer: Wine's D3DX refuses both, but after a null name the
        // device's last Release never returns.
        const char* name = fileName.Text() != nullptr ? fileName.Text() : "";
        Platform().D3DXSaveSurfaceToFileA(name, D3DXIFF_BMP, capture, nullptr, nullptr);
    }
    capture->Release();
}
