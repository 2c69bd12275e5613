// The platform seam: every call from the device to a platform function goes through this table.
// Its entries are the real functions; tests replace entries to record calls or inject failures.
// Calls on Direct3D interfaces need no seam: tests hand the device wrapped interfaces.
#pragma once

#include <d3d9.h>
#include <d3dx9.h>
#include <windows.h>

#include "d3ddev_api.h"

struct KrPlatform {
    IDirect3D9*(WINAPI* Direct3DCreate9)(UINT sdkVersion);
    HRESULT(WINAPI* D3DXAssembleShader)
    (LPCSTR source, UINT length, const D3DXMACRO* defines, LPD3DXINCLUDE include, DWORD flags,
     LPD3DXBUFFER* code, LPD3DXBUFFER* errors);
    HRESULT(WINAPI* D3DXCreateTextureFromFileA)
    (LPDIRECT3DDEVICE9 device, LPCSTR path, LPDIRECT3DTEXTURE9* texture);
    HRESULT(WINAPI* D3DXSaveSurfaceToFileA)
    (LPCSTR path, D3DXIMAGE_FILEFORMAT format, LPDIRECT3DSURFACE9 surface,
     const PALETTEENTRY* palette, const RECT* sourceRect);
    LONG(WINAPI* SetWindowLongA)(HWND window, int index, LONG value);
    BOOL(WINAPI* AdjustWindowRect)(LPRECT rect, DWORD style, BOOL menu);
    int(WINAPI* ShowCursor)(BOOL show);
    BOOL(WINAPI* GetWindowPlacement)(HWND window, WINDOWPLACEMENT* placement);
};

// The table the device calls through.
D3DDEV_API KrPlatform& Platform();
// The real functions, for restoring the table and for wrappers that forward to them.
D3DDEV_API const KrPlatform& RealPlatform();
D3DDEV_API void RestorePlatform();
