// The built-in effectors: registration at indexes 0 to 3, their pass fields and declarations, and
// what their shaders put on screen.
#include <algorithm>
#include <cmath>

#include "shader_device.h"
#include "texture_mgr.h"

namespace {
const char* const kBuiltinNames[] = {"ShaderDefault", "Shader3dLine", "Shader2d", "Shader3d"};

KrD3DRenderPass* OnlyPass(InspectableEffectorMgr* fx, unsigned int index) {
    KrD3DEffector* effector = fx->At(index);
    return effector != nullptr && effector->PassCount() == 1
               ? static_cast<KrD3DRenderPass*>(effector->GetPass(0))
               : nullptr;
}

// The pixel at (x, y) of the back buffer as 0x00RRGGBB.
unsigned int Pixel(const std::vector<unsigned int>& pixels, int width, int x, int y) {
    return pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)] &
           0xFFFFFFu;
}

void SetRegister(IDirect3DDevice9* device, int reg, float x, float y, float z, float w) {
    const float value[4] = {x, y, z, w};
    device->SetVertexShaderConstantF(static_cast<UINT>(reg), value, 1);
}

// Colour straight from the vertices: no texture is bound, so the stage must not read one.
void DiffuseOnly(IDirect3DDevice9* device) {
    device->SetTexture(0, nullptr);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
}

void Bind(IDirect3DDevice9* device, const KrD3DRenderPass* pass) {
    device->SetVertexDeclaration(pass->declaration);
    device->SetVertexShader(pass->shader);
}

struct LitVertex {  // the layout of "Shader3d"
    float x, y, z;
    float nx, ny, nz;
    D3DCOLOR colour;
    float u, v;
};
struct ScreenVertex {  // the layout of "Shader2d"
    float x, y, z, rhw;
    D3DCOLOR colour;
    float u, v;
};
}  // namespace

TEST_F(ShaderDeviceTest, BuiltinEffectorsAreRegisteredWithTheirPassesAndLayouts) {
    EXPECT_EQ(-1, dev->GetCurrShader());
    ASSERT_TRUE(KrD3DRenDevProbe::CreateDefaultShaders(*dev)) << krtest::Join(krtest::LogLines());
    ASSERT_EQ(4, fx->EffectorCount());
    EXPECT_EQ(4, fx->Capacity());
    for (unsigned int i = 0; i < 4; ++i) {
        EXPECT_EQ(1, fx->NameEntries(kBuiltinNames[i])) << kBuiltinNames[i];
        ASSERT_NE(nullptr, OnlyPass(fx, i)) << kBuiltinNames[i];
        EXPECT_NE(nullptr, OnlyPass(fx, i)->shader) << kBuiltinNames[i];
        EXPECT_EQ(0u, OnlyPass(fx, i)->textureIndex) << kBuiltinNames[i];
        EXPECT_EQ(0, OnlyPass(fx, i)->sortOrder) << kBuiltinNames[i];
    }
    EXPECT_EQ(3, fx->GetEffector(KrStringT<char>("Shader3d")));
    EXPECT_EQ(2, fx->GetEffector(KrStringT<char>("Shader2d")));
    EXPECT_EQ(0u, OnlyPass(fx, 0)->flags);
    EXPECT_EQ(static_cast<unsigned int>(kPassAlpha), OnlyPass(fx, 1)->flags);
    EXPECT_EQ(0u, OnlyPass(fx, 2)->flags);
    EXPECT_EQ(0u, OnlyPass(fx, 3)->flags);

    const int kPos = D3DDECLUSAGE_POSITION;
    const int kColour = D3DDECLUSAGE_COLOR;
    const int kTex = D3DDECLUSAGE_TEXCOORD;
    const int kRGBA = D3DDECLTYPE_D3DCOLOR;
    const int kF2 = D3DDECLTYPE_FLOAT2;
    const int kF3 = D3DDECLTYPE_FLOAT3;
    ExpectElements(Elements(OnlyPass(fx, 0)->declaration),
                   {{0, kF3, kPos, 0}, {12, kRGBA, kColour, 0}, {16, kF2, kTex, 0}},
                   "ShaderDefault");
    ExpectElements(Elements(OnlyPass(fx, 1)->declaration),
                   {{0, kF3, kPos, 0}, {12, kRGBA, kColour, 0}}, "Shader3dLine");
    ExpectElements(Elements(OnlyPass(fx, 2)->declaration),
                   {{0, D3DDECLTYPE_FLOAT4, D3DDECLUSAGE_POSITIONT, 0},
                    {16, kRGBA, kColour, 0},
                    {20, kF2, kTex, 0}},
                   "Shader2d");
    ExpectElements(Elements(OnlyPass(fx, 3)->declaration),
                   {{0, kF3, kPos, 0},
                    {12, kF3, D3DDECLUSAGE_NORMAL, 0},
                    {24, kRGBA, kColour, 0},
                    {28, kF2, kTex, 0}},
                   "Shader3d");
    EXPECT_EQ(4, AssemblerSeam::calls);
    EXPECT_TRUE(krtest::LogLines(true).empty()) << krtest::Join(krtest::LogLines());

    // The built-in texts are cache entries: another caller with the same text gets the same shader.
    IDirect3DVertexShader9* shader = nullptr;
    IDirect3DVertexDeclaration9* declaration = nullptr;
    Compile(KrD3DRenDevProbe::Source(*dev, 3), &shader, &declaration);
    EXPECT_EQ(OnlyPass(fx, 3)->shader, shader);
    EXPECT_EQ(4, AssemblerSeam::calls);
    KrD3DRenDevProbe::SetCurrentEffector(*dev, 1);
    EXPECT_EQ(1, dev->GetCurrShader());
}

