// The recording proxy on Wine's real device: it forwards, records arguments, fails on request
// without forwarding, and lets every real object reach a count of 0.
#include <gtest/gtest.h>

#include <cstring>

#include "kr_test_support.h"
#include "platform.h"
#include "recording_d3d.h"

namespace {

using krtest::D3DRecorder;
using krtest::RecordedCall;

unsigned long long FloatBits(float value) {
    unsigned int bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

// A windowed device made through the proxy; the real IDirect3D9 object keeps one extra reference
// held here, so that its final count shows whether the proxies let go of everything.
struct ProxiedDevice {
    D3DRecorder recorder;
    IDirect3D9* real = nullptr;
    IDirect3D9* d3d = nullptr;
    IDirect3DDevice9* device = nullptr;
    HWND window = nullptr;

    bool Create(int width = 320, int height = 240) {
        window = krtest::TestWindow(width, height);
        real = Direct3DCreate9(D3D_SDK_VERSION);
        if (real == nullptr) {
            return false;
        }
        real->AddRef();
        d3d = krtest::WrapDirect3D(real, &recorder);
        D3DPRESENT_PARAMETERS pp = krtest::WindowedPresentParameters(window, width, height);
        return SUCCEEDED(d3d->CreateDevice(0, D3DDEVTYPE_HAL, window,
                                           D3DCREATE_HARDWARE_VERTEXPROCESSING, &pp, &device));
    }
    // The count the real IDirect3D9 object reaches once the extra reference goes too.
    ULONG RealCountAfterAll() {
        const ULONG count = real != nullptr ? real->Release() : 0;
        real = nullptr;
        return count;
    }
    ~ProxiedDevice() {
        if (device != nullptr)
            device->Release();
        if (d3d != nullptr)
            d3d->Release();
        if (real != nullptr)
            real->Release();
        if (window != nullptr)
            DestroyWindow(window);
    }
};

DWORD RealRenderState(IDirect3DDevice9* device, D3DRENDERSTATETYPE state) {
    DWORD value = 0xDEADBEEF;
    device->GetRenderState(state, &value);
    return value;
}

TEST(RecordingProxy, ForwardsToTheRealDeviceAndReadsItsPixelsBack) {
    ProxiedDevice p;
    ASSERT_TRUE(p.Create(320, 240));
    EXPECT_EQ(p.recorder.Count("CreateDevice"), 1u);
    EXPECT_EQ(p.recorder.lastPresentParameters.BackBufferWidth, 320u);
    EXPECT_EQ(p.recorder.lastPresentParameters.BackBufferHeight, 240u);

    ASSERT_EQ(p.device->Clear(0, nullptr, D3DCLEAR_TARGET, D3DCOLOR_XRGB(200, 40, 90), 1.0f, 0),
              D3D_OK);
    std::vector<unsigned int> pixels;
    int width = 0;
    int height = 0;
    ASSERT_TRUE(krtest::ReadBackBuffer(p.device, pixels, width, height));
    ASSERT_EQ(width, 320);
    ASSERT_EQ(height, 240);
    for (unsigned int pixel : {pixels[0], pixels[pixels.size() / 2], pixels.back()}) {
        EXPECT_TRUE(krtest::ColourNear(pixel & 0xFFFFFF, 0xC8285A, 1)) << std::hex << pixel;
    }
    for (const char* method :
         {"GetBackBuffer", "CreateOffscreenPlainSurface", "GetRenderTargetData"}) {
        ASSERT_EQ(p.recorder.Count(method), 1u) << method;
        EXPECT_EQ(p.recorder.CallsOf(method)[0].result, D3D_OK) << method;
    }
    // Objects handed back to the caller are the proxies, never the real ones underneath.
    IDirect3D9* fromDevice = nullptr;
    ASSERT_EQ(p.device->GetDirect3D(&fromDevice), D3D_OK);
    EXPECT_EQ(fromDevice, p.d3d);
    fromDevice->Release();
    IDirect3DDevice9* queried = nullptr;
    ASSERT_EQ(
        p.device->QueryInterface(__uuidof(IDirect3DDevice9), reinterpret_cast<void**>(&queried)),
        S_OK);
    EXPECT_EQ(queried, p.device);
    queried->Release();
}

TEST(RecordingProxy, RecordsScalarArgumentsAndTheDataBehindConstants) {
    ProxiedDevice p;
    ASSERT_TRUE(p.Create());
    p.recorder.Clear();

    p.device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    p.device->Clear(0, nullptr, D3DCLEAR_TARGET, 0x00123456, 0.5f, 7);
    const float constants[8] = {1, 2, 3, 4, -5, 6.5f, 7, 8};
    p.device->SetVertexShaderConstantF(3, constants, 2);
    D3DMATRIX world = {};
    world._11 = world._22 = world._33 = world._44 = 2.0f;
    world._41 = -3.0f;
    p.device->SetTransform(D3DTS_WORLD, &world);
    p.device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, -1, 0, 0, 0, 0);
    IDirect3DQuery9* query = nullptr;
    if (SUCCEEDED(p.device->CreateQuery(D3DQUERYTYPE_EVENT, &query))) {
        query->Release();
    }

    const std::vector<RecordedCall>& calls = p.recorder.calls;
    ASSERT_EQ(calls.size(), 6u);
    EXPECT_STREQ(calls[0].method, "SetRenderState");
    EXPECT_EQ(calls[0].args, (std::vector<unsigned long long>{D3DRS_CULLMODE, D3DCULL_NONE}));
    EXPECT_EQ(calls[0].result, D3D_OK);
    EXPECT_FALSE(calls[0].injected);
    EXPECT_EQ(RealRenderState(p.device, D3DRS_CULLMODE), static_cast<DWORD>(D3DCULL_NONE));

    EXPECT_STREQ(calls[1].method, "Clear");
    EXPECT_EQ(calls[1].args, (std::vector<unsigned long long>{0, 0, D3DCLEAR_TARGET, 0x00123456,
                                                              FloatBits(0.5f), 7}));

    EXPECT_STREQ(calls[2].method, "SetVertexShaderConstantF");
    EXPECT_EQ(calls[2].args[0], 3u);
    EXPECT_EQ(calls[2].args[2], 2u);
    EXPECT_EQ(calls[2].floats, std::vector<float>(constants, constants + 8));
    float readBack[8] = {};
    p.device->GetVertexShaderConstantF(3, readBack, 2);
    EXPECT_EQ(std::vector<float>(readBack, readBack + 8), calls[2].floats);

    EXPECT_STREQ(calls[3].method, "SetTransform");
    ASSERT_EQ(calls[3].floats.size(), 16u);
    EXPECT_EQ(calls[3].floats[0], 2.0f);
    EXPECT_EQ(calls[3].floats[12], -3.0f);

    // A negative INT keeps its sign when read back as a 64-bit value.
    EXPECT_STREQ(calls[4].method, "DrawIndexedPrimitive");
    EXPECT_EQ(static_cast<long long>(calls[4].args[1]), -1);

    // A method near the end of the interface reaches the real device's same method.
    EXPECT_STREQ(calls[5].method, "CreateQuery");
    EXPECT_EQ(calls[5].result, D3D_OK);
}

TEST(RecordingProxy, InjectedFailuresReturnTheResultWithoutForwarding) {
    ProxiedDevice p;
    ASSERT_TRUE(p.Create());
    p.device->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
    p.recorder.Clear();

    // The second SetRenderState from now fails; the ones either side go through.
    p.recorder.FailCall("SetRenderState", D3DERR_INVALIDCALL, 2);
    EXPECT_EQ(p.device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW), D3D_OK);
    EXPECT_EQ(p.device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE), D3DERR_INVALIDCALL);
    EXPECT_EQ(RealRenderState(p.device, D3DRS_CULLMODE), static_cast<DWORD>(D3DCULL_CW));
    EXPECT_EQ(p.device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW), D3D_OK);
    EXPECT_EQ(RealRenderState(p.device, D3DRS_CULLMODE), static_cast<DWORD>(D3DCULL_CCW));
    std::vector<RecordedCall> sets = p.recorder.CallsOf("SetRenderState");
    ASSERT_EQ(sets.size(), 3u);
    EXPECT_TRUE(sets[1].injected);
    EXPECT_EQ(sets[1].result, D3DERR_INVALIDCALL);
    EXPECT_FALSE(sets[2].injected);

    // The n-th call overall fails whichever method it is; the count restarts at Clear.
    p.recorder.Clear();
    p.recorder.FailNthCall(2, E_OUTOFMEMORY);
    EXPECT_EQ(p.device->SetRenderState(D3DRS_LIGHTING, FALSE), D3D_OK);
    EXPECT_EQ(p.device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE), E_OUTOFMEMORY);
    EXPECT_EQ(RealRenderState(p.device, D3DRS_ZENABLE), static_cast<DWORD>(D3DZB_FALSE));
    EXPECT_EQ(p.device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE), D3D_OK);

    // Out pointers are left null, and a value method gives zero instead of the real answer.
    p.recorder.FailCall("GetBackBuffer", D3DERR_NOTAVAILABLE, 0);
    for (int i = 0; i < 2; ++i) {
        IDirect3DSurface9* back = reinterpret_cast<IDirect3DSurface9*>(&p);
        EXPECT_EQ(p.device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back),
                  D3DERR_NOTAVAILABLE);
        EXPECT_EQ(back, nullptr);
    }
    p.recorder.FailCall("GetAvailableTextureMem", E_FAIL);
    EXPECT_EQ(p.device->GetAvailableTextureMem(), 0u);
    EXPECT_NE(p.device->GetAvailableTextureMem(), 0u);

    p.recorder.StopFailing();
    IDirect3DSurface9* back = nullptr;
    ASSERT_EQ(p.device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back), D3D_OK);
    back->Release();
}

