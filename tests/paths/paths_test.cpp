// The nine experimental paths on a real device: the constants and stage states each leaves on the
// device, what a second call builds, where each quad lands on the back buffer, how far the scroll
// path moves its texture, and one tile per path for the contact sheet.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "../frame/frame_fixture.h"
#include "png_writer.h"

namespace {

using frametest::At;

struct Path {
    const char* name;
    float h;
    float nearZ, farZ;  // corners 0 and 1 (bottom), corners 2 and 3 (top)
    unsigned int bufferBytes;
    unsigned long fvf;
    void (*draw)(KrD3DRenDev*);
};

const unsigned long kLit = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_TEX1;
const Path kPaths[9] = {
    {"NuDiffuse", 100, 0, 0, 64, D3DFVF_XYZ | D3DFVF_DIFFUSE,
     [](KrD3DRenDev* r) { r->NuDiffuse(); }},
    {"NuDiffuseTex1", 100, 100, 100, 96, D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1,
     [](KrD3DRenDev* r) { r->NuDiffuseTex1(); }},
    {"NuDiffuseTex1Unlit", 100, 100, -100, 144, kLit,
     [](KrD3DRenDev* r) { r->NuDiffuseTex1Unlit(); }},
    {"NuRealDiffuseTex1Scroll", 100, 200, 200, 144, kLit,
     [](KrD3DRenDev* r) { r->NuRealDiffuseTex1Scroll(100.0f); }},
    {"NuRealDiffuseTex1RotScale", 1000, 300, 300, 144, kLit,
     [](KrD3DRenDev* r) { r->NuRealDiffuseTex1RotScale(); }},
    {"NuRealDiffuseTex2", 100, 400, 400, 176,
     D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_TEX2,
     [](KrD3DRenDev* r) { r->NuRealDiffuseTex2(); }},
    {"NuCheatEnvMapping", 500, 500, 500, 144, kLit, [](KrD3DRenDev* r) { r->NuCheatEnvMapping(); }},
    {"NuAlphaCheck", 500, 900, 900, 144, kLit, [](KrD3DRenDev* r) { r->NuAlphaCheck(); }},
    {"NuBumpMapping", 500, 1300, 1300, 144, kLit, [](KrD3DRenDev* r) { r->NuBumpMapping(); }},
};

struct Constant {
    unsigned int reg;
    float x, y, z, w;
};

// The registers path `i` holds after its n-th call, the camera standing at `eye`.
std::vector<Constant> ExpectedConstants(int i, int n, const KrVector& eye) {
    const Constant light = {12, 0, 0, -1, 0}, blue = {11, 0, 0, 1, 0};
    const Constant camera = {13, eye.x, eye.y, eye.z, 0};
    auto rotation = [](unsigned int first, float a) {
        float c = std::cos(a), s = std::sin(a);
        return std::vector<Constant>{{first, c, s, 0, 0},
                                     {first + 1, -s, c, 0, 0},
                                     {first + 2, 0, 0, 1, 0},
                                     {first + 3, 0, 0, 0, 1}};
    };
    std::vector<Constant> out;
    switch (i) {
        case 3:
            return {light, blue, {10, 0.016f * n, 0.008f * n, 0, 0}};
        case 4:
            out = rotation(8, 0.004f * n);
            out.push_back(light);
            out.push_back({6, 5.5f, 5.5f, 0, 0});
            out.push_back({7, 0.064f * n, 0.008f * n, 0, 0});
            return out;
        case 5:
            return {light, blue, {7, 0, 0.064f * n, 0, 0}};
        case 6:
            out = rotation(4, 0.016f * n);
            out.insert(out.end(), {camera, light, blue, {8, 0.016f * n, 0, 0, 0}});
            return out;
        case 7:
            return {camera, light, blue};
        case 8:
            return {camera, light, {11, 0.5f, 0.5f, 0.5f, 0}};
        default:
            return {};
    }
}

struct StageState {
    DWORD stage;
    D3DTEXTURESTAGESTATETYPE type;
    DWORD value;
};

std::vector<StageState> ExpectedStages(int i) {
    const std::vector<StageState> modulate = {{0, D3DTSS_COLOROP, D3DTOP_MODULATE},
                                              {0, D3DTSS_COLORARG1, D3DTA_TEXTURE},
                                              {0, D3DTSS_COLORARG2, D3DTA_DIFFUSE}};
    std::vector<StageState> out = i == 0 ? std::vector<StageState>() : modulate;
    if (i == 5 || i == 6) {
        out.insert(out.end(), {{0, D3DTSS_ALPHAOP, D3DTOP_DISABLE},
                               {1, D3DTSS_COLOROP, D3DTOP_MODULATE},
                               {1, D3DTSS_COLORARG1, D3DTA_TEXTURE},
                               {1, D3DTSS_COLORARG2, D3DTA_CURRENT},
                               {1, D3DTSS_ALPHAOP, D3DTOP_DISABLE}});
    } else if (i == 7) {  // as the second draw left them
        out = {{0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1}, {0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE},
               {0, D3DTSS_COLOROP, D3DTOP_SELECTARG1}, {0, D3DTSS_COLORARG1, D3DTA_TEXTURE},
               {1, D3DTSS_COLOROP, D3DTOP_DISABLE},    {1, D3DTSS_ALPHAOP, D3DTOP_DISABLE},
               {1, D3DTSS_COLORARG1, D3DTA_TEXTURE},   {1, D3DTSS_COLORARG2, D3DTA_CURRENT}};
    } else if (i == 8) {
        out.insert(out.end(), {{0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1},
                               {0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE},
                               {1, D3DTSS_COLOROP, D3DTOP_BUMPENVMAPLUMINANCE},
                               {1, D3DTSS_COLORARG1, D3DTA_TEXTURE},
                               {1, D3DTSS_COLORARG2, D3DTA_CURRENT},
                               {2, D3DTSS_COLOROP, D3DTOP_ADD},
                               {2, D3DTSS_COLORARG1, D3DTA_TEXTURE},
                               {2, D3DTSS_COLORARG2, D3DTA_CURRENT},
                               {1, D3DTSS_BUMPENVMAT00, krFloatToDWORD(1.0f)},
                               {1, D3DTSS_BUMPENVMAT01, krFloatToDWORD(0.0f)},
                               {1, D3DTSS_BUMPENVMAT10, krFloatToDWORD(0.0f)},
                               {1, D3DTSS_BUMPENVMAT11, krFloatToDWORD(1.0f)},
                               {1, D3DTSS_BUMPENVLSCALE, krFloatToDWORD(0.5f)},
                               {1, D3DTSS_BUMPENVLOFFSET, krFloatToDWORD(0.0f)}});
    }
    return out;
}

// Runs in a process of its own: the animation values count every call since the module loaded.
TEST(PathConstants, EachPathLeavesItsConstantsAndStagesAndBuildsOnce) {
    krtest::D3DRecorder recorder;
    krtest::RunningDevice running(&recorder);
    ASSERT_TRUE(running.Start());
    KrRenderBase* render = running.Render();
    IDirect3DDevice9* device = running.Direct3DDevice();
    const KrVector eye(1.0f, 2.0f, -3.0f);
    running.App().Camera()->GetFrame()->P = eye;
    ASSERT_EQ(S_OK, render->PreRender(ePreRenderClear));
    const int kCalls = 4;
    for (int i = 0; i < 9; ++i) {
        SCOPED_TRACE(kPaths[i].name);
        for (int n = 1; n <= kCalls; ++n) {
            recorder.Clear();
            if (i == 3) {  // the scroll path's argument changes nothing
                running.Device()->NuRealDiffuseTex1Scroll(n % 2 == 0 ? 0.0f : -7.5f);
            } else {
                kPaths[i].draw(running.Device());
            }
            bool first = n == 1;
            std::vector<krtest::RecordedCall> made = recorder.CallsOf("CreateVertexBuffer");
            ASSERT_EQ(first ? 1u : 0u, made.size()) << "call " << n;
            if (first) {  // length, usage, format, pool: static, in system memory
                EXPECT_EQ((std::vector<unsigned long long>{kPaths[i].bufferBytes, 0, kPaths[i].fvf,
                                                           D3DPOOL_SYSTEMMEM}),
                          std::vector<unsigned long long>(made[0].args.begin(),
                                                          made[0].args.begin() + 4));
            }
            EXPECT_EQ(first ? 1u : 0u, recorder.Count("D3DXAssembleShader")) << "call " << n;
            EXPECT_EQ(i == 7 ? 2u : 1u, recorder.Count("DrawPrimitive")) << "call " << n;
            for (const Constant& c : ExpectedConstants(i, n, eye)) {
                float got[4] = {};
                device->GetVertexShaderConstantF(c.reg, got, 1);
                const float want[4] = {c.x, c.y, c.z, c.w};
                for (int k = 0; k < 4; ++k) {
                    EXPECT_NEAR(want[k], got[k], 1e-5f)
                        << "c" << c.reg << "[" << k << "] call " << n;
                }
            }
        }
        for (const StageState& s : ExpectedStages(i)) {
            DWORD got = 0;
            device->GetTextureStageState(s.stage, s.type, &got);
            EXPECT_EQ(s.value, got) << "stage " << s.stage << " state " << s.type;
        }
        if (i == 7) {
            DWORD blending = FALSE;
            device->GetRenderState(D3DRS_ALPHABLENDENABLE, &blending);
            EXPECT_EQ(static_cast<DWORD>(TRUE), blending);
        }
    }
    ASSERT_EQ(S_OK, render->EndRender());
}

// Camera on the z axis, 3h in front of the quad's middle depth, 90 degrees across: a point at
// distance d from the camera lands 400/d pixels per unit from the centre of the 800x600 buffer.
struct View {
    float eyeZ;
    float PixelX(float x, float z) const { return 400.0f + 400.0f * x / (z - eyeZ); }
    float PixelY(float y, float z) const { return 300.0f - 400.0f * y / (z - eyeZ); }
};

View LookAtPath(krtest::RunningDevice& running, const Path& path) {
    View view{0.5f * (path.nearZ + path.farZ) - 3.0f * path.h};
    KrCamera* camera = running.App().Camera();
    camera->FOV() = 90.0f;
    *camera->GetFrame() = KrCoords();
    camera->GetFrame()->P = KrVector(0.0f, 0.0f, view.eyeZ);
    running.Render()->NearZ() = 1.0f;
    running.Render()->FarZ() = 20000.0f;
    return view;
}

std::vector<unsigned int> DrawFrame(krtest::RunningDevice& running, const Path& path) {
    KrRenderBase* render = running.Render();
    EXPECT_EQ(S_OK, render->PreRender(ePreRenderClear));
    // The quads wind counter-clockwise as a camera in front of them sees them.
    render->SetPolyCullMode(eCullNone);
    // What a light would leave in c11: the unlit path scales its colours by its normal (0, 1, 1)
    // dotted with c11, here 0.5. The paths that read c11 otherwise write it first.
    const float light[4] = {1.0f, 0.25f, 0.25f, 0.0f};
    running.Direct3DDevice()->SetVertexShaderConstantF(11, light, 1);
    path.draw(running.Device());
    return frametest::FinishFrame(running);
}

// The corners of the first three paths (top left, top right, bottom left, bottom right): the
// vertex colours white, blue, red and green; with the floor texture, its white marker at the top
// left and bronze (0x806040) elsewhere; the unlit path at half brightness.
const unsigned int kCornerColours[3][4] = {{0xFFFFFF, 0x0000FF, 0xFF0000, 0x00FF00},
                                           {0xFFFFFF, 0x000040, 0x800000, 0x006000},
                                           {0x808080, 0x000020, 0x400000, 0x003000}};

TEST(PathPixels, EachQuadCoversItsProjectedOutline) {
    krtest::RunningDevice running;
    ASSERT_TRUE(running.Start());
    for (const Path& path : kPaths) {
        SCOPED_TRACE(path.name);
        View view = LookAtPath(running, path);
        std::vector<unsigned int> pixels = DrawFrame(running, path);
        // Bottom corners at the near depth, top corners at the far one.
        float left = std::min(view.PixelX(-path.h, path.nearZ), view.PixelX(-path.h, path.farZ));
        float right = std::max(view.PixelX(path.h, path.nearZ), view.PixelX(path.h, path.farZ));
        float top = view.PixelY(path.h, path.farZ), bottom = view.PixelY(-path.h, path.nearZ);
        int minX = 800, maxX = -1, minY = 600, maxY = -1, lit = 0;
        for (int y = 0; y < 600; ++y) {
            for (int x = 0; x < 800; ++x) {
                if (At(pixels, x, y) != 0) {
                    minX = std::min(minX, x), maxX = std::max(maxX, x);
                    minY = std::min(minY, y), maxY = std::max(maxY, y);
                    ++lit;
                }
            }
        }
        EXPECT_NEAR(left, minX, 2.0f);
        EXPECT_NEAR(right, maxX + 1, 2.0f);
        EXPECT_NEAR(top, minY, 2.0f);
        EXPECT_NEAR(bottom, maxY + 1, 2.0f);
        // The outline's area: a trapezoid for the tilted quad.
        float area = 0.5f *
                     ((view.PixelX(path.h, path.farZ) - view.PixelX(-path.h, path.farZ)) +
                      (view.PixelX(path.h, path.nearZ) - view.PixelX(-path.h, path.nearZ))) *
                     (bottom - top);
        EXPECT_GT(lit, 0.3f * area) << "most of the outline is drawn";
        EXPECT_LT(lit, 1.02f * area);
        // The corners, 4 pixels inside.
        const float inX[4] = {4, -4, 4, -4}, inY[4] = {4, 4, -4, -4};
        const float cornerX[4] = {-path.h, path.h, -path.h, path.h};
        const float cornerY[4] = {path.h, path.h, -path.h, -path.h};
        const float cornerZ[4] = {path.farZ, path.farZ, path.nearZ, path.nearZ};
        for (int c = 0; c < 4 && &path - kPaths < 3; ++c) {
            int x = static_cast<int>(view.PixelX(cornerX[c], cornerZ[c]) + inX[c]);
            int y = static_cast<int>(view.PixelY(cornerY[c], cornerZ[c]) + inY[c]);
            EXPECT_TRUE(krtest::ColourNear(At(pixels, x, y), kCornerColours[&path - kPaths][c], 12))
                << "corner " << c << ": " << std::hex << At(pixels, x, y);
        }
    }
}

// Where the brightness along a line of pixels falls most steeply: the edge of the floor texture's
// white marker (the vertex colours change only slowly across the quad).
int SteepestFall(const std::vector<unsigned int>& pixels, int x, int y, int dx, int dy, int steps) {
    auto brightness = [&](int k) {
        unsigned int c = At(pixels, x + k * dx, y + k * dy);
        return static_cast<int>((c >> 16) + ((c >> 8) & 0xFF) + (c & 0xFF));
    };
    int best = 0, bestFall = 0;
    for (int k = 0; k + 1 < steps; ++k) {
        int fall = brightness(k) - brightness(k + 1);
        if (fall > bestFall) {
            bestFall = fall, best = k;
        }
    }
    return best;
}

TEST(PathPixels, ScrollMovesTheTextureByItsStepPerCall) {
    krtest::RunningDevice running;
    ASSERT_TRUE(running.Start());
    const Path& scroll = kPaths[3];
    View view = LookAtPath(running, scroll);
    const float left = view.PixelX(-scroll.h, scroll.nearZ),
                top = view.PixelY(scroll.h, scroll.nearZ);
    const float size = view.PixelX(scroll.h, scroll.nearZ) - left;  // 266.7 pixels
    // Along a row through the marker, and down a column through it, from the quad's left or top.
    const int row = static_cast<int>(top + 0.25f * size),
              column = static_cast<int>(left + 0.1f * size);
    const int span = static_cast<int>(size) - 2;
    std::vector<unsigned int> first = DrawFrame(running, scroll);
    const int kLater = 10;
    std::vector<unsigned int> later;
    for (int k = 0; k < kLater; ++k) {
        later = DrawFrame(running, scroll);
    }
    int shiftX = SteepestFall(first, static_cast<int>(left) + 1, row, 1, 0, span) -
                 SteepestFall(later, static_cast<int>(left) + 1, row, 1, 0, span);
    int shiftY = SteepestFall(first, column, static_cast<int>(top) + 1, 0, 1, span) -
                 SteepestFall(later, column, static_cast<int>(top) + 1, 0, 1, span);
    EXPECT_NEAR(0.016f * kLater * size, shiftX, 2.0f) << "marker edge moves left";
    EXPECT_NEAR(0.008f * kLater * size, shiftY, 2.0f) << "marker edge moves up";
}

// One 160x120 tile per path after its first call, for the contact sheet the next step assembles.
// Runs in a process of its own, so every animated path shows its first step.
TEST(PathTiles, WritesOneTilePerPath) {
    krtest::RunningDevice running;
    ASSERT_TRUE(running.Start());
    std::string folder = running.StartFolder() + "\\path_tiles";
    CreateDirectoryA(folder.c_str(), nullptr);
    for (int i = 0; i < 9; ++i) {
        LookAtPath(running, kPaths[i]);
        std::vector<unsigned int> pixels = DrawFrame(running, kPaths[i]);
        std::vector<uint32_t> tile(160 * 120);
        for (int y = 0; y < 120; ++y) {
            for (int x = 0; x < 160; ++x) {
                unsigned int sum[3] = {};
                for (int k = 0; k < 25; ++k) {
                    unsigned int c = At(pixels, 5 * x + k % 5, 5 * y + k / 5);
                    sum[0] += c >> 16, sum[1] += (c >> 8) & 0xFF, sum[2] += c & 0xFF;
                }
                tile[static_cast<size_t>(y) * 160 + x] =
                    (sum[0] / 25) << 16 | (sum[1] / 25) << 8 | sum[2] / 25;
            }
        }
        std::string file = folder + "\\" + std::to_string(i + 1) + "_" + kPaths[i].name + ".png";
        EXPECT_TRUE(krview::WritePng(file, tile.data(), 160, 120)) << file;
    }
}

}  // namespace