TEST_F(ShaderDeviceTest, BuiltinEffectorsStopAtTheFirstPassThatCannotBeMade) {
    // The texture manager is present, whatever its fallback texture load gives.
    KrD3DTextureMgr* textures = new KrD3DTextureMgr();
    KrD3DRenDevProbe::SetManagers(*dev, textures, fx);
    AssemblerSeam::refuseContaining = "dcl_color0 v1\nm4x4 oPos, v0, c0\nmov oD0, v1\n";
    EXPECT_FALSE(KrD3DRenDevProbe::CreateDefaultShaders(*dev));
    EXPECT_EQ(1, fx->EffectorCount());
    EXPECT_EQ(1, fx->NameEntries("ShaderDefault"));
    EXPECT_EQ(0, fx->NameEntries("Shader3dLine"));
    EXPECT_EQ(0, fx->NameEntries("Shader2d"));
    EXPECT_EQ(2, AssemblerSeam::calls);
    std::vector<std::string> lines = krtest::LogLines(true);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(0u, lines.back().find("ERROR: Failed to add render pass vs.1.1\ndcl_position v0\n"))
        << krtest::Join(lines);
    // The refused row's effector is destroyed: the fixture's live-block check sees any leftover.
    // Without an effector manager nothing is registered.
    KrD3DRenDevProbe::SetManagers(*dev, textures, nullptr);
    EXPECT_FALSE(KrD3DRenDevProbe::CreateDefaultShaders(*dev));
    KrD3DRenDevProbe::SetManagers(*dev, textures, fx);
}