TEST(RecordingProxy, FailedCreateDeviceLeavesNoDeviceBehind) {
    ProxiedDevice p;
    ASSERT_TRUE(p.Create());
    p.recorder.FailCall("CreateDevice", D3DERR_NOTAVAILABLE);
    D3DPRESENT_PARAMETERS pp = p.recorder.lastPresentParameters;
    pp.BackBufferWidth = 64;
    IDirect3DDevice9* second = reinterpret_cast<IDirect3DDevice9*>(&p);
    EXPECT_EQ(p.d3d->CreateDevice(0, D3DDEVTYPE_HAL, p.window, D3DCREATE_HARDWARE_VERTEXPROCESSING,
                                  &pp, &second),
              D3DERR_NOTAVAILABLE);
    EXPECT_EQ(second, nullptr);
    // Still recorded as asked for, so tests can check what a failed creation wanted.
    EXPECT_EQ(p.recorder.lastPresentParameters.BackBufferWidth, 64u);

    EXPECT_EQ(p.device->Release(), 0u);
    p.device = nullptr;
    EXPECT_EQ(p.d3d->Release(), 1u);  // only the extra reference held by ProxiedDevice
    p.d3d = nullptr;
    EXPECT_EQ(p.RealCountAfterAll(), 0u);
}

TEST(RecordingProxy, D3DXCallsBackThroughTheProxiedDeviceAndSeesItsFailures) {
    ProxiedDevice p;
    ASSERT_TRUE(p.Create());
    krtest::RecordingPlatformScope seam(&p.recorder);
    p.recorder.Clear();
    const std::string path = krtest::MediaRoot() + "\\Textures\\noshader.bmp";
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(Platform().D3DXCreateTextureFromFileA(p.device, path.c_str(), &texture), D3D_OK);
    texture->Release();
    // The outer call is recorded first and gets its result after the calls made inside it.
    ASSERT_GE(p.recorder.calls.size(), 2u);
    EXPECT_STREQ(p.recorder.calls[0].method, "D3DXCreateTextureFromFileA");
    EXPECT_EQ(p.recorder.calls[0].result, D3D_OK);
    EXPECT_EQ(p.recorder.calls[0].text, path);
    EXPECT_GE(p.recorder.Count("CreateTexture"), 1u);

    p.recorder.FailCall("CreateTexture", E_OUTOFMEMORY, 0);
    texture = nullptr;
    EXPECT_TRUE(FAILED(Platform().D3DXCreateTextureFromFileA(p.device, path.c_str(), &texture)));
    EXPECT_EQ(texture, nullptr);
    EXPECT_TRUE(p.recorder.CallsOf("CreateTexture").back().injected);
}

