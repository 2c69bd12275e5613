// The engine's own drawing operations on KrRenderBase: screen quads for sprites and tiles, the
// ground grid, circles and cylinders made of 3-D lines, and the text placeholder. They must reach
// the device only through its virtual operations, and give back every buffer they take.
#include <gtest/gtest.h>

#include <cmath>

#include "kr_test_support.h"
#include "recording_render.h"

using enginetest::Line;
using enginetest::RecordingRender;
using enginetest::ScreenVertex;

namespace {
const unsigned long kTriangleFan = 6;
const unsigned long kScreenFvf = 0x144;  // XYZRHW | DIFFUSE | TEX1

float Distance(const KrVector& a, const KrVector& b) {
    KrVector d = a - b;
    return std::sqrt(d | d);
}

// Every segment starts where the previous one ended, and the last closes the loop.
bool ClosedLoop(const std::vector<Line>& lines, size_t first, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        const Line& next = lines[first + (i + 1) % count];
        if (Distance(lines[first + i].to, next.from) > 1e-3f) {
            return false;
        }
    }
    return true;
}
}  // namespace

TEST(HostDrawing, SpriteIsOneTexturedFanThroughTheScreenEffector) {
    int blocks = krLiveBlocks();
    RecordingRender render;
    KrARGB colour(255, 10, 20, 30);
    EXPECT_TRUE(render.DrawSprite(10, 20, 30, 40, 5, 0.25f, colour, 0, 0, 1, 1, 0));

    EXPECT_EQ(render.calls,
              (std::vector<std::string>{"CreateVertexBuffer", "Populate", "SetEffector",
                                        "SetTexture", "DrawPrimitive", "Release", "DeleteBuffer"}));
    EXPECT_EQ(render.bufferSize, 4 * sizeof(ScreenVertex));
    EXPECT_EQ(render.bufferFvf, kScreenFvf);
    EXPECT_EQ(render.effector, 2u);
    EXPECT_EQ(render.texture, 5u);
    EXPECT_EQ(render.textureType, eTexStatic);
    EXPECT_EQ(render.primitiveType, kTriangleFan);
    EXPECT_EQ(render.primitiveCount, 2);
    EXPECT_EQ(render.stride, sizeof(ScreenVertex));
    EXPECT_EQ(render.liveBuffers, 0);
    EXPECT_EQ(krLiveBlocks(), blocks);

    // Corners clockwise from the top left, on pixel centres, with the sprite's colour and depth.
    ASSERT_EQ(render.vertices.size(), 4u);
    const float expected[4][4] = {
        {9.5f, 19.5f, 0, 0}, {39.5f, 19.5f, 1, 0}, {39.5f, 59.5f, 1, 1}, {9.5f, 59.5f, 0, 1}};
    for (int i = 0; i < 4; ++i) {
        const ScreenVertex& v = render.vertices[static_cast<size_t>(i)];
        EXPECT_NEAR(v.x, expected[i][0], 1e-4f) << "corner " << i;
        EXPECT_NEAR(v.y, expected[i][1], 1e-4f) << "corner " << i;
        EXPECT_EQ(v.u, expected[i][2]);
        EXPECT_EQ(v.v, expected[i][3]);
        EXPECT_EQ(v.z, 0.25f);
        EXPECT_EQ(v.rhw, 1.0f);
        EXPECT_EQ(v.colour, 0xFF0A141Eu);
    }

    // A quarter turn keeps the centre and swaps the extents.
    render.Forget();
    render.DrawSprite(10, 20, 30, 40, 5, 0, colour, 0, 0, 1, 1, 1.5707963f);
    ASSERT_EQ(render.vertices.size(), 4u);
    EXPECT_NEAR(render.vertices[0].x, 44.5f, 1e-3f);
    EXPECT_NEAR(render.vertices[0].y, 24.5f, 1e-3f);
    EXPECT_NEAR(render.vertices[2].x, 4.5f, 1e-3f);
    EXPECT_NEAR(render.vertices[2].y, 54.5f, 1e-3f);

    // A colour tile is the same quad, 32 pixels wide, in its colour and without its own texture.
    render.Forget();
    render.DrawColourTile(64, 32, KrARGB(128, 255, 0, 0));
    ASSERT_EQ(render.vertices.size(), 4u);
    EXPECT_EQ(render.vertices[0].colour, 0x80FF0000u);
    EXPECT_NEAR(render.vertices[2].x - render.vertices[0].x, 32.0f, 1e-4f);
    EXPECT_EQ(render.texture, 0u);
    EXPECT_EQ(render.liveBuffers, 0);
}

