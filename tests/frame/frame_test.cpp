// The frame on the real back buffer: where draws land through view and world, the line, indexed
// against plain draws, alpha; the texture binding; failures of the frame; the screenshot.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "scene.h"

namespace {

using scene::At;

// Corners (1, -1.5) to (5, 1.5) land on pixels (440, 240) to (600, 360).
TEST(FramePixels, QuadLandsWhereViewAndWorldPutIt) {
    krtest::RunningDevice running;
    ASSERT_TRUE(running.Start());
    KrRenderBase* render = running.Render();
    scene::PlaceCamera(running);
    int white = scene::SolidEffector(render, 0xFFFFFFFFu, 0, "White");
    scene::Buffer quad(render, scene::Quad(2.0f, 1.5f, 0xFF00FF00u));
    ASSERT_EQ(S_OK, render->PreRender(ePreRenderClear));
    render->SetEffector(static_cast<unsigned int>(white));
    KrCoords object;
    object.P = KrVector(3.0f, 0.0f, 0.0f);
    render->SetTransform(&object);
    EXPECT_EQ(S_OK, render->DrawPrimitive(scene::kFan, quad.b, sizeof(scene::Vertex), 2));
    std::vector<unsigned int> pixels = scene::FinishFrame(running);
    for (int y = 242; y < 358; y += 7) {
        for (int x = 442; x < 598; x += 7) {
            ASSERT_TRUE(krtest::ColourNear(At(pixels, x, y), 0x00FF00, 2)) << x << "," << y;
        }
    }
    const int outside[][2] = {{437, 300}, {603, 300}, {520, 237}, {520, 363}, {400, 300}};
    for (const auto& p : outside)
        EXPECT_EQ(0u, At(pixels, p[0], p[1])) << p[0] << "," << p[1];
}

TEST(FramePixels, LineIndexedDrawAndAlpha) {
    krtest::RunningDevice running;
    ASSERT_TRUE(running.Start());
    KrRenderBase* render = running.Render();
    scene::PlaceCamera(running);
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
    std::vector<scene::Vertex> corners = scene::Quad(3.0f, 2.0f, 0xFFFFFFFFu);
    corners[1].colour = 0xFFFF0000u;
    corners[3].colour = 0xFF0000FFu;
    scene::Buffer plain(render,
                        {corners[0], corners[1], corners[2], corners[0], corners[2], corners[3]});
    scene::Buffer shared(render, corners);
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
    indices->Release();
    delete indices;

    // Half-transparent white over opaque blue, nearer the camera.
    int blue = scene::SolidEffector(render, 0xFF0000FFu, 0, "Blue");
    int half = scene::SolidEffector(render, 0x80FFFFFFu, kPassAlpha, "HalfWhite");
    scene::Buffer back(render, scene::Quad(4.0f, 3.0f, 0xFFFFFFFFu));
    scene::Buffer front(render, scene::Quad(2.0f, 2.0f, 0xFFFFFFFFu));
    ASSERT_EQ(S_OK, render->PreRender(ePreRenderClear));
    render->SetTransform(nullptr);
    render->SetEffector(static_cast<unsigned int>(blue));
    render->DrawPrimitive(scene::kFan, back.b, sizeof(scene::Vertex), 2);
    KrCoords nearer;
    nearer.P = KrVector(0.0f, 0.0f, -1.0f);
    render->SetTransform(&nearer);
    render->SetEffector(static_cast<unsigned int>(half));
    render->DrawPrimitive(scene::kFan, front.b, sizeof(scene::Vertex), 2);
    std::vector<unsigned int> blend = scene::FinishFrame(running);
    EXPECT_TRUE(krtest::ColourNear(At(blend, 400, 300), 0x8080FF, 4)) << At(blend, 400, 300);
    EXPECT_TRUE(krtest::ColourNear(At(blend, 540, 300), 0x0000FF, 2)) << At(blend, 540, 300);
}

TEST(FrameBindings, TexturesBindOnceAndOutOfRangeFallsBack) {
    krtest::RunningDevice running;
    ASSERT_TRUE(running.Start());
    KrRenderBase* render = running.Render();
    KrTextureMgrBase* textures = render->TextureMgr();
    ASSERT_EQ(1u, textures->GetTexture(KrStringT<char>("Textures\\ui\\blackback.jpg")));
    ASSERT_EQ(0, textures->CreateTexture(8, 8, eResFmtA8R8G8B8, 1));
    const int statics = textures->CachedTextureCount(eTexStatic);
    auto slot = [&](int i, eTextureType t) { return *textures->GetTextureInterface(i, t); };
    struct Row {
        unsigned int index;
        eTextureType type;
        unsigned int stage;
        bool bound;
        void* expected;  // what the stage holds afterwards
        const char* line;
    };
    const Row rows[] = {
        {1, eTexStatic, 0, true, slot(1, eTexStatic), nullptr},
        {1, eTexStatic, 1, false, nullptr, nullptr},  // a repeat, whatever the stage
        {static_cast<unsigned int>(statics), eTexStatic, 0, true, slot(0, eTexStatic), nullptr},
        {0, eTexStatic, 0, false, slot(0, eTexStatic), nullptr},  // the fallback was recorded
        {0, eTexDynamic, 2, true, slot(0, eTexDynamic), nullptr},
        {7, eTexDynamic, 0, true, slot(0, eTexStatic),
         "WARNING: Invalid dynamic texture index 7, setting .noshader instead"},
        {1, static_cast<eTextureType>(3), 0, false, slot(0, eTexStatic),
         "ERROR: KrD3DRenDev::SetTexture(...) was passed an invalid texture type enumeration"},
    };
    for (const Row& row : rows) {
        krtest::ClearLog();
        EXPECT_EQ(row.bound, render->SetTexture(row.index, row.type, row.stage)) << row.index;
        IDirect3DBaseTexture9* held = nullptr;
        running.Direct3DDevice()->GetTexture(row.stage, &held);
        EXPECT_EQ(row.expected, static_cast<void*>(held)) << row.index << " type " << row.type;
        if (held != nullptr)
            held->Release();
        EXPECT_EQ(row.line ? std::vector<std::string>{row.line} : std::vector<std::string>{},
                  krtest::LogLines());
    }
}

TEST(FrameCalls, FailuresOfTheFrameAreItsResult) {
    krtest::D3DRecorder recorder;
    krtest::RunningDevice running(&recorder);
    ASSERT_TRUE(running.Start());
    KrRenderBase* render = running.Render();
    recorder.Clear();
    recorder.FailCall("Clear", D3DERR_INVALIDCALL);
    EXPECT_EQ(D3DERR_INVALIDCALL, render->PreRender(ePreRenderClear));
    EXPECT_EQ(0u, recorder.Count("BeginScene"));
    recorder.Clear();
    ASSERT_EQ(S_OK, render->PreRender(ePreRenderNoClear));
    EXPECT_EQ(0u, recorder.Count("Clear"));
    recorder.FailCall("EndScene", D3DERR_INVALIDCALL);
    EXPECT_EQ(D3DERR_INVALIDCALL, render->EndRender());
    EXPECT_EQ(0u, recorder.Count("Present"));
    running.Direct3DDevice()->EndScene();
    recorder.FailCall("Present", D3DERR_DEVICELOST);
    ASSERT_EQ(S_OK, render->PreRender(ePreRenderClear));
    EXPECT_EQ(D3DERR_DEVICELOST, render->EndRender());
}

unsigned long References(IDirect3DDevice9* device) {
    device->AddRef();
    return device->Release();
}

// The front buffer, as a bitmap of the display mode's size whatever the name says; nothing is
// saved from a failed read; the capture surface goes every time. An empty name must leave the
// device able to shut down (the run's time limit catches a hang there).
TEST(Screenshot, BitmapOfTheModeSizeAndNothingLeftBehind) {
    krtest::D3DRecorder recorder;
    krtest::RunningDevice running(&recorder);
    ASSERT_TRUE(running.Start());
    const std::string picture = running.StartFolder() + "\\shot.jpg";
    const unsigned long references = References(running.Direct3DDevice());
    struct Row {
        const char* failing;
        std::string name;
        bool saved;
    } rows[] = {
        {nullptr, picture, true}, {"GetFrontBufferData", picture, false}, {nullptr, "", false}};
    for (const Row& row : rows) {
        std::remove(picture.c_str());
        recorder.Clear();
        if (row.failing)
            recorder.FailCall(row.failing, D3DERR_INVALIDCALL);
        running.Render()->takeScreenshot(KrStringT<char>(row.name.c_str()));
        EXPECT_EQ(references, References(running.Direct3DDevice())) << row.name;
        std::string bytes = krtest::ReadFile(picture);
        ASSERT_EQ(row.saved, bytes.size() > 54) << row.failing;
        if (!row.saved)
            continue;
        int size[2] = {};
        std::memcpy(size, bytes.data() + 18, 8);
        EXPECT_EQ("BM", bytes.substr(0, 2));
        EXPECT_EQ(1280, size[0]);
        EXPECT_EQ(1024, std::abs(size[1]));
    }
    std::remove(picture.c_str());
}

}  // namespace