TEST_F(ShaderDeviceTest, LitShaderFallsOffLinearlyFromTheLight) {
    ASSERT_TRUE(KrD3DRenDevProbe::CreateDefaultShaders(*dev));
    IDirect3DDevice9* device = real.device;
    DiffuseOnly(device);
    Bind(device, OnlyPass(fx, 3));
    // The frame's lighting constants: a white light at the origin with range 10.
    SetRegister(device, 8, 1.0f, 1.0f, 0.0f, 0.5f);
    SetRegister(device, 9, 0.0f, 0.0f, 0.0f, 0.0f);
    SetRegister(device, 10, 10.0f, 0.0f, 0.0f, 0.0f);
    SetRegister(device, 11, 1.0f, 1.0f, 1.0f, 0.0f);
    // World: identity.
    for (int r = 0; r < 4; ++r) {
        SetRegister(device, 4 + r, r == 0 ? 1.0f : 0.0f, r == 1 ? 1.0f : 0.0f, r == 2 ? 1.0f : 0.0f,
                    r == 3 ? 1.0f : 0.0f);
    }
    struct Case {
        float distance;
        unsigned int expected;
    };
    const Case cases[] = {{0.0f, 0xFFFFFF}, {5.0f, 0x808080}, {20.0f, 0x000000}};
    for (const Case& c : cases) {
        // A small square whose four corners all lie at the distance under test, seen head-on by
        // an orthographic view-projection that maps it to about 20 x 20 pixels in the middle.
        float half = c.distance > 0.0f ? 1.0f : 0.001f;
        float z = std::sqrt(std::max(0.0f, c.distance * c.distance - 2.0f * half * half));
        float scale = 0.025f / half;
        SetRegister(device, 0, scale, 0.0f, 0.0f, 0.0f);
        SetRegister(device, 1, 0.0f, scale, 0.0f, 0.0f);
        SetRegister(device, 2, 0.0f, 0.0f, 0.0f, 0.5f);
        SetRegister(device, 3, 0.0f, 0.0f, 0.0f, 1.0f);
        // The vertex colour and normal must not matter.
        LitVertex quad[4] = {{-half, -half, z, 0, 0, -1, 0xFF0000FF, 0, 0},
                             {-half, half, z, 1, 0, 0, 0xFF00FF00, 0, 1},
                             {half, half, z, 0, 1, 0, 0xFFFF0000, 1, 1},
                             {half, -half, z, 0, 0, 1, 0xFF123456, 1, 0}};
        device->Clear(0, nullptr, D3DCLEAR_TARGET, D3DCOLOR_XRGB(0x20, 0x40, 0x60), 1.0f, 0);
        ASSERT_EQ(D3D_OK, device->BeginScene());
        EXPECT_EQ(D3D_OK, device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, quad, sizeof(LitVertex)));
        device->EndScene();
        std::vector<unsigned int> pixels;
        int width = 0;
        int height = 0;
        ASSERT_TRUE(krtest::ReadBackBuffer(device, pixels, width, height));
        for (int dy = -5; dy <= 5; dy += 5) {
            for (int dx = -5; dx <= 5; dx += 5) {
                unsigned int actual = Pixel(pixels, width, width / 2 + dx, height / 2 + dy);
                EXPECT_TRUE(krtest::ColourNear(actual, c.expected, 2))
                    << "distance " << c.distance << " at offset (" << dx << ", " << dy
                    << "): " << std::hex << actual;
            }
        }
    }
    device->SetVertexShader(nullptr);
    device->SetVertexDeclaration(nullptr);
}

TEST_F(ShaderDeviceTest, ScreenShaderPlacesVerticesAtTheirOwnPixels) {
    ASSERT_TRUE(KrD3DRenDevProbe::CreateDefaultShaders(*dev));
    IDirect3DDevice9* device = real.device;
    DiffuseOnly(device);
    // Camera and world registers full of garbage: the screen shader must not read them.
    for (int r = 0; r < 12; ++r) {
        SetRegister(device, r, 1.0e6f * static_cast<float>(r + 1), -3.5f, 12345.0f,
                    -0.001f * static_cast<float>(r));
    }
    Bind(device, OnlyPass(fx, 2));
    // Pixels 100-139 across, 200-229 down: the edges sit half a pixel outside their centres.
    const D3DCOLOR red = D3DCOLOR_XRGB(0xFF, 0x00, 0x00);
    ScreenVertex quad[4] = {{99.5f, 199.5f, 0.5f, 1.0f, red, 0, 0},
                            {139.5f, 199.5f, 0.5f, 1.0f, red, 1, 0},
                            {139.5f, 229.5f, 0.5f, 1.0f, red, 1, 1},
                            {99.5f, 229.5f, 0.5f, 1.0f, red, 0, 1}};
    device->Clear(0, nullptr, D3DCLEAR_TARGET, D3DCOLOR_XRGB(0, 0, 0x40), 1.0f, 0);
    ASSERT_EQ(D3D_OK, device->BeginScene());
    EXPECT_EQ(D3D_OK, device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, quad, sizeof(ScreenVertex)));
    device->EndScene();
    std::vector<unsigned int> pixels;
    int width = 0;
    int height = 0;
    ASSERT_TRUE(krtest::ReadBackBuffer(device, pixels, width, height));
    const int inside[][2] = {{100, 200}, {139, 200}, {100, 229}, {139, 229}, {120, 215}};
    for (const auto& p : inside) {
        EXPECT_TRUE(krtest::ColourNear(Pixel(pixels, width, p[0], p[1]), 0xFF0000, 2))
            << "(" << p[0] << ", " << p[1] << ") " << std::hex << Pixel(pixels, width, p[0], p[1]);
    }
    const int outside[][2] = {{99, 200}, {140, 200}, {100, 199}, {100, 230}, {140, 230}};
    for (const auto& p : outside) {
        EXPECT_TRUE(krtest::ColourNear(Pixel(pixels, width, p[0], p[1]), 0x000040, 2))
            << "(" << p[0] << ", " << p[1] << ") " << std::hex << Pixel(pixels, width, p[0], p[1]);
    }
    device->SetVertexShader(nullptr);
    device->SetVertexDeclaration(nullptr);
}
