// The shader cache, the built-in effectors, effectors and their passes on a running device: texts
// of every kind (hostile ones too) assembled once each, declarations derived from the text, what
// the built-in shaders put on the back buffer, and effector scripts refused.
#include <cmath>
#include <cstdint>

#include <gtest/gtest.h>

#include "device_probe.h"
#include "effectors.h"
#include "running_device.h"

namespace {

using Lines = std::vector<std::string>;

// "offset/type/usage/index" of each element of a declaration, before its end marker.
std::string Elements(void* declaration) {
    D3DVERTEXELEMENT9 elements[MAXD3DDECLLENGTH + 1];
    UINT count = MAXD3DDECLLENGTH + 1;
    if (declaration == nullptr || FAILED(static_cast<IDirect3DVertexDeclaration9*>(declaration)
                                             ->GetDeclaration(elements, &count))) {
        return "none";
    }
    std::string text;
    for (UINT i = 0; i + 1 < count; ++i) {
        text += (i ? " " : "") + std::to_string(elements[i].Offset) + "/" +
                std::to_string(elements[i].Type) + "/" + std::to_string(elements[i].Usage) + "/" +
                std::to_string(elements[i].UsageIndex);
    }
    return text;
}

enum Failure { kNone, kAssembly, kCreation };
struct TextRow {
    std::string text;
    bool compiled;
    Failure failure;
    const char* elements;
};

std::vector<TextRow> TextRows() {
    std::string bytes, padded = "vs.1.1\ndcl_position v0\nmov oPos, v0\n";
    for (int c = 1; c < 256; ++c)
        bytes += static_cast<char>(c);
    while (padded.size() < 65536)
        padded += "; a comment line to make the text long\n";
    return {
        {"vs.1.1\ndcl_position v0\ndcl_color0 v1\nmov oPos, v0\nmov oD0, v1\n", true, kNone,
         "0/2/0/0 12/4/10/0"},
        // Every marker, in vertex-format order whatever the statement order.
        {"vs.1.1\ndcl_texcoord1 v4\ndcl_texcoord0 v3\ndcl_color0 v2\ndcl_normal v1\n"
         "dcl_position v0\nm4x4 oPos, v0, c0\n",
         true, kNone, "0/2/0/0 12/2/3/0 24/4/10/0 28/1/5/0 36/1/5/1"},
        // The pre-transformed position wins over the plain one.
        {"vs.1.1\ndcl_position v1\ndcl_position0 v0\ndcl_color0 v2\nmov oPos, v0\n", true, kNone,
         "0/3/9/0 16/4/10/0"},
        // A marker in a comment counts; markers are case-sensitive.
        {"vs.1.1\n; dcl_color0 from the caller, DCL_NORMAL no marker\ndcl_position v0\nmov oPos, "
         "v0\n",
         true, kNone, "0/2/0/0 12/4/10/0"},
        {"vs.1.1\ndcl_position v0\nfrobnicate oPos, v0\n", false, kAssembly, "0/2/0/0"},
        {"ps.1.1\ntex t0\nmov r0, t0\n", false, kCreation, ""},  // assembles, no vertex shader
        {"", false, kAssembly, ""},
        {bytes, false, kAssembly, ""},
        {std::string("vs.1.1\0dcl_position v0\n", 23), true, kNone, "0/2/0/0"},
        {padded, true, kNone, "0/2/0/0"},
        {"%s%s%n%n\ndcl_position v0", false, kAssembly, "0/2/0/0"},
    };
}

// Every text is assembled once, reported in full when it fails, answered from the cache after
// that with the same shader and declaration, and the cache's lists stay in step.
TEST(ShaderCache, EachTextAssembledOnceAndAnsweredFromTheCache) {
    krtest::D3DRecorder recorder;
    krtest::RunningDevice running(&recorder);
    ASSERT_TRUE(running.Start());
    KrD3DRenDevProbe probe(*running.Device());
    std::vector<TextRow> rows = TextRows();
    std::vector<std::pair<void*, void*>> first;
    for (const TextRow& row : rows) {
        const std::string what = row.text.substr(0, 40);
        const std::string printed = row.text.c_str();  // the log stops at a zero byte
        KrStringT<char> text(row.text.data(), static_cast<int>(row.text.size()));
        void *shader = nullptr, *declaration = nullptr;
        recorder.Clear();
        krtest::ClearLog();
        EXPECT_EQ(row.compiled, running.Device()->CompileShader(text, &shader, &declaration))
            << what;
        EXPECT_EQ(1u, recorder.Count("D3DXAssembleShader")) << what;
        EXPECT_EQ(row.compiled, shader != nullptr) << what;
        EXPECT_EQ(row.elements, Elements(declaration)) << what;
        Lines lines = krtest::LogLines();
        if (row.failure == kAssembly) {
            ASSERT_LE(2u, lines.size()) << what;
            EXPECT_EQ("ERROR: Failed to assemble shader:\n\t" + printed, lines[0]);
            EXPECT_EQ(0u, lines[1].find("ERROR: Failed - ")) << lines[1];
            EXPECT_LT(16u, lines[1].size()) << "the assembler's own message";
        } else if (row.failure == kCreation) {
            ASSERT_LE(1u, lines.size()) << what;
            EXPECT_EQ("ERROR: Failed to compile shader:\n\t" + printed, lines[0]);
        } else {
            EXPECT_EQ(Lines{}, lines) << what;
        }
        first.push_back({shader, declaration});
    }
    // Asked again, after every other text: the same entry, nothing assembled, nothing logged.
    krtest::ClearLog();
    recorder.Clear();
    for (size_t i = 0; i < rows.size(); ++i) {
        KrStringT<char> text(rows[i].text.data(), static_cast<int>(rows[i].text.size()));
        void *shader = nullptr, *declaration = nullptr;
        EXPECT_TRUE(running.Device()->CompileShader(text, &shader, &declaration)) << i;
        EXPECT_EQ(first[i], std::make_pair(shader, declaration)) << "row " << i;
    }
    EXPECT_EQ(0u, recorder.Count("D3DXAssembleShader"));
    EXPECT_EQ(Lines{}, krtest::LogLines());
    EXPECT_EQ(probe.ShaderCount(), probe.SourceCount());
    EXPECT_EQ(probe.ShaderCount(), probe.DeclarationCount());
    EXPECT_EQ(static_cast<int>(rows.size()) + 4, probe.ShaderCount());
}

KrD3DRenderPass* Pass(KrEffectorMgr* fx, unsigned int effector, int pass = 0) {
    return static_cast<KrD3DRenderPass*>((*fx->GetEffector(effector))->GetPass(pass));
}

void SetRegister(IDirect3DDevice9* device, UINT reg, float x, float y, float z, float w) {
    const float value[4] = {x, y, z, w};
    device->SetVertexShaderConstantF(reg, value, 1);
}

// Draws a fan of four vertices of `Vertex` through a built-in pass, colour from the vertices only,
// and returns the back buffer's pixel at (x, y) as 0x00RRGGBB.
template <class Vertex>
unsigned int DrawThrough(IDirect3DDevice9* device, KrD3DRenderPass* pass, const Vertex* quad, int x,
                         int y) {
    device->SetTexture(0, nullptr);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    device->SetVertexDeclaration(pass->declaration);
    device->SetVertexShader(pass->shader);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, D3DCOLOR_XRGB(0x20, 0x40, 0x60), 1.0f, 0);
    device->BeginScene();
    EXPECT_EQ(D3D_OK, device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, quad, sizeof(Vertex)));
    device->EndScene();
    std::vector<unsigned int> pixels;
    int width = 0, height = 0;
    EXPECT_TRUE(krtest::ReadBackBuffer(device, pixels, width, height));
    return pixels[static_cast<size_t>(y * width + x)] & 0xFFFFFFu;
}

