// The shader cache, the built-in effectors, effectors and their passes on a running device: texts
// of every kind (hostile ones too) assembled once each, declarations derived from the text, what
// the built-in shaders put on the back buffer, and effector scripts refused.
#include <cmath>
#include <numeric>
#include <sstream>
#include <tuple>

#include "../frame/scene.h"
#include "device_probe.h"

using Lines = std::vector<std::string>;

// "offset/type/usage/index" of each element of a declaration, before its end marker.
std::string Elements(void* declaration) {
    D3DVERTEXELEMENT9 e[MAXD3DDECLLENGTH + 1];
    UINT count = 0;  // the elements and their end marker
    auto* d = static_cast<IDirect3DVertexDeclaration9*>(declaration);
    EXPECT_TRUE(d != nullptr && SUCCEEDED(d->GetDeclaration(e, &count)));
    std::ostringstream text;
    for (UINT i = 0; i + 1 < count; ++i) {
        text << (i ? " " : "") << e[i].Offset << "/" << int(e[i].Type) << "/" << int(e[i].Usage)
             << "/" << int(e[i].UsageIndex);
    }
    return text.str();
}

struct TextRow {
    std::string text;
    bool compiled;
    const char* failure;  // "assemble" (with the assembler's message) or "compile"
    const char* elements;
};

