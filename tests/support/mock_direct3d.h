// A GoogleMock IDirect3D9 whose default actions answer from an adapter table, for what one real
// adapter cannot show: several adapters, chosen mode lists and depth formats, failing queries.
// Tests override single calls with EXPECT_CALL / ON_CALL. The device is handed the only
// reference (Install), so its last Release returns 0; the object itself lives in the test.
#pragma once

#include <d3d9.h>
#include <gmock/gmock.h>

#include <vector>

namespace krtest {

struct MockAdapter {
    D3DADAPTER_IDENTIFIER9 identifier;
    D3DDISPLAYMODE desktop;
    D3DCAPS9 caps;
    std::vector<D3DDISPLAYMODE> modes;    // all formats; a size once per refresh rate
    std::vector<D3DFORMAT> depthFormats;  // what CheckDeviceFormat accepts
};

class MockDirect3D : public IDirect3D9 {
  public:
    MockDirect3D();
    // A hardware adapter that processes vertices (T&L, vertex shader 1.1) on an X8R8G8B8
    // 1280x1024 desktop, with D16, D24X8 and D32 depth buffers. Its identifier and capabilities
    // are answered as they are now; its desktop, modes and depth formats as they are asked.
    MockAdapter& AddAdapter(const char* description, const std::vector<D3DDISPLAYMODE>& modes);
    // Direct3DCreate9 of the platform seam returns this object until RestorePlatform().
    void Install();

    std::vector<MockAdapter> adapters;

    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override { return --refs_; }
// What the table does not answer returns 0 (S_OK) or null; CreateDevice fails.
#define KR_STD (override, Calltype(STDMETHODCALLTYPE))
    MOCK_METHOD(HRESULT, QueryInterface, (REFIID, void**), KR_STD);
    MOCK_METHOD(HRESULT, RegisterSoftwareDevice, (void*), KR_STD);
    MOCK_METHOD(HRESULT, CheckDeviceMultiSampleType,
                (UINT, D3DDEVTYPE, D3DFORMAT, BOOL, D3DMULTISAMPLE_TYPE, DWORD*), KR_STD);
    MOCK_METHOD(HRESULT, CheckDeviceFormatConversion, (UINT, D3DDEVTYPE, D3DFORMAT, D3DFORMAT),
                KR_STD);
    MOCK_METHOD(HMONITOR, GetAdapterMonitor, (UINT), KR_STD);
    MOCK_METHOD(HRESULT, CreateDevice,
                (UINT, D3DDEVTYPE, HWND, DWORD, D3DPRESENT_PARAMETERS*, IDirect3DDevice9**),
                KR_STD);
    MOCK_METHOD(UINT, GetAdapterCount, (), KR_STD);
    MOCK_METHOD(HRESULT, GetAdapterIdentifier, (UINT, DWORD, D3DADAPTER_IDENTIFIER9*), KR_STD);
    MOCK_METHOD(UINT, GetAdapterModeCount, (UINT, D3DFORMAT), KR_STD);
    MOCK_METHOD(HRESULT, EnumAdapterModes, (UINT, D3DFORMAT, UINT, D3DDISPLAYMODE*), KR_STD);
    MOCK_METHOD(HRESULT, GetAdapterDisplayMode, (UINT, D3DDISPLAYMODE*), KR_STD);
    MOCK_METHOD(HRESULT, CheckDeviceType, (UINT, D3DDEVTYPE, D3DFORMAT, D3DFORMAT, BOOL), KR_STD);
    MOCK_METHOD(HRESULT, CheckDeviceFormat,
                (UINT, D3DDEVTYPE, D3DFORMAT, DWORD, D3DRESOURCETYPE, D3DFORMAT), KR_STD);
    MOCK_METHOD(HRESULT, CheckDepthStencilMatch,
                (UINT, D3DDEVTYPE, D3DFORMAT, D3DFORMAT, D3DFORMAT), KR_STD);
    MOCK_METHOD(HRESULT, GetDeviceCaps, (UINT, D3DDEVTYPE, D3DCAPS9*), KR_STD);
#undef KR_STD

  private:
    // An adapter beyond the table answers as one without modes or depth formats.
    MockAdapter& At(UINT a) {
        return a < adapters.size() ? adapters[a] : none_;
    }
    MockAdapter none_{};
    ULONG refs_ = 0;
};

}  // namespace krtest