TEST(HostDrawing, QuadFailuresDrawNothingAndKeepNoBuffer) {
    int blocks = krLiveBlocks();
    KrARGB white(255, 255, 255, 255);
    RecordingRender render;

    render.failCreate = true;
    EXPECT_FALSE(render.DrawSprite(0, 0, 8, 8, 1, 0, white, 0, 0, 1, 1, 0));
    EXPECT_EQ(render.calls, std::vector<std::string>{"CreateVertexBuffer"});

    render.Forget();
    render.failCreate = false;
    render.failPopulate = true;
    EXPECT_FALSE(render.DrawSprite(0, 0, 8, 8, 1, 0, white, 0, 0, 1, 1, 0));
    EXPECT_EQ(render.calls, (std::vector<std::string>{"CreateVertexBuffer", "Populate", "Release",
                                                      "DeleteBuffer"}));

    render.Forget();
    render.failPopulate = false;
    render.drawResult = static_cast<long>(0x8876086Cul);  // D3DERR_INVALIDCALL
    EXPECT_FALSE(render.DrawSprite(0, 0, 8, 8, 1, 0, white, 0, 0, 1, 1, 0));
    EXPECT_EQ(render.calls.back(), "DeleteBuffer");
    EXPECT_EQ(render.liveBuffers, 0);
    EXPECT_EQ(krLiveBlocks(), blocks);
}

TEST(HostDrawing, GroundGridIsFortyTwoLinesOnTheGround) {
    RecordingRender render;
    render.DrawGroundGrid(KrARGB(255, 1, 2, 3));
    ASSERT_EQ(render.lines.size(), 42u);
    int alongX = 0, alongZ = 0;
    for (const Line& line : render.lines) {
        EXPECT_EQ(line.colour, 0xFF010203u);
        EXPECT_EQ(line.from.y, 0.0f);
        EXPECT_EQ(line.to.y, 0.0f);
        EXPECT_NEAR(Distance(line.from, line.to), 200.0f, 1e-3f);
        alongX += line.from.z == line.to.z;
        alongZ += line.from.x == line.to.x;
    }
    EXPECT_EQ(alongX, 21);
    EXPECT_EQ(alongZ, 21);
}

TEST(HostDrawing, CirclesAndCylindersAreClosedLoopsOfLines) {
    RecordingRender render;
    KrVector centre(1, 2, 3);
    KrPlane tilted;
    tilted.normal = KrVector(1, 1, 0);
    tilted.d = 0;
    render.Draw3DCircle(&centre, &tilted, 5.0f, KrARGB(255, 0, 255, 0));
    ASSERT_EQ(render.lines.size(), 32u);
    EXPECT_TRUE(ClosedLoop(render.lines, 0, 32));
    KrVector normal = tilted.normal * (1.0f / std::sqrt(2.0f));
    for (const Line& line : render.lines) {
        EXPECT_NEAR(Distance(line.from, centre), 5.0f, 1e-3f);
        EXPECT_NEAR((line.from - centre) | normal, 0.0f, 1e-3f);
        EXPECT_EQ(line.colour, 0xFF00FF00u);
    }

    // Without a plane the circle lies flat on the ground; without a centre nothing is drawn.
    render.Forget();
    render.Draw3DCircle(&centre, nullptr, 2.0f, KrARGB());
    ASSERT_EQ(render.lines.size(), 32u);
    for (const Line& line : render.lines) {
        EXPECT_NEAR(line.from.y, 2.0f, 1e-4f);
    }
    render.Forget();
    render.Draw3DCircle(nullptr, nullptr, 2.0f, KrARGB());
    EXPECT_TRUE(render.lines.empty());

    KrVector base(0, 0, 0), top(0, 10, 0);
    render.Draw3DCylinder(&base, &top, 3.0f, 1.0f, KrARGB());
    ASSERT_EQ(render.lines.size(), 68u);
    EXPECT_TRUE(ClosedLoop(render.lines, 0, 32));
    EXPECT_TRUE(ClosedLoop(render.lines, 32, 32));
    EXPECT_NEAR(Distance(render.lines[0].from, base), 3.0f, 1e-3f);
    EXPECT_NEAR(Distance(render.lines[32].from, top), 1.0f, 1e-3f);
    for (size_t i = 64; i < 68; ++i) {
        EXPECT_NEAR(Distance(render.lines[i].from, base), 3.0f, 1e-3f);
        EXPECT_NEAR(Distance(render.lines[i].to, top), 1.0f, 1e-3f);
    }
}

TEST(HostDrawing, TextSaysOnceThatItIsNotDrawn) {
    RecordingRender render;
    krtest::ClearLog();
    KrARGB colour;
    char text[] = "score";
    render.DrawTextA(0, 0, colour, eFontLeft, text);
    render.DrawTextf(0, 0, colour, eFontCentre, text, 1);
    render.DrawTextA(5, 5, colour, eFontLeft, text);
    EXPECT_EQ(
        krtest::LogLines(),
        std::vector<std::string>{"RENDER: Text output is not available yet, text is not drawn"});
    EXPECT_TRUE(render.calls.empty());
}