TEST(BuiltinEffectors, RegisteredByNameAndTheirShadersDraw) {
    krtest::RunningDevice running;
    ASSERT_TRUE(running.Start());
    KrEffectorMgr* fx = running.Render()->FXMgr();
    const char* names[] = {"ShaderDefault", "Shader3dLine", "Shader2d", "Shader3d"};
    for (unsigned int i = 0; i < 4; ++i) {
        EXPECT_EQ(static_cast<int>(i), fx->GetEffector(KrStringT<char>(names[i])));
        EXPECT_EQ(1, static_cast<KrD3DEffector*>(*fx->GetEffector(i))->PassCount()) << names[i];
        EXPECT_NE(nullptr, Pass(fx, i)->shader) << names[i];
    }
    IDirect3DDevice9* device = running.Direct3DDevice();
    // "Shader3d": a white light at the origin of range 10 falls off linearly with distance,
    // whatever the vertex colour and normal. An orthographic view maps the square, whose corners
    // all lie at the distance under test, to about 20 pixels around the middle.
    struct {
        float distance;
        unsigned int expected;
    } lit[] = {{0.0f, 0xFFFFFF}, {5.0f, 0x808080}, {20.0f, 0x000000}};
    SetRegister(device, 8, 1, 1, 0, 0.5f);
    SetRegister(device, 9, 0, 0, 0, 0);
    SetRegister(device, 10, 10, 0, 0, 0);
    SetRegister(device, 11, 1, 1, 1, 0);
    for (UINT r = 0; r < 4; ++r)
        SetRegister(device, 4 + r, r == 0, r == 1, r == 2, r == 3);
    struct LitVertex {
        float x, y, z, nx, ny, nz;
        D3DCOLOR colour;
        float u, v;
    };
    for (const auto& c : lit) {
        float h = c.distance > 0.0f ? 1.0f : 0.001f;
        float z = std::sqrt(std::fmax(0.0f, c.distance * c.distance - 2.0f * h * h));
        SetRegister(device, 0, 0.025f / h, 0, 0, 0);
        SetRegister(device, 1, 0, 0.025f / h, 0, 0);
        SetRegister(device, 2, 0, 0, 0, 0.5f);
        SetRegister(device, 3, 0, 0, 0, 1);
        LitVertex quad[4] = {{-h, -h, z, 0, 0, -1, 0xFF0000FF, 0, 0},
                             {-h, h, z, 1, 0, 0, 0xFF00FF00, 0, 1},
                             {h, h, z, 0, 1, 0, 0xFFFF0000, 1, 1},
                             {h, -h, z, 0, 0, 1, 0xFF123456, 1, 0}};
        unsigned int got = DrawThrough(device, Pass(fx, 3), quad, 402, 298);
        EXPECT_TRUE(krtest::ColourNear(got, c.expected, 2)) << c.distance << ": " << got;
    }
    // "Shader2d" puts vertices at their own pixels, whatever the camera registers hold.
    for (UINT r = 0; r < 12; ++r)
        SetRegister(device, r, 1.0e6f * (r + 1), -3.5f, 12345.0f, -1);
    struct ScreenVertex {
        float x, y, z, rhw;
        D3DCOLOR colour;
        float u, v;
    } quad[4] = {{99.5f, 199.5f, 0.5f, 1, 0xFFFF0000, 0, 0},
                 {139.5f, 199.5f, 0.5f, 1, 0xFFFF0000, 1, 0},
                 {139.5f, 229.5f, 0.5f, 1, 0xFFFF0000, 1, 1},
                 {99.5f, 229.5f, 0.5f, 1, 0xFFFF0000, 0, 1}};
    const int probes[][3] = {{100, 200, 1}, {139, 229, 1}, {120, 215, 1},
                             {99, 200, 0},  {140, 200, 0}, {100, 230, 0}};
    for (const auto& p : probes) {
        unsigned int got = DrawThrough(device, Pass(fx, 2), quad, p[0], p[1]);
        EXPECT_TRUE(krtest::ColourNear(got, p[2] ? 0xFF0000 : 0x204060, 2)) << p[0] << "," << p[1];
    }
}