// Every text is assembled once, reported in full when it fails, answered from the cache after
// that with the same shader and declaration, and the cache's lists stay in step.
TEST(ShaderCache, EachTextAssembledOnceAndEffectorsPassesShareIt) {
    krtest::D3DRecorder recorder;
    krtest::RunningDevice running(&recorder);
    ASSERT_TRUE(running.Start());
    KrD3DRenDevProbe probe(*running.Device());
    std::string bytes(255, '\0'), padded = "vs.1.1\ndcl_position v0\nmov oPos, v0\n; ";
    std::iota(bytes.begin(), bytes.end(), '\1');  // every byte but zero
    padded += std::string(65536, 'x') + "\n";
    const std::vector<TextRow> rows = {
        {"vs.1.1\ndcl_position v0\ndcl_color0 v1\nmov oPos, v0\nmov oD0, v1\n", true, nullptr,
         "0/2/0/0 12/4/10/0"},
        // Every marker, in vertex-format order whatever the statement order.
        {"vs.1.1\ndcl_texcoord1 v4\ndcl_texcoord0 v3\ndcl_color0 v2\ndcl_normal v1\n"
         "dcl_position v0\nm4x4 oPos, v0, c0\n",
         true, nullptr, "0/2/0/0 12/2/3/0 24/4/10/0 28/1/5/0 36/1/5/1"},
        // The pre-transformed position wins over the plain one.
        {"vs.1.1\ndcl_position v1\ndcl_position0 v0\ndcl_color0 v2\nmov oPos, v0\n", true, nullptr,
         "0/3/9/0 16/4/10/0"},
        // A marker in a comment counts; markers are case-sensitive.
        {"vs.1.1\n; dcl_color0 from the caller, DCL_NORMAL no marker\ndcl_position v0\nmov oPos, "
         "v0\n",
         true, nullptr, "0/2/0/0 12/4/10/0"},
        {"vs.1.1\ndcl_position v0\nfrobnicate oPos, v0\n", false, "assemble", "0/2/0/0"},
        {"ps.1.1\ntex t0\nmov r0, t0\n", false, "compile", ""},  // assembles, no vertex shader
        {"", false, "assemble", ""},
        {bytes, false, "assemble", ""},
        {std::string("vs.1.1\0dcl_position v0\n", 23), true, nullptr, "0/2/0/0"},
        {padded, true, nullptr, "0/2/0/0"}};
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
        ASSERT_EQ(row.failure ? *row.failure == 'a' ? 2u : 1u : 0u, lines.size()) << what;
        EXPECT_TRUE(!row.failure || lines[0] == std::string("ERROR: Failed to ") + row.failure +
                                                    " shader:\n\t" + printed);
        EXPECT_TRUE(lines.size() < 2 || lines[1].find("ERROR: Failed - ") == 0) << lines[1];
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
    EXPECT_TRUE(probe.ShaderCount() == probe.SourceCount() &&
                probe.ShaderCount() == probe.DeclarationCount());
    EXPECT_EQ(static_cast<int>(rows.size()) + 4, probe.ShaderCount());

    // An effector's passes come from the same cache.
    KrEffectorMgr* fx = running.Render()->FXMgr();
    KrStringT<char> passText("vs.1.1\ndcl_position v0\ndcl_color0 v1\nm4x4 oPos, v0, c0\n");
    void *shader = nullptr, *declaration = nullptr;
    running.Device()->CompileShader(passText, &shader, &declaration);
    auto* effector = static_cast<KrD3DEffector*>(fx->CreateEffector());
    recorder.Clear();
    effector->AddPass(passText)->textureIndex = 7;
    EXPECT_EQ(nullptr, effector->AddPass(KrStringT<char>("vs.1.1\nnot assembly\n")));
    EXPECT_EQ("ERROR: Failed to add render pass vs.1.1\nnot assembly\n", krtest::LogLines().back());
    EXPECT_EQ(nullptr, effector->GetPass(1));
    EXPECT_EQ("ERROR: Requested invalid pass index from effector", krtest::LogLines().back());
    EXPECT_EQ(1, effector->PassCount());
    EXPECT_EQ(1u, recorder.Count("D3DXAssembleShader")) << "only the new text";

    // Registered under a name: the same effector again keeps its first index; a copy by the name
    // has passes of its own with the same shaders.
    KrStringT<char> name("Water");
    int index = fx->AddEffector(name, effector);
    EXPECT_EQ(index, fx->AddEffector(name, fx->CreateEffector(name)));
    KrEffector* copy = fx->CreateEffector(name);
    EXPECT_NE(effector->GetPass(0), copy->GetPass(0));
    EXPECT_EQ(shader, static_cast<KrD3DRenderPass*>(copy->GetPass(0))->shader);
    EXPECT_EQ(7u, copy->GetPass(0)->textureIndex);
    delete copy;

    // Effector scripts are refused, each with its one line, and nothing is registered.
    const char* unknown = "ERROR: Unknown script format passed to KrEffectorMgr::AddEffector(...)";
    // Script, representation, its one line.
    const std::vector<std::tuple<std::string, int, std::string>> scripts = {
        {"", eFXRepQ3A, "ERROR: Empty script sent to KrEffectorMgr::AddEffector(...)"},
        {"textures/metal\n{\n\tmap $lightmap\n}%s%n", eFXRepQ3A,
         "*** Q3A Shader script:\n\ttextures/metal\n{\n\tmap $lightmap\n}%s%n"},
        {std::string("\0textures/hidden\n{\n}", 20), eFXRepQ3A, "*** Q3A Shader script:\n\t"},
        {"textures/metal\n{\n}", 0, unknown},
        {std::string(1 << 20, 'q'), -1, unknown}};
    for (const auto& [text, representation, line] : scripts) {
        krtest::ClearLog();
        KrStringT<char> script(text.data(), static_cast<int>(text.size()));
        EXPECT_EQ(-1, fx->AddEffector(name, script, static_cast<eFXRep>(representation)));
        EXPECT_EQ(Lines{line}, krtest::LogLines()) << text.substr(0, 20);
    }
    EXPECT_EQ(index + 1, fx->EffectorCount());
}

