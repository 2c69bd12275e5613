// The device's platform seam pointed at a recorder: each entry records its call, can be made to
// fail, and otherwise forwards to the real function. The seam holds plain function pointers, so
// the recorder sits in one global for the whole test program.
#include <cstring>
#include <string>

#include "platform.h"
#include "recording_call.h"

namespace krtest {
namespace {

D3DRecorder* g_recorder = nullptr;

auto KeepText(const char* text, size_t length = std::string::npos) {
    return [text, length](RecordedCall& call) {
        if (text != nullptr) {
            call.text = length == 0 || length == std::string::npos ? std::string(text)
                                                                   : std::string(text, length);
        }
    };
}

IDirect3D9* WINAPI RecordDirect3DCreate9(UINT sdkVersion) {
    return detail::Invoke<false>(
        g_recorder, "Direct3DCreate9", std::make_tuple(sdkVersion), detail::NoNote{},
        [&] { return WrapDirect3D(RealPlatform().Direct3DCreate9(sdkVersion), g_recorder); });
}

HRESULT WINAPI RecordAssembleShader(LPCSTR source, UINT length, const D3DXMACRO* defines,
                                    LPD3DXINCLUDE include, DWORD flags, LPD3DXBUFFER* code,
                                    LPD3DXBUFFER* errors) {
    return detail::Invoke<true>(
        g_recorder, "D3DXAssembleShader",
        std::make_tuple(source, length, defines, include, flags, code, errors),
        KeepText(source, length), [&] {
            return RealPlatform().D3DXAssembleShader(source, length, defines, include, flags, code,
                                                     errors);
        });
}

HRESULT WINAPI RecordCreateTextureFromFile(LPDIRECT3DDEVICE9 device, LPCSTR path,
                                           LPDIRECT3DTEXTURE9* texture) {
    return detail::Invoke<true>(
        g_recorder, "D3DXCreateTextureFromFileA", std::make_tuple(device, path, texture),
        KeepText(path),
        [&] { return RealPlatform().D3DXCreateTextureFromFileA(device, path, texture); });
}

HRESULT WINAPI RecordSaveSurfaceToFile(LPCSTR path, D3DXIMAGE_FILEFORMAT format,
                                       LPDIRECT3DSURFACE9 surface, const PALETTEENTRY* palette,
                                       const RECT* sourceRect) {
    return detail::Invoke<true>(g_recorder, "D3DXSaveSurfaceToFileA",
                                std::make_tuple(path, format, surface, palette, sourceRect),
                                KeepText(path), [&] {
                                    return RealPlatform().D3DXSaveSurfaceToFileA(
                                        path, format, surface, palette, sourceRect);
                                });
}

LONG WINAPI RecordSetWindowLong(HWND window, int index, LONG value) {
    return detail::Invoke<false>(
        g_recorder, "SetWindowLongA", std::make_tuple(window, index, value), detail::NoNote{},
        [&] { return RealPlatform().SetWindowLongA(window, index, value); });
}

BOOL WINAPI RecordAdjustWindowRect(LPRECT rect, DWORD style, BOOL menu) {
    return detail::Invoke<false>(
        g_recorder, "AdjustWindowRect", std::make_tuple(rect, style, menu), detail::NoNote{},
        [&] { return RealPlatform().AdjustWindowRect(rect, style, menu); });
}

int WINAPI RecordShowCursor(BOOL show) {
    return detail::Invoke<false>(g_recorder, "ShowCursor", std::make_tuple(show), detail::NoNote{},
                                 [&] { return RealPlatform().ShowCursor(show); });
}

BOOL WINAPI RecordGetWindowPlacement(HWND window, WINDOWPLACEMENT* placement) {
    return detail::Invoke<false>(
        g_recorder, "GetWindowPlacement", std::make_tuple(window, placement), detail::NoNote{},
        [&] { return RealPlatform().GetWindowPlacement(window, placement); });
}

}  // namespace

void InstallRecordingPlatform(D3DRecorder* recorder) {
    g_recorder = recorder;
    KrPlatform& platform = Platform();
    platform.Direct3DCreate9 = RecordDirect3DCreate9;
    platform.D3DXAssembleShader = RecordAssembleShader;
    platform.D3DXCreateTextureFromFileA = RecordCreateTextureFromFile;
    platform.D3DXSaveSurfaceToFileA = RecordSaveSurfaceToFile;
    platform.SetWindowLongA = RecordSetWindowLong;
    platform.AdjustWindowRect = RecordAdjustWindowRect;
    platform.ShowCursor = RecordShowCursor;
    platform.GetWindowPlacement = RecordGetWindowPlacement;
}

RecordingPlatformScope::~RecordingPlatformScope() {
    RestorePlatform();
    g_recorder = nullptr;
}

}  // namespace krtest
