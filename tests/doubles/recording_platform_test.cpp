// The platform seam pointed at a recorder: entries are recorded, forward to the real functions,
// fail on request with the documented results, and RestorePlatform puts the real ones back.
#include <gtest/gtest.h>

#include <cstring>

#include "kr_test_support.h"
#include "platform.h"
#include "recording_d3d.h"

namespace {

using krtest::D3DRecorder;
using krtest::RecordedCall;

TEST(RecordingPlatform, RecordsForwardsAndFailsTheSeamEntries) {
    D3DRecorder recorder;
    krtest::InstallRecordingPlatform(&recorder);

    IDirect3D9* d3d = Platform().Direct3DCreate9(D3D_SDK_VERSION);
    ASSERT_NE(d3d, nullptr);
    ASSERT_EQ(recorder.Count("Direct3DCreate9"), 1u);
    EXPECT_EQ(recorder.calls[0].args, std::vector<unsigned long long>{D3D_SDK_VERSION});
    EXPECT_EQ(recorder.calls[0].result, 1);
    // The object is the proxy: its calls land in the same recorder.
    EXPECT_GE(d3d->GetAdapterCount(), 1u);
    EXPECT_EQ(recorder.Count("GetAdapterCount"), 1u);
    EXPECT_EQ(d3d->Release(), 0u);

    recorder.FailCall("Direct3DCreate9", E_FAIL);
    EXPECT_EQ(Platform().Direct3DCreate9(D3D_SDK_VERSION), nullptr);
    EXPECT_TRUE(recorder.CallsOf("Direct3DCreate9").back().injected);

    // Win32 entries forward, and fail with 0/FALSE without touching their out data.
    RECT rect = {0, 0, 100, 100};
    EXPECT_TRUE(Platform().AdjustWindowRect(&rect, WS_OVERLAPPEDWINDOW, FALSE));
    EXPECT_LT(rect.left, 0);
    recorder.FailCall("AdjustWindowRect", E_FAIL);
    RECT untouched = {0, 0, 100, 100};
    EXPECT_FALSE(Platform().AdjustWindowRect(&untouched, WS_OVERLAPPEDWINDOW, FALSE));
    EXPECT_EQ(untouched.left, 0);
    recorder.FailCall("ShowCursor", E_FAIL);
    EXPECT_EQ(Platform().ShowCursor(TRUE), 0);
    recorder.FailCall("SetWindowLongA", E_FAIL);
    EXPECT_EQ(Platform().SetWindowLongA(nullptr, GWL_STYLE, 0), 0);
    EXPECT_EQ(static_cast<long long>(recorder.CallsOf("SetWindowLongA")[0].args[1]), GWL_STYLE);

    // D3DX entries keep their text and return the HRESULT with no buffers.
    const char source[] = "vs.1.1\nmov oPos, v0\n";
    ID3DXBuffer* code = nullptr;
    ASSERT_EQ(Platform().D3DXAssembleShader(source, sizeof source - 1, nullptr, nullptr, 0, &code,
                                            nullptr),
              D3D_OK);
    ASSERT_NE(code, nullptr);
    code->Release();
    EXPECT_EQ(recorder.CallsOf("D3DXAssembleShader")[0].text, source);
    recorder.FailNthCall(static_cast<long>(recorder.calls.size()) + 1, D3DXERR_INVALIDDATA);
    code = reinterpret_cast<ID3DXBuffer*>(&recorder);
    EXPECT_EQ(Platform().D3DXAssembleShader(source, sizeof source - 1, nullptr, nullptr, 0, &code,
                                            nullptr),
              D3DXERR_INVALIDDATA);
    EXPECT_EQ(code, nullptr);
    recorder.FailCall("D3DXCreateTextureFromFileA", D3DXERR_INVALIDDATA);
    IDirect3DTexture9* texture = nullptr;
    EXPECT_EQ(Platform().D3DXCreateTextureFromFileA(nullptr, "Textures\\none.bmp", &texture),
              D3DXERR_INVALIDDATA);
    EXPECT_EQ(recorder.CallsOf("D3DXCreateTextureFromFileA")[0].text, "Textures\\none.bmp");

    // Restored entries reach the real functions without passing the recorder. (Compared by
    // behaviour: a restored pointer may name an import thunk rather than the function itself.)
    RestorePlatform();
    const size_t recorded = recorder.calls.size();
    IDirect3D9* real = Platform().Direct3DCreate9(D3D_SDK_VERSION);
    ASSERT_NE(real, nullptr);
    real->GetAdapterCount();
    EXPECT_EQ(real->Release(), 0u);
    EXPECT_TRUE(Platform().AdjustWindowRect(&untouched, WS_OVERLAPPEDWINDOW, FALSE));
    EXPECT_EQ(recorder.calls.size(), recorded);
}

}  // namespace
