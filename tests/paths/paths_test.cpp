// The nine experimental paths on a real device: where each quad lands, one frame per path for the
// contact sheet, the scroll step, and a path on a new Direct3D device. The frames show each
// path's first call (the animation values count calls for the life of the module), so that test
// runs first.
#include <d3dx9.h>

#include "../frame/scene.h"
#include "device_probe.h"

using scene::At;

struct Path {
    const char* name;
    float h, nearZ, farZ;  // half size; depth of the bottom corners and of the top ones
    void (KrD3DRenDev::*draw)();
};
const Path kPaths[9] = {
    {"NuDiffuse", 100, 0, 0, &KrD3DRenDev::NuDiffuse},
    {"NuDiffuseTex1", 100, 100, 100, &KrD3DRenDev::NuDiffuseTex1},
    {"NuDiffuseTex1Unlit", 100, 100, -100, &KrD3DRenDev::NuDiffuseTex1Unlit},
    {"NuRealDiffuseTex1Scroll", 100, 200, 200, nullptr},  // takes a speed it does not use
    {"NuRealDiffuseTex1RotScale", 1000, 300, 300, &KrD3DRenDev::NuRealDiffuseTex1RotScale},
    {"NuRealDiffuseTex2", 100, 400, 400, &KrD3DRenDev::NuRealDiffuseTex2},
    {"NuCheatEnvMapping", 500, 500, 500, &KrD3DRenDev::NuCheatEnvMapping},
    {"NuAlphaCheck", 500, 900, 900, &KrD3DRenDev::NuAlphaCheck},
    {"NuBumpMapping", 500, 1300, 1300, &KrD3DRenDev::NuBumpMapping}};

// The camera on the z axis, 3h in front of the quad's middle depth, 90 degrees across: a point at
// distance d lands 400/d pixels per unit from the centre.
struct View {
    float eyeZ;
    float X(float x, float z) const { return 400.0f + 400.0f * x / (z - eyeZ); }
    float Y(float y, float z) const { return 300.0f - 400.0f * y / (z - eyeZ); }
};

// One frame of the path seen by its camera; with a name, the back buffer is also saved as a
// bitmap before the present.
std::vector<unsigned int> DrawPath(krtest::RunningDevice& running, const Path& path, View& view,
                                   const std::string& bitmap = "") {
    view.eyeZ = 0.5f * (path.nearZ + path.farZ) - 3.0f * path.h;
    scene::PlaceCamera(running, view.eyeZ, 20000.0f);
    EXPECT_EQ(S_OK, running.Render()->PreRender(ePreRenderClear));
    running.Render()->SetPolyCullMode(eCullNone);  // the quads face away from this camera
    // What a light leaves in c11: the unlit path scales its colours by its normal (0, 1, 1) dotted
    // with it, here 0.5. The other paths that read c11 write it first.
    const float light[4] = {1.0f, 0.25f, 0.25f, 0.0f};
    running.Direct3DDevice()->SetVertexShaderConstantF(11, light, 1);
    path.draw ? (running.Device()->*path.draw)() : running.Device()->NuRealDiffuseTex1Scroll(9.0f);
    IDirect3DSurface9* back = nullptr;
    running.Direct3DDevice()->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back);
    EXPECT_TRUE(bitmap.empty() || D3DXSaveSurfaceToFileA(bitmap.c_str(), D3DXIFF_BMP, back, nullptr,
                                                         nullptr) == D3D_OK);
    back->Release();
    return scene::FinishFrame(running);
}

// Where the brightness along a line of pixels falls most steeply: the edge of the floor texture's
// white marker.
int SteepestFall(const std::vector<unsigned int>& pixels, int x, int y, int dx, int dy, int steps) {
    auto brightness = [&](int k) {
        unsigned int c = At(pixels, x + k * dx, y + k * dy);
        return static_cast<int>((c >> 16) + ((c >> 8) & 0xFF) + (c & 0xFF));
    };
    int best = 0;
    for (int k = 0; k + 1 < steps; ++k) {
        best =
            brightness(k) - brightness(k + 1) > brightness(best) - brightness(best + 1) ? k : best;
    }
    return best;
}