TEST(RecordingProxy, EveryRealObjectReachesZeroInEitherReleaseOrder) {
    {
        // Device first: the last Release through each proxy returns 0.
        ProxiedDevice p;
        ASSERT_TRUE(p.Create());
        p.recorder.recordRefCounting = true;
        p.recorder.Clear();
        IDirect3D9* extra = nullptr;
        ASSERT_EQ(p.device->GetDirect3D(&extra), D3D_OK);
        extra->Release();
        EXPECT_EQ(p.device->Release(), 0u);
        p.device = nullptr;
        EXPECT_EQ(p.d3d->Release(), 1u);
        p.d3d = nullptr;
        EXPECT_EQ(p.RealCountAfterAll(), 0u);
        // GetDirect3D's reference, the device's last and the IDirect3D9 proxy's own; the one
        // AddRef is GetDirect3D handing out the proxy.
        const std::vector<RecordedCall> releases = p.recorder.CallsOf("Release");
        ASSERT_EQ(releases.size(), 3u);
        EXPECT_EQ(releases[1].result, 0);
        EXPECT_EQ(p.recorder.Count("AddRef"), 1u);
    }
    {
        // The IDirect3D9 proxy first: the device still holds the real object alive.
        ProxiedDevice p;
        ASSERT_TRUE(p.Create());
        EXPECT_EQ(p.d3d->Release(), 2u);
        p.d3d = nullptr;
        EXPECT_EQ(p.device->Release(), 0u);
        p.device = nullptr;
        EXPECT_EQ(p.RealCountAfterAll(), 0u);
    }
    {
        // A device wrapped on its own makes its IDirect3D9 proxy on demand.
        D3DRecorder recorder;
        krtest::RealDevice real;
        ASSERT_TRUE(real.Create(160, 120));
        IDirect3DDevice9* device = krtest::WrapDevice(real.device, &recorder);
        IDirect3D9* d3d = nullptr;
        ASSERT_EQ(device->GetDirect3D(&d3d), D3D_OK);
        EXPECT_NE(d3d, real.d3d);
        EXPECT_EQ(d3d->GetAdapterCount(), real.d3d->GetAdapterCount());
        EXPECT_EQ(recorder.Count("GetAdapterCount"), 1u);
        d3d->Release();
        EXPECT_EQ(device->Release(), 0u);
        real.device = nullptr;
        unsigned long d3dCount = 1;
        real.Release(nullptr, &d3dCount);
        EXPECT_EQ(d3dCount, 0u);
    }
}

}  // namespace
