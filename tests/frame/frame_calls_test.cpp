// What the frame code sends to Direct3D, read from the recording proxy: the order of a frame,
// failures passed through, bindings skipped when nothing changes.
#include <cstdio>
#include <cstring>

#include "frame_fixture.h"

namespace {

using krtest::D3DRecorder;
using krtest::LogLines;

const unsigned long kTriangleFan = 6;

std::vector<std::string> Methods(const D3DRecorder& recorder) {
    std::vector<std::string> names;
    for (const krtest::RecordedCall& call : recorder.calls) {
        names.push_back(call.method);
    }
    return names;
}

bool WroteRegister(const D3DRecorder& recorder, unsigned long long reg) {
    for (const krtest::RecordedCall& call : recorder.CallsOf("SetVertexShaderConstantF")) {
        if (call.args[0] == reg) {
            return true;
        }
    }
    return false;
}

TEST(FrameCalls, FrameOrderAndFailuresPassThroughUnchanged) {
    D3DRecorder recorder;
    krtest::RunningDevice running(&recorder);
    ASSERT_TRUE(running.Start());
    KrRenderBase* render = running.Render();
    frametest::PlaceCamera(running);

    // Without the clear request nothing is cleared, and with no light c9 to c11 stay untouched.
    recorder.Clear();
    EXPECT_EQ(S_OK, render->PreRender(ePreRenderNoClear));
    EXPECT_EQ(0u, recorder.Count("Clear"));
    EXPECT_EQ(1u, recorder.Count("BeginScene"));
    EXPECT_FALSE(WroteRegister(recorder, 9));
    EXPECT_TRUE(WroteRegister(recorder, 8));
    EXPECT_EQ(S_OK, render->EndRender());

    // Two lights: the second one is what c9 to c11 hold.
    running.App().Lights()->AddLight(KrVector(1.0f, 2.0f, 3.0f), 10.0f);
    running.App().Lights()->AddLight(KrVector(4.0f, 5.0f, 6.0f), 20.0f);
    recorder.Clear();
    EXPECT_EQ(S_OK, render->PreRender(ePreRenderClear));
    std::vector<krtest::RecordedCall> clears = recorder.CallsOf("Clear");
    ASSERT_EQ(1u, clears.size());
    EXPECT_EQ(static_cast<unsigned long long>(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER),
              clears[0].args[2])
        << "the configuration asks for a Z-buffer";
    float light[4] = {}, range[4] = {}, colour[4] = {};
    running.Direct3DDevice()->GetVertexShaderConstantF(9, light, 1);
    running.Direct3DDevice()->GetVertexShaderConstantF(10, range, 1);
    running.Direct3DDevice()->GetVertexShaderConstantF(11, colour, 1);
    EXPECT_EQ(4.0f, light[0]);
    EXPECT_EQ(6.0f, light[2]);
    EXPECT_EQ(20.0f, range[0]);
    EXPECT_EQ(1.0f, colour[0]);
    EXPECT_EQ(0.0f, colour[3]);
    EXPECT_EQ(S_OK, render->EndRender());
    running.App().Lights()->RemoveAll();

    // A failing clear is the frame's result, and no scene is begun.
    recorder.Clear();
    recorder.FailCall("Clear", D3DERR_INVALIDCALL);
    EXPECT_EQ(D3DERR_INVALIDCALL, render->PreRender(ePreRenderClear));
    EXPECT_EQ(0u, recorder.Count("BeginScene"));

    // A failing end of scene is returned and nothing is presented.
    ASSERT_EQ(S_OK, render->PreRender(ePreRenderClear));
    recorder.Clear();
    recorder.FailCall("EndScene", D3DERR_INVALIDCALL);
    EXPECT_EQ(D3DERR_INVALIDCALL, render->EndRender());
    EXPECT_EQ(0u, recorder.Count("Present"));
    running.Direct3DDevice()->EndScene();
    EXPECT_TRUE(LogLines().empty() || LogLines().back().find("ERROR") == std::string::npos);
}

TEST(FrameCalls, SteadyDrawsSendOnlyDeclarationStreamShaderAndDraw) {
    D3DRecorder recorder;
    krtest::RunningDevice running(&recorder);
    ASSERT_TRUE(running.Start());
    KrRenderBase* render = running.Render();
    frametest::PlaceCamera(running);
    KrVertexBufferBase* quad =
        frametest::MakeBuffer(render, frametest::Quad(1.0f, 1.0f, 0xFFFFFFFFu));
    ASSERT_EQ(S_OK, render->PreRender(ePreRenderClear));
    render->SetEffector(0);
    ASSERT_EQ(S_OK,
              render->DrawPrimitive(kTriangleFan, quad, sizeof(frametest::TexturedVertex), 2));
    recorder.Clear();
    ASSERT_EQ(S_OK,
              render->DrawPrimitive(kTriangleFan, quad, sizeof(frametest::TexturedVertex), 2));
    EXPECT_EQ((std::vector<std::string>{"SetVertexDeclaration", "SetStreamSource",
                                        "SetVertexShader", "DrawPrimitive"}),
              Methods(recorder));
    EXPECT_EQ(S_OK, render->EndRender());
    frametest::FreeBuffer(quad);
}

TEST(FrameCalls, BindingsAndDrawFailures) {
    D3DRecorder recorder;
    krtest::RunningDevice running(&recorder);
    ASSERT_TRUE(running.Start());
    KrRenderBase* render = running.Render();
    KrTextureMgrBase* textures = render->TextureMgr();
    KrVertexBufferBase* quad =
        frametest::MakeBuffer(render, frametest::Quad(1.0f, 1.0f, 0xFFFFFFFFu));

    // Stream strides follow the vertex format; a missing buffer is refused without a call.
    recorder.Clear();
    EXPECT_TRUE(render->SetStream(0, D3DFVF_XYZ | D3DFVF_DIFFUSE, quad));
    EXPECT_TRUE(
        render->SetStream(0, D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_TEX1, quad));
    EXPECT_TRUE(render->SetStream(1, D3DFVF_XYZ | D3DFVF_TEX2, quad));
    std::vector<krtest::RecordedCall> streams = recorder.CallsOf("SetStreamSource");
    ASSERT_EQ(3u, streams.size());
    EXPECT_EQ(16u, streams[0].args[3]);
    EXPECT_EQ(36u, streams[1].args[3]);
    EXPECT_EQ(28u, streams[2].args[3]);
    krtest::ClearLog();
    EXPECT_FALSE(render->SetStream(3, D3DFVF_XYZ, nullptr));
    EXPECT_EQ((std::vector<std::string>{"ERROR: Attempted to bind NULL vertex buffer to stream 3"}),
              LogLines());
    EXPECT_EQ(3u, recorder.Count("SetStreamSource"));

    // Texture bindings: a repeat is skipped whatever the stage; indexes beyond a cache fall back
    // to the fallback texture.
    int statics = textures->CachedTextureCount(eTexStatic);
    ASSERT_GE(statics, 1);
    textures->GetTexture(KrStringT<char>("Textures\\ui\\blackback.jpg"));
    recorder.Clear();
    EXPECT_TRUE(render->SetTexture(1, eTexStatic, 0));
    EXPECT_FALSE(render->SetTexture(1, eTexStatic, 0));
    EXPECT_FALSE(render->SetTexture(1, eTexStatic, 1));
    EXPECT_EQ(1u, recorder.Count("SetTexture"));
    EXPECT_TRUE(render->SetTexture(500, eTexStatic, 0));
    EXPECT_FALSE(render->SetTexture(0, eTexStatic, 0)) << "index 500 was recorded as 0";
    krtest::ClearLog();
    EXPECT_TRUE(render->SetTexture(1, eTexStatic, 0));
    EXPECT_TRUE(render->SetTexture(7, eTexDynamic, 0));
    EXPECT_EQ((std::vector<std::string>{
                  "WARNING: Invalid dynamic texture index 7, setting .noshader instead"}),
              LogLines());
    krtest::ClearLog();
    EXPECT_FALSE(render->SetTexture(2, static_cast<eTextureType>(3), 0));
    EXPECT_EQ((std::vector<std::string>{"ERROR: KrD3DRenDev::SetTexture(...) was passed an invalid "
                                        "texture type enumeration"}),
              LogLines());

    // An effector of two passes: the second is drawn only when the first fails to draw.
    KrEffector* twoPass = render->FXMgr()->CreateEffector();
    const char* text = "vs.1.1\ndcl_position v0\ndcl_color0 v1\nm4x4 oPos, v0, c0\nmov oD0, v1\n";
    ASSERT_NE(nullptr, twoPass->AddPass(KrStringT<char>(text)));
    ASSERT_NE(nullptr, twoPass->AddPass(KrStringT<char>(text)));
    KrStringT<char> name("TwoPasses");
    int twoPassIndex = render->FXMgr()->AddEffector(name, twoPass);
    ASSERT_EQ(S_OK, render->PreRender(ePreRenderClear));
    EXPECT_FALSE(render->SetEffector(static_cast<unsigned int>(twoPassIndex)));
    recorder.Clear();
    EXPECT_EQ(S_OK,
              render->DrawPrimitive(kTriangleFan, quad, sizeof(frametest::TexturedVertex), 2));
    EXPECT_EQ(1u, recorder.Count("DrawPrimitive"));
    recorder.Clear();
    recorder.FailCall("DrawPrimitive", D3DERR_INVALIDCALL);
    EXPECT_EQ(S_OK,
              render->DrawPrimitive(kTriangleFan, quad, sizeof(frametest::TexturedVertex), 2));
    EXPECT_EQ(2u, recorder.Count("DrawPrimitive"));
    recorder.FailCall("DrawPrimitive", D3DERR_INVALIDCALL, 0);
    EXPECT_EQ(E_FAIL,
              render->DrawPrimitive(kTriangleFan, quad, sizeof(frametest::TexturedVertex), 2));
    recorder.StopFailing();

    // The indexed draw reports any failure of its draw as an invalid call.
    KrIndexBufferBase* indices = nullptr;
    ASSERT_TRUE(render->CreateIndexBuffer(&indices, 12, eIDX16, eMemManaged));
    unsigned short order[6] = {0, 1, 2, 0, 2, 3};
    indices->Populate(reinterpret_cast<unsigned char*>(order), 12, true);
    recorder.FailCall("DrawIndexedPrimitive", E_OUTOFMEMORY);
    EXPECT_EQ(static_cast<long>(0x8876086C),
              render->DrawPrimitive(kTriangleFan, quad, indices, sizeof(frametest::TexturedVertex),
                                    0, 4, 2, 0, 0));

    // A line with a missing end draws nothing, after alpha and the world matrix were set.
    recorder.Clear();
    KrVector from(0, 0, 0);
    EXPECT_FALSE(render->Draw3DLine(&from, nullptr, KrARGB(128, 255, 255, 255)));
    EXPECT_EQ(0u, recorder.Count("DrawPrimitive"));
    EXPECT_TRUE(WroteRegister(recorder, 4));
    EXPECT_EQ(S_OK, render->EndRender());
    indices->Release();
    delete indices;
    frametest::FreeBuffer(quad);
}

TEST(FrameCalls, LostDeviceIsReportedAndRecoveredThroughReset) {
    D3DRecorder recorder;
    krtest::RunningDevice running(&recorder);
    ASSERT_TRUE(running.Start());
    KrRenderBase* render = running.Render();
    frametest::PlaceCamera(running);
    int green = frametest::SolidColourEffector(render, 0xFFFFFFFFu, 0, "Green");
    KrVertexBufferBase* quad =
        frametest::MakeBuffer(render, frametest::Quad(2.0f, 2.0f, 0xFF00FF00u));
    ASSERT_EQ(S_OK, render->PreRender(ePreRenderClear));
    recorder.FailCall("Present", D3DERR_DEVICELOST);
    EXPECT_EQ(D3DERR_DEVICELOST, render->EndRender());

    // The engine's recovery: reset the device, then create its dynamic textures again.
    int statics = render->TextureMgr()->CachedTextureCount(eTexStatic);
    recorder.Clear();
    ASSERT_TRUE(render->UpdateDimensions());
    EXPECT_EQ(static_cast<size_t>(statics), recorder.Count("D3DXCreateTextureFromFileA"))
        << "static textures are loaded again";
    EXPECT_EQ(0, render->TextureMgr()->CachedTextureCount(eTexDynamic));
    green = frametest::SolidColourEffector(render, 0xFFFFFFFFu, 0, "GreenAgain");
    ASSERT_EQ(S_OK, render->PreRender(ePreRenderClear));
    render->SetEffector(static_cast<unsigned int>(green));
    render->SetTransform(nullptr);
    ASSERT_EQ(S_OK,
              render->DrawPrimitive(kTriangleFan, quad, sizeof(frametest::TexturedVertex), 2));
    std::vector<unsigned int> pixels = frametest::FinishFrame(running);
    EXPECT_TRUE(krtest::ColourNear(frametest::At(pixels, 400, 300), 0x0000FF00u, 2));
    frametest::FreeBuffer(quad);
}

TEST(FrameCalls, ScreenshotCopiesTheFrontBufferIntoABitmap) {
    D3DRecorder recorder;
    krtest::RunningDevice running(&recorder);
    ASSERT_TRUE(running.Start());
    KrRenderBase* render = running.Render();
    const std::string picture = running.StartFolder() + "\\shot.jpg";
    std::remove(picture.c_str());
    recorder.Clear();
    render->takeScreenshot(KrStringT<char>(picture.c_str()));
    std::vector<std::string> expected = {"GetDisplayMode", "CreateOffscreenPlainSurface",
                                         "GetFrontBufferData", "D3DXSaveSurfaceToFileA"};
    std::vector<std::string> made;
    for (const std::string& m : Methods(recorder)) {
        if (m != "AddRef" && m != "Release")
            made.push_back(m);
    }
    ASSERT_GE(made.size(), expected.size());
    EXPECT_TRUE(krtest::ContainsRun(made, expected)) << krtest::Join(made);
    std::vector<krtest::RecordedCall> surfaces = recorder.CallsOf("CreateOffscreenPlainSurface");
    ASSERT_EQ(1u, surfaces.size());
    EXPECT_EQ(1280u, surfaces[0].args[0]) << "the display mode, not the window";
    EXPECT_EQ(1024u, surfaces[0].args[1]);
    EXPECT_EQ(static_cast<unsigned long long>(D3DFMT_A8R8G8B8), surfaces[0].args[2]);
    EXPECT_EQ(static_cast<unsigned long long>(D3DPOOL_SYSTEMMEM), surfaces[0].args[3]);

    // A Windows bitmap of the display mode's size, whatever the name says.
    std::string bytes = krtest::ReadFile(picture);
    ASSERT_GT(bytes.size(), 54u);
    EXPECT_EQ("BM", bytes.substr(0, 2));
    int width = 0, height = 0;
    std::memcpy(&width, bytes.data() + 18, 4);
    std::memcpy(&height, bytes.data() + 22, 4);
    EXPECT_EQ(1280, width);
    EXPECT_EQ(1024, height < 0 ? -height : height);
    std::remove(picture.c_str());

    // An empty name saves nothing and leaves nothing behind.
    int blocks = krLiveBlocks();
    recorder.Clear();
    render->takeScreenshot(KrStringT<char>());
    std::vector<krtest::RecordedCall> saves = recorder.CallsOf("D3DXSaveSurfaceToFileA");
    ASSERT_EQ(1u, saves.size());
    EXPECT_LT(saves[0].result, 0);
    EXPECT_EQ(blocks, krLiveBlocks());
}

}  // namespace
