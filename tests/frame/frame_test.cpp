// The frame on the real back buffer: where draws land through view and world, the line, indexed
// against plain draws, alpha; the texture binding; failures of the frame; the screenshot.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <tuple>

#include "platform.h"
#include "scene.h"

using scene::At;
using Lines = std::vector<std::string>;

TEST(FramePixels, PlacementLineIndexedDrawsAndAlpha) {
    krtest::D3DRecorder recorder;
    krtest::RunningDevice running(&recorder);
    ASSERT_TRUE(running.Start());
    KrRenderBase* render = running.Render();
    scene::PlaceCamera(running);
    // Moved 3 to the right, corners (1, -1.5) and (5, 1.5) land on pixels (440, 360), (600, 240).
    int white = scene::SolidEffector(render, 0xFFFFFFFFu, 0, "White");
    scene::Buffer quad(render, scene::Quad(2.0f, 1.5f, 0xFF00FF00u));
    KrCoords moved;
    moved.P = KrVector(3.0f, 0.0f, 0.0f);
    scene::Draw(render, white, &moved, quad);
    std::vector<unsigned int> pixels = scene::FinishFrame(running);
    for (int y = 242; y < 358; y += 7) {
        for (int x = 442; x < 598; x += 7) {
            ASSERT_TRUE(krtest::ColourNear(At(pixels, x, y), 0x00FF00, 2)) << x << "," << y;
        }
    }
    for (const auto& p : {std::make_pair(437, 300), {603, 300}, {520, 237}, {520, 363}, {400, 300}})
        EXPECT_EQ(0u, At(pixels, p.first, p.second)) << p.first << "," << p.second;

    // The line from (-9, -6.75) to (9, 6.75) crosses the view corner to corner.
    ASSERT_EQ(S_OK, render->PreRender(ePreRenderClear));
    KrVector from(-9.0f, -6.75f, 0.0f), to(9.0f, 6.75f, 0.0f);
    EXPECT_TRUE(render->Draw3DLine(&from, &to, KrARGB(255, 255, 0, 0)));
    std::vector<unsigned int> line = scene::FinishFrame(running);
    for (int x = 80; x < 720; x += 80) {
        int y = 300 - (x - 400) * 3 / 4, hits = 0;
        for (int d = -1; d <= 1; ++d)
            hits += krtest::ColourNear(At(line, x, y + d), 0xFF0000, 8);
        EXPECT_GT(hits, 0) << "line at x " << x;
    }
    EXPECT_EQ(0u, At(line, 600, 500));

    // One mesh, drawn from six plain vertices and from four indexed ones, gives one picture.
    std::vector<scene::Vertex> c = scene::Quad(3.0f, 2.0f, 0xFFFFFFFFu);
    c[1].colour = 0xFFFF0000u;
    c[3].colour = 0xFF0000FFu;
    scene::Buffer plain(render, {c[0], c[1], c[2], c[0], c[2], c[3]}), shared(render, c);
    KrIndexBufferBase* indices = nullptr;
    ASSERT_TRUE(render->CreateIndexBuffer(&indices, 12, eIDX16, eMemManaged));
    unsigned short order[6] = {0, 1, 2, 0, 2, 3};
    indices->Populate(reinterpret_cast<unsigned char*>(order), 12, true);
    std::vector<unsigned int> pictures[2];
    for (int indexed = 0; indexed < 2; ++indexed) {
        ASSERT_EQ(S_OK, render->PreRender(ePreRenderClear));
        render->SetEffector(0);
        render->SetTransform(nullptr);
        EXPECT_EQ(S_OK, indexed ? render->DrawPrimitive(D3DPT_TRIANGLELIST, shared.b, indices,
                                                        sizeof(scene::Vertex), 0, 4, 2, 0, 0)
                                : render->DrawPrimitive(D3DPT_TRIANGLELIST, plain.b,
                                                        sizeof(scene::Vertex), 2));
        pictures[indexed] = scene::FinishFrame(running);
    }
    EXPECT_TRUE(pictures[0] == pictures[1]);
    // 240 x 160 pixels, part of them black under the fallback texture's checker.
    EXPECT_GT(pictures[0].size() - std::count(pictures[0].begin(), pictures[0].end(), 0u), 15000u);
    // A refused bind of the indexed draw says so (outside a scene: only the binds count). Each bind
    // differs from the one before, so that it reaches Direct3D.
    int bind = 0;
    for (auto [method, line] :
         {std::pair("SetVertexDeclaration", "ERROR: SetVertexDeclaration failed"),
          {"SetStreamSource", "ERROR: SetStreamSource failed"},
          {"SetVertexShader", "ERROR: SetVertexShader failed"}}) {
        recorder.FailCall(method, D3DERR_INVALIDCALL);
        render->SetEffector(++bind % 2 ? 3 : 0);
        render->DrawPrimitive(D3DPT_TRIANGLELIST, (bind % 2 ? plain : shared).b, indices,
                              sizeof(scene::Vertex), 0, 4, 2, 0, 0);
        EXPECT_EQ(line, krtest::LogLines().back());
    }
    krtest::ClearLog();
    recorder.FailCall("SetStreamSource", D3DERR_INVALIDCALL);
    EXPECT_FALSE(render->SetStream(0, scene::kFvf, shared.b) || render->SetStream(1, 0, nullptr));
    EXPECT_EQ(Lines({"ERROR: Failure during iD3DDev9->SetStreamSource(...)",
                     "ERROR: Attempted to bind NULL vertex buffer to stream 1"}),
              krtest::LogLines());
    indices->Release();
    delete indices;

    // Half-transparent white, nearer the camera, over opaque blue.
    int blue = scene::SolidEffector(render, 0xFF0000FFu, 0, "Blue");
    int half = scene::SolidEffector(render, 0x80FFFFFFu, kPassAlpha, "HalfWhite");
    scene::Buffer back(render, scene::Quad(4.0f, 3.0f, 0xFFFFFFFFu));
    scene::Buffer front(render, scene::Quad(2.0f, 2.0f, 0xFFFFFFFFu));
    KrCoords nearer;
    nearer.P = KrVector(0.0f, 0.0f, -1.0f);
    scene::Draw(render, blue, nullptr, back);
    scene::Draw(render, half, &nearer, front, false);
    std::vector<unsigned int> blend = scene::FinishFrame(running);
    EXPECT_TRUE(krtest::ColourNear(At(blend, 400, 300), 0x8080FF, 4)) << At(blend, 400, 300);
    EXPECT_TRUE(krtest::ColourNear(At(blend, 540, 300), 0x0000FF, 2)) << At(blend, 540, 300);
}

