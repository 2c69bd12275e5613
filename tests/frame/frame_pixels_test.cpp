// What the frame code puts on the back buffer, read back and compared with where the matrices say
// it must land.
#include "frame_fixture.h"

namespace {

using frametest::At;
using frametest::FinishFrame;
using frametest::ProjectAtDepthZero;

const unsigned long kTriangleFan = 6;
const unsigned long kTriangleList = 4;
const unsigned int kGreen = 0x0000FF00u;

TEST(FramePixels, TexturedQuadLandsWhereViewAndWorldPutIt) {
    krtest::RunningDevice running;
    ASSERT_TRUE(running.Start());
    KrRenderBase* render = running.Render();
    frametest::PlaceCamera(running);
    int white = frametest::SolidColourEffector(render, 0xFFFFFFFFu, 0, "WhiteQuad");
    ASSERT_GT(white, 3);
    KrVertexBufferBase* quad =
        frametest::MakeBuffer(render, frametest::Quad(2.0f, 1.5f, 0xFF00FF00u));
    ASSERT_NE(nullptr, quad);

    ASSERT_EQ(S_OK, render->PreRender(ePreRenderClear));
    render->SetEffector(static_cast<unsigned int>(white));
    KrCoords object;
    object.P = KrVector(3.0f, 0.0f, 0.0f);
    render->SetTransform(&object);
    EXPECT_EQ(S_OK,
              render->DrawPrimitive(kTriangleFan, quad, sizeof(frametest::TexturedVertex), 2));
    std::vector<unsigned int> pixels = FinishFrame(running);

    // Corners (1, -1.5) and (5, 1.5) after the world move.
    frametest::Pixel low = ProjectAtDepthZero(1.0f, 1.5f);
    frametest::Pixel high = ProjectAtDepthZero(5.0f, -1.5f);
    for (int y = low.y + 2; y < high.y - 2; y += 7) {
        for (int x = low.x + 2; x < high.x - 2; x += 7) {
            ASSERT_TRUE(krtest::ColourNear(At(pixels, x, y), kGreen, 2))
                << "inside at " << x << "," << y << ": " << std::hex << At(pixels, x, y);
        }
    }
    EXPECT_EQ(0u, At(pixels, low.x - 3, 300));
    EXPECT_EQ(0u, At(pixels, high.x + 3, 300));
    EXPECT_EQ(0u, At(pixels, 520, low.y - 3));
    EXPECT_EQ(0u, At(pixels, 520, high.y + 3));
    frametest::FreeBuffer(quad);
}

TEST(FramePixels, LineCrossesTheViewInItsColour) {
    krtest::RunningDevice running;
    ASSERT_TRUE(running.Start());
    KrRenderBase* render = running.Render();
    frametest::PlaceCamera(running);
    ASSERT_EQ(S_OK, render->PreRender(ePreRenderClear));
    KrVector from(-9.0f, -6.75f, 0.0f), to(9.0f, 6.75f, 0.0f);
    EXPECT_TRUE(render->Draw3DLine(&from, &to, KrARGB(255, 255, 0, 0)));
    EXPECT_EQ(1, render->GetCurrShader());
    std::vector<unsigned int> pixels = FinishFrame(running);
    for (float t = 0.1f; t < 0.95f; t += 0.2f) {
        float x = -9.0f + 18.0f * t;
        float y = -6.75f + 13.5f * t;
        frametest::Pixel p = ProjectAtDepthZero(x, y);
        EXPECT_TRUE(frametest::NearbyHas(pixels, p.x, p.y, 0x00FF0000u)) << "line at t=" << t;
    }
    EXPECT_EQ(0u, At(pixels, 600, 500)) << "off the line stays clear";
}

TEST(FramePixels, IndexedAndPlainDrawsOfOneMeshGiveOneImage) {
    krtest::RunningDevice running;
    ASSERT_TRUE(running.Start());
    KrRenderBase* render = running.Render();
    frametest::PlaceCamera(running);
    std::vector<frametest::TexturedVertex> corners = frametest::Quad(3.0f, 2.0f, 0xFFFFFFFFu);
    corners[1].colour = 0xFFFF0000u;
    corners[3].colour = 0xFF0000FFu;
    std::vector<frametest::TexturedVertex> list = {corners[0], corners[1], corners[2],
                                                   corners[0], corners[2], corners[3]};
    KrVertexBufferBase* plain = frametest::MakeBuffer(render, list);
    KrVertexBufferBase* shared = frametest::MakeBuffer(render, corners);
    KrIndexBufferBase* indices = nullptr;
    ASSERT_TRUE(render->CreateIndexBuffer(&indices, 12, eIDX16, eMemManaged));
    unsigned short order[6] = {0, 1, 2, 0, 2, 3};
    ASSERT_EQ(eLockDiscarded, indices->Populate(reinterpret_cast<unsigned char*>(order), 12, true));

    ASSERT_EQ(S_OK, render->PreRender(ePreRenderClear));
    render->SetEffector(0);  // "ShaderDefault" with the fallback texture
    render->SetTransform(nullptr);
    EXPECT_EQ(S_OK,
              render->DrawPrimitive(kTriangleList, plain, sizeof(frametest::TexturedVertex), 2));
    std::vector<unsigned int> first = FinishFrame(running);

    ASSERT_EQ(S_OK, render->PreRender(ePreRenderClear));
    render->SetEffector(0);
    render->SetTransform(nullptr);
    EXPECT_EQ(S_OK, render->DrawPrimitive(kTriangleList, shared, indices,
                                          sizeof(frametest::TexturedVertex), 0, 4, 2, 0, 0));
    std::vector<unsigned int> second = FinishFrame(running);

    size_t differing = 0, lit = 0;
    for (size_t i = 0; i < first.size(); ++i) {
        differing += (first[i] & 0xFFFFFF) != (second[i] & 0xFFFFFF) ? 1 : 0;
        lit += (first[i] & 0xFFFFFF) != 0 ? 1 : 0;
    }
    EXPECT_EQ(0u, differing);
    // The mesh covers 240 x 160 pixels; the fallback texture's checker leaves part of them black.
    EXPECT_GT(lit, 15000u);
    indices->Release();
    delete indices;
    frametest::FreeBuffer(plain);
    frametest::FreeBuffer(shared);
}

TEST(FramePixels, AlphaPassBlendsOverWhatIsBehind) {
    krtest::RunningDevice running;
    ASSERT_TRUE(running.Start());
    KrRenderBase* render = running.Render();
    frametest::PlaceCamera(running);
    int opaque = frametest::SolidColourEffector(render, 0xFF0000FFu, 0, "BlueBehind");
    int half = frametest::SolidColourEffector(render, 0x80FFFFFFu, kPassAlpha, "HalfWhite");
    ASSERT_GT(opaque, 3);
    ASSERT_GT(half, 3);
    KrVertexBufferBase* back =
        frametest::MakeBuffer(render, frametest::Quad(4.0f, 3.0f, 0xFFFFFFFFu));
    KrVertexBufferBase* front =
        frametest::MakeBuffer(render, frametest::Quad(2.0f, 2.0f, 0xFFFFFFFFu));

    ASSERT_EQ(S_OK, render->PreRender(ePreRenderClear));
    render->SetTransform(nullptr);
    render->SetEffector(static_cast<unsigned int>(opaque));
    render->DrawPrimitive(kTriangleFan, back, sizeof(frametest::TexturedVertex), 2);
    KrCoords nearer;
    nearer.P = KrVector(0.0f, 0.0f, -1.0f);
    render->SetTransform(&nearer);
    render->SetEffector(static_cast<unsigned int>(half));
    render->DrawPrimitive(kTriangleFan, front, sizeof(frametest::TexturedVertex), 2);
    std::vector<unsigned int> pixels = FinishFrame(running);

    EXPECT_TRUE(krtest::ColourNear(At(pixels, 400, 300), 0x008080FFu, 4))
        << std::hex << At(pixels, 400, 300);
    frametest::Pixel behindOnly = ProjectAtDepthZero(3.5f, 0.0f);
    EXPECT_TRUE(krtest::ColourNear(At(pixels, behindOnly.x, behindOnly.y), 0x000000FFu, 2));
    frametest::FreeBuffer(back);
    frametest::FreeBuffer(front);
}

}  // namespace