TEST(Effectors, PassesShareTheCacheAndCopiesShareShadersButNotPasses) {
    krtest::D3DRecorder recorder;
    krtest::RunningDevice running(&recorder);
    ASSERT_TRUE(running.Start());
    KrEffectorMgr* fx = running.Render()->FXMgr();
    KrStringT<char> colourText("vs.1.1\ndcl_position v0\ndcl_color0 v1\nm4x4 oPos, v0, c0\n");
    KrD3DEffector* effector = static_cast<KrD3DEffector*>(fx->CreateEffector());
    recorder.Clear();
    ASSERT_NE(nullptr, effector->AddPass(colourText));
    effector->GetPass(0)->textureIndex = 7;
    krtest::ClearLog();
    EXPECT_EQ(nullptr, effector->AddPass(KrStringT<char>("vs.1.1\nnot assembly\n")));
    EXPECT_EQ(1, effector->PassCount());
    EXPECT_EQ("ERROR: Failed to add render pass vs.1.1\nnot assembly\n", krtest::LogLines().back());
    effector->AddPass(colourText)->flags = kPassAlpha;
    EXPECT_EQ(2u, recorder.Count("D3DXAssembleShader")) << "each text once";
    void *shader = nullptr, *declaration = nullptr;
    running.Device()->CompileShader(colourText, &shader, &declaration);
    EXPECT_EQ(shader, static_cast<KrD3DRenderPass*>(effector->GetPass(1))->shader);
    krtest::ClearLog();
    EXPECT_EQ(nullptr, effector->GetPass(2));
    EXPECT_EQ(nullptr, effector->GetPass(-1));
    EXPECT_EQ(Lines(2, "ERROR: Requested invalid pass index from effector"), krtest::LogLines());

    // Registered under a name: a copy by that name shares the shaders, not the passes; the same
    // effector again under the same name keeps its first index.
    KrStringT<char> name("Water");
    int index = fx->AddEffector(name, effector);
    EXPECT_EQ(index, fx->AddEffector(name, fx->CreateEffector(name)));
    KrEffector* copy = fx->CreateEffector(name);
    ASSERT_NE(nullptr, copy);
    EXPECT_NE(effector->GetPass(0), copy->GetPass(0));
    EXPECT_EQ(Pass(fx, static_cast<unsigned int>(index), 1)->shader,
              static_cast<KrD3DRenderPass*>(copy->GetPass(1))->shader);
    EXPECT_EQ(7u, copy->GetPass(0)->textureIndex);
    copy->GetPass(0)->textureIndex = 99;
    EXPECT_EQ(7u, effector->GetPass(0)->textureIndex);
    delete copy;
    EXPECT_EQ(index + 1, fx->EffectorCount());

    // Effector scripts are refused, each with its one line, and nothing is registered.
    const std::string binary("\0textures/hidden\n{\n}", 20);
    struct {
        std::string script;
        int representation;
        std::string line;
    } scripts[] = {
        {"", eFXRepQ3A, "ERROR: Empty script sent to KrEffectorMgr::AddEffector(...)"},
        {"textures/metal\n{\n\tmap $lightmap\n}", eFXRepQ3A,
         "*** Q3A Shader script:\n\ttextures/metal\n{\n\tmap $lightmap\n}"},
        {"%s%s%n%n%p", eFXRepQ3A, "*** Q3A Shader script:\n\t%s%s%n%n%p"},
        {binary, eFXRepQ3A, "*** Q3A Shader script:\n\t"},
        {"textures/metal\n{\n}", 0,
         "ERROR: Unknown script format passed to "
         "KrEffectorMgr::AddEffector(...)"},
        {std::string(1 << 20, 'q'), INT32_MIN,
         "ERROR: Unknown script format passed to "
         "KrEffectorMgr::AddEffector(...)"},
    };
    for (const auto& s : scripts) {
        krtest::ClearLog();
        KrStringT<char> script(s.script.data(), static_cast<int>(s.script.size()));
        EXPECT_EQ(-1, fx->AddEffector(name, script, static_cast<eFXRep>(s.representation)));
        EXPECT_EQ(Lines{s.line}, krtest::LogLines()) << s.script.substr(0, 20);
    }
    EXPECT_EQ(index + 1, fx->EffectorCount());
}

}  // namespace