// The device sends a binding only when it differs from the last one sent. A draw after a reset,
// after an experimental path (which binds its own quad, shader and texture) and after a sprite,
// with the same effector and buffer as the frame before them, must draw that frame's picture
// again. The quad is moved by its world frame, which the paths' shaders do not read: drawn through
// a shader a path left bound, it would land elsewhere.
TEST(FramePixels, TheSameDrawAfterAResetAPathAndASprite) {
    krtest::RunningDevice running;
    ASSERT_TRUE(running.Start());
    KrRenderBase* render = running.Render();
    scene::PlaceCamera(running);
    scene::Buffer quad(render, scene::Quad(2.0f, 1.5f, 0xFFFFFFFFu));
    KrCoords moved;
    moved.P = KrVector(1.0f, 0.5f, 0.0f);
    scene::Draw(render, 0, &moved, quad);
    const std::vector<unsigned int> first = scene::FinishFrame(running);
    KrARGB white(255, 255, 255, 255);
    EXPECT_TRUE(render->UpdateDimensions());
    scene::Draw(render, 0, &moved, quad);
    EXPECT_TRUE(scene::FinishFrame(running) == first) << "after the reset";
    const std::pair<const char*, std::function<void()>> between[] = {
        {"path", [&] { render->NuDiffuseTex1(); }},
        {"sprite", [&] { render->DrawSprite(100, 100, 50, 50, 0, 0.5f, white, 0, 0, 1, 1, 0); }}};
    for (const auto& [name, step] : between) {
        EXPECT_EQ(S_OK, render->PreRender(ePreRenderClear));
        step();
        scene::Draw(render, 0, &moved, quad, false);
        std::vector<unsigned int> again = scene::FinishFrame(running);
        for (size_t i = 0; i < again.size(); ++i)  // the path's or the sprite's pixels stay
            again[i] = first[i] == 0 ? 0 : again[i];
        EXPECT_TRUE(again == first) << "after the " << name;
    }
}