TEST(PathPixels, EachQuadCoversItsOutlineLeavesItsFrameAndScrollSteps) {
    krtest::RunningDevice running;
    ASSERT_TRUE(running.Start());
    const std::string folder = running.StartFolder() + "\\path_tiles\\";
    CreateDirectoryA(folder.c_str(), nullptr);
    std::vector<unsigned int> scrolled;
    for (int i = 0; i < 9; ++i) {
        const Path& path = kPaths[i];
        View v;
        std::vector<unsigned int> pixels =
            DrawPath(running, path, v, folder + std::to_string(i + 1) + "_" + path.name + ".bmp");
        // Lit pixels span the projected outline (symmetric across the middle column).
        int minX = 800, maxX = -1, minY = 600, maxY = -1, lit = 0;
        for (int y = 0; y < 600; ++y) {
            for (int x = 0; x < 800; ++x) {
                if (At(pixels, x, y) != 0) {
                    minX = std::min(minX, x), maxX = std::max(maxX, x);
                    minY = std::min(minY, y), maxY = std::max(maxY, y), ++lit;
                }
            }
        }
        float left = std::min(v.X(-path.h, path.nearZ), v.X(-path.h, path.farZ));
        float top = v.Y(path.h, path.farZ), bottom = v.Y(-path.h, path.nearZ);
        EXPECT_NEAR(left, minX, 2.0f) << path.name;
        EXPECT_NEAR(800.0f - left, maxX + 1, 2.0f) << path.name;
        EXPECT_NEAR(top, minY, 2.0f) << path.name;
        EXPECT_NEAR(bottom, maxY + 1, 2.0f) << path.name;
        EXPECT_GT(lit, (800 - 2 * left) * (bottom - top) / 4) << path.name << ": not just edges";
        if (path.draw == nullptr)
            scrolled = pixels;
    }

    // The scroll path's texture moves by 0.016 of the quad across and 0.008 up per call.
    View v;
    const Path& scroll = kPaths[3];
    std::vector<unsigned int> later;
    for (int k = 0; k < 10; ++k)
        later = DrawPath(running, scroll, v);
    const int left = static_cast<int>(v.X(-scroll.h, scroll.nearZ)) + 1;
    const int top = static_cast<int>(v.Y(scroll.h, scroll.nearZ)) + 1;
    const float size = 2.0f * (400.0f - left);
    const int row = static_cast<int>(top + 0.25f * size),
              column = static_cast<int>(left + 0.1f * size);
    const int span = static_cast<int>(size) - 4;
    EXPECT_NEAR(
        0.16f * size,
        SteepestFall(scrolled, left, row, 1, 0, span) - SteepestFall(later, left, row, 1, 0, span),
        2.0f);
    EXPECT_NEAR(0.08f * size,
                SteepestFall(scrolled, column, top, 0, 1, span) -
                    SteepestFall(later, column, top, 0, 1, span),
                2.0f);
}

// A Reset creates a new Direct3D device for the same device object (the engine's own recovery
// resets the old one instead): a path called then builds its quad again on the new device.
TEST(PathPixels, PathOnANewDeviceBuildsItsQuadThere) {
    krtest::RunningDevice running;
    ASSERT_TRUE(running.Start());
    KrD3DRenDev* render = running.Device();
    IDirect3DDevice9* first = render->Device();
    render->NuDiffuse();
    krtest::RealDevice second;
    ASSERT_TRUE(second.Create());
    KrD3DRenDevProbe(*render).Attach(second.device);
    render->NuDiffuse();
    KrD3DRenDevProbe(*render).Attach(first);
    IDirect3DVertexBuffer9* stream = nullptr;
    UINT offset = 0, stride = 0;
    second.device->GetStreamSource(0, &stream, &offset, &stride);
    ASSERT_NE(nullptr, stream);
    IDirect3DDevice9* owner = nullptr;
    stream->GetDevice(&owner);
    EXPECT_EQ(second.device, owner);
    EXPECT_EQ(16u, stride);  // position and colour
    owner->Release();
    stream->Release();
    // The second device goes first: it ran the first device's shader, which the shader cache
    // answered with, and must not outlive it. The path's quad keeps it until the device's Exit.
    second.Release();
}
