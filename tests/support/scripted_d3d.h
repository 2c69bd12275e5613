// A scripted IDirect3D9: reports the adapters, identifiers, desktop modes, display modes,
// capabilities and format checks that a test sets, for the cases one real adapter cannot show.
// Any query can be made to fail with a chosen HRESULT. CreateDevice forwards to Wine's real
// adapter 0, so a device created through it is still real.
//
// Ownership: Create() returns the test's reference. Install() makes the device's Direct3D
// creation return the object with a reference of its own; after the device has released it, the
// test's Release() is the last one and returns 0.
#pragma once

#include <d3d9.h>

#include <vector>

namespace krtest {

class ScriptedD3D : public IDirect3D9 {
  public:
    enum Query {
        kGetAdapterIdentifier,
        kGetAdapterDisplayMode,
        kGetAdapterModeCount,
        kEnumAdapterModes,
        kGetDeviceCaps,
        kCheckDeviceType,
        kCheckDeviceFormat,
        kCheckDepthStencilMatch,
        kCreateDevice,
        kQueryCount
    };
    static const int kAnyAdapter = -1;
    static const D3DFORMAT kAnyFormat = static_cast<D3DFORMAT>(-1);

    struct Adapter {
        D3DADAPTER_IDENTIFIER9 identifier;
        D3DDISPLAYMODE desktop;
        D3DCAPS9 caps;
        // Every display mode in every format; each format's list is the modes of that format.
        std::vector<D3DDISPLAYMODE> modes;
    };

    static ScriptedD3D* Create();
    // Objects created and not yet deleted (a last Release deletes).
    static int LiveObjects();

    // Platform().Direct3DCreate9 returns `d3d` (with a reference for the caller) until
    // RestorePlatform().
    static void Install(ScriptedD3D* d3d);
    // The SDK version of the last creation through Install's entry.
    static UINT LastSdkVersion();

    // A new adapter with the given texts and desktop mode, and the capabilities of a capable
    // hardware device (HWTnL, vertex shader 1.1, pure, alpha blending, linear filters, bump
    // mapping, power-of-two textures only, no W-buffer). Returns it for further scripting.
    Adapter& AddAdapter(const char* description, const char* driver, UINT desktopWidth = 1280,
                        UINT desktopHeight = 1024, D3DFORMAT desktopFormat = D3DFMT_X8R8G8B8);
    Adapter& GetAdapter(int index) { return adapters_[static_cast<size_t>(index)]; }
    // Adds one mode per refresh rate.
    void AddMode(int adapter, UINT width, UINT height, D3DFORMAT format,
                 std::vector<UINT> refreshRates = {60});

    // Makes a query fail with `result` for one adapter (or every one) and one format (or every
    // one): the mode format for the mode queries, the display format for CheckDeviceType, the
    // checked format for CheckDeviceFormat, the depth format for CheckDepthStencilMatch. A failed
    // GetAdapterModeCount reports 0 modes.
    void Fail(Query query, HRESULT result, int adapter = kAnyAdapter,
              D3DFORMAT format = kAnyFormat);
    // How many times a query was made.
    int Calls(Query query) const { return calls_[query]; }
    ULONG RefCount() const { return refs_; }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    // IDirect3D9
    HRESULT STDMETHODCALLTYPE RegisterSoftwareDevice(void* initialize) override;
    UINT STDMETHODCALLTYPE GetAdapterCount() override;
    HRESULT STDMETHODCALLTYPE GetAdapterIdentifier(UINT adapter, DWORD flags,
                                                   D3DADAPTER_IDENTIFIER9* identifier) override;
    UINT STDMETHODCALLTYPE GetAdapterModeCount(UINT adapter, D3DFORMAT format) override;
    HRESULT STDMETHODCALLTYPE EnumAdapterModes(UINT adapter, D3DFORMAT format, UINT index,
                                               D3DDISPLAYMODE* mode) override;
    HRESULT STDMETHODCALLTYPE GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode) override;
    HRESULT STDMETHODCALLTYPE CheckDeviceType(UINT adapter, D3DDEVTYPE type,
                                              D3DFORMAT displayFormat, D3DFORMAT backBufferFormat,
                                              BOOL windowed) override;
    HRESULT STDMETHODCALLTYPE CheckDeviceFormat(UINT adapter, D3DDEVTYPE type,
                                                D3DFORMAT adapterFormat, DWORD usage,
                                                D3DRESOURCETYPE resourceType,
                                                D3DFORMAT checkFormat) override;
    HRESULT STDMETHODCALLTYPE CheckDeviceMultiSampleType(UINT adapter, D3DDEVTYPE type,
                                                         D3DFORMAT format, BOOL windowed,
                                                         D3DMULTISAMPLE_TYPE samples,
                                                         DWORD* qualityLevels) override;
    HRESULT STDMETHODCALLTYPE CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE type,
                                                     D3DFORMAT adapterFormat,
                                                     D3DFORMAT renderFormat,
                                                     D3DFORMAT depthFormat) override;
    HRESULT STDMETHODCALLTYPE CheckDeviceFormatConversion(UINT adapter, D3DDEVTYPE type,
                                                          D3DFORMAT source,
                                                          D3DFORMAT target) override;
    HRESULT STDMETHODCALLTYPE GetDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS9* caps) override;
    HMONITOR STDMETHODCALLTYPE GetAdapterMonitor(UINT adapter) override;
    HRESULT STDMETHODCALLTYPE CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focusWindow,
                                           DWORD behaviorFlags,
                                           D3DPRESENT_PARAMETERS* presentParameters,
                                           IDirect3DDevice9** device) override;

  private:
    ScriptedD3D();
    virtual ~ScriptedD3D();
    ScriptedD3D(const ScriptedD3D&) = delete;
    ScriptedD3D& operator=(const ScriptedD3D&) = delete;

    struct Failure {
        Query query;
        HRESULT result;
        int adapter;
        D3DFORMAT format;
    };
    // Counts the call; the scripted failure for it, or S_OK.
    HRESULT Outcome(Query query, UINT adapter, D3DFORMAT format);
    bool Known(UINT adapter) const { return adapter < adapters_.size(); }

    ULONG refs_;
    std::vector<Adapter> adapters_;
    std::vector<Failure> failures_;
    int calls_[kQueryCount];
    IDirect3D9* real_;
};

}  // namespace krtest