// A failing call of the frame is its result. The texture binding. The screenshot: the front buffer
// as a bitmap of the display mode's size whatever the name says; nothing saved from a failed read;
// the capture surface gone every time. After an empty name the device must still shut down (the
// run's time limit catches a hang there).
TEST(FrameCalls, FailuresBindingsAndScreenshots) {
    krtest::D3DRecorder recorder;
    krtest::RunningDevice running(&recorder);
    ASSERT_TRUE(running.Start());
    KrRenderBase* render = running.Render();
    recorder.FailCall("Clear", D3DERR_INVALIDCALL);
    EXPECT_EQ(D3DERR_INVALIDCALL, render->PreRender(ePreRenderClear));
    recorder.FailCall("EndScene", D3DERR_INVALIDCALL);
    recorder.Clear();
    ASSERT_EQ(S_OK, render->PreRender(ePreRenderNoClear));
    EXPECT_EQ(D3DERR_INVALIDCALL, render->EndRender());
    EXPECT_EQ(0u, recorder.Count("Clear") + recorder.Count("Present"));
    running.Direct3DDevice()->EndScene();

    // Textures bind once; an index past a cache binds the fallback texture.
    KrTextureMgrBase* textures = render->TextureMgr();
    ASSERT_EQ(1u, textures->GetTexture(KrStringT<char>("Textures\\ui\\blackback.jpg")));
    ASSERT_EQ(0, textures->CreateTexture(8, 8, eResFmtA8R8G8B8, 1));
    auto past = static_cast<unsigned int>(textures->CachedTextureCount(eTexStatic));
    void* fallback = *textures->GetTextureInterface(0, eTexStatic);
    // Index, type, stage, bound, what the stage holds afterwards, the log line.
    using Row = std::tuple<unsigned int, int, unsigned int, bool, void*, const char*>;
    const Row rows[] = {
        {1, eTexStatic, 0, true, *textures->GetTextureInterface(1, eTexStatic), nullptr},
        {1, eTexStatic, 1, false, nullptr, nullptr},  // a repeat, whatever the stage
        {past, eTexStatic, 0, true, fallback, nullptr},
        {0, eTexStatic, 0, false, fallback, nullptr},  // the fallback was recorded
        {0, eTexDynamic, 2, true, *textures->GetTextureInterface(0, eTexDynamic), nullptr},
        {7, eTexDynamic, 0, true, fallback,
         "WARNING: Invalid dynamic texture index 7, setting .noshader instead"},
        {1, 3, 0, false, fallback,
         "ERROR: KrD3DRenDev::SetTexture(...) was passed an invalid texture type enumeration"}};
    for (const auto& [index, type, stage, bound, expected, line] : rows) {
        krtest::ClearLog();
        EXPECT_EQ(bound, render->SetTexture(index, eTextureType(type), stage));
        IDirect3DBaseTexture9* held = nullptr;
        running.Direct3DDevice()->GetTexture(stage, &held);
        EXPECT_EQ(expected, static_cast<void*>(held)) << index << " type " << type;
        if (held != nullptr)
            held->Release();
        EXPECT_EQ(line ? Lines{line} : Lines{}, krtest::LogLines());
    }

    // A binding Direct3D refused is not taken as made: the next draw that asks for it sends it.
    const int solid[2] = {scene::SolidEffector(render, 0xFF0000FFu, 0, "A"),
                          scene::SolidEffector(render, 0xFFFF0000u, 0, "B", "Shader3dLine")};
    scene::Buffer quads[2] = {{render, scene::Quad(1, 1, ~0u)}, {render, scene::Quad(2, 2, ~0u)}};
    for (const char* refused :
         {"SetTexture", "SetStreamSource", "SetVertexShader", "SetVertexDeclaration"})
        for (int draw = 0; draw < 3; ++draw) {  // A, then B refused, then B again
            recorder.Clear();
            draw == 1 ? recorder.FailCall(refused, D3DERR_INVALIDCALL) : void();
            scene::Draw(render, solid[draw > 0], nullptr, quads[draw > 0]);
            render->EndRender();
            EXPECT_EQ(1u, recorder.Count(refused)) << refused << " in draw " << draw;
        }

    // D3DX refuses a null name as it refuses an empty one, but after a null name the device's
    // last Release may never return: the name must reach it as text.
    static bool nullName = false;
    Platform().D3DXSaveSurfaceToFileA = [](LPCSTR name, D3DXIMAGE_FILEFORMAT format,
                                           IDirect3DSurface9* surface, const PALETTEENTRY* palette,
                                           const RECT* area) {
        nullName |= name == nullptr;
        return RealPlatform().D3DXSaveSurfaceToFileA(name, format, surface, palette, area);
    };
    const std::string picture = running.StartFolder() + "\\shot.jpg";
    IDirect3DDevice9* device = running.Direct3DDevice();
    auto references = [device] { return device->AddRef(), device->Release(); };
    const unsigned long before = references();
    for (const char* failing : {"", "GetFrontBufferData", "empty name"}) {
        std::remove(picture.c_str());
        if (std::strcmp(failing, "GetFrontBufferData") == 0)
            recorder.FailCall(failing, E_FAIL);
        render->takeScreenshot(KrStringT<char>(*failing == 'e' ? "" : picture.c_str()));
        EXPECT_EQ(before, references()) << failing;
        std::string bytes = krtest::ReadFile(picture);
        ASSERT_EQ(*failing == 0, bytes.size() > 54) << failing;
        int size[2] = {};
        std::memcpy(size, (bytes + std::string(26, '\0')).data() + 18, sizeof size);
        EXPECT_TRUE(*failing ||
                    (bytes.substr(0, 2) == "BM" && size[0] == 1280 && std::abs(size[1]) == 1024));
    }
    std::remove(picture.c_str());
    EXPECT_FALSE(nullName);
}