TEST(BuiltinEffectors, RegisteredByNameAndTheirShadersDraw) {
    krtest::RunningDevice running;
    ASSERT_TRUE(running.Start());
    KrRenderBase* render = running.Render();
    KrEffectorMgr* fx = render->FXMgr();
    const char* names[] = {"ShaderDefault", "Shader3dLine", "Shader2d", "Shader3d"};
    for (unsigned int i = 0; i < 4; ++i) {
        EXPECT_EQ(static_cast<int>(i), fx->GetEffector(KrStringT<char>(names[i])));
        EXPECT_EQ(1, static_cast<KrD3DEffector*>(*fx->GetEffector(i))->PassCount()) << names[i];
        EXPECT_NE(nullptr, static_cast<KrD3DRenderPass*>((*fx->GetEffector(i))->GetPass(0))->shader)
            << names[i];
    }
    // "Shader3d" under a white texture: a light of range 10 at (0, 0, -z) lights the square, whose
    // corners all lie sqrt(0.125 + z^2) from it, by 1 - distance / range, whatever the vertex
    // colours and normals.
    scene::PlaceCamera(running);
    int lit = scene::SolidEffector(render, 0xFFFFFFFFu, 0, "Lit", "Shader3d");
    struct LitVertex {
        float x, y, z, nx, ny, nz;
        D3DCOLOR colour;
        float u, v;
    };
    scene::Buffer square(render,
                         std::vector<LitVertex>{{-0.25f, -0.25f, 0, 0, 0, -1, 0xFF0000FF, 0, 1},
                                                {-0.25f, 0.25f, 0, 1, 0, 0, 0xFF00FF00, 0, 0},
                                                {0.25f, 0.25f, 0, 0, 1, 0, 0xFFFF0000, 1, 0},
                                                {0.25f, -0.25f, 0, 0, 0, 1, 0xFF123456, 1, 1}},
                         D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_TEX1);
    for (float z : {0.0f, 5.0f, 20.0f}) {
        running.App().Lights()->RemoveAll();
        running.App().Lights()->AddLight(KrVector(0.0f, 0.0f, -z), 10.0f);
        scene::Draw(render, lit, nullptr, square);
        std::vector<unsigned int> pixels = scene::FinishFrame(running);
        auto grey = static_cast<unsigned int>(
            255.0f * std::fmax(0.0f, 1.0f - std::sqrt(0.125f + z * z) / 10.0f) + 0.5f);
        EXPECT_TRUE(krtest::ColourNear(scene::At(pixels, 400, 300), grey * 0x010101u, 3))
            << z << ": " << std::hex << scene::At(pixels, 400, 300);
    }
    // "Shader2d" puts vertices at their own pixels (100 to 139 across, 200 to 229 down), whatever
    // the camera registers hold.
    int flat = scene::SolidEffector(render, 0xFFFFFFFFu, 0, "Flat", "Shader2d");
    struct ScreenVertex {
        float x, y, z, rhw;
        D3DCOLOR colour;
        float u, v;
    };
    scene::Buffer box(render,
                      std::vector<ScreenVertex>{{99.5f, 199.5f, 0.5f, 1, 0xFFFF0000, 0, 0},
                                                {139.5f, 199.5f, 0.5f, 1, 0xFFFF0000, 1, 0},
                                                {139.5f, 229.5f, 0.5f, 1, 0xFFFF0000, 1, 1},
                                                {99.5f, 229.5f, 0.5f, 1, 0xFFFF0000, 0, 1}},
                      D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1);
    ASSERT_EQ(S_OK, render->PreRender(ePreRenderClear));
    for (UINT r = 0; r < 12; ++r) {
        const float garbage[4] = {1.0e6f * (r + 1), -3.5f, 12345.0f, -1.0f};
        running.Direct3DDevice()->SetVertexShaderConstantF(r, garbage, 1);
    }
    scene::Draw(render, flat, nullptr, box, false);
    std::vector<unsigned int> pixels = scene::FinishFrame(running);
    const int probes[][3] = {{100, 200, 1}, {139, 229, 1}, {120, 215, 1},
                             {99, 200, 0},  {140, 200, 0}, {100, 230, 0}};
    for (const auto& p : probes) {
        EXPECT_EQ(p[2] ? 0xFF0000u : 0u, scene::At(pixels, p[0], p[1])) << p[0] << "," << p[1];
    }
}
