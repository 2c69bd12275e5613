// The shader cache: one assembly per distinct text, failures remembered, and the release at exit.
#include "recording_d3d.h"
#include "shader_device.h"

namespace {
const char kLineText[] = "vs.1.1\ndcl_position v0\ndcl_color0 v1\nm4x4 oPos, v0, c0\nmov oD0, v1\n";
const char kBrokenText[] = "vs.1.1\ndcl_position v0\nfrobnicate oPos, v0\n";
}  // namespace

TEST_F(ShaderDeviceTest, ShaderCacheAssemblesEachTextOnceAndAnswersRepeatsSilently) {
    IDirect3DVertexShader9* first = nullptr;
    IDirect3DVertexDeclaration9* firstDecl = nullptr;
    ASSERT_TRUE(Compile(kLineText, &first, &firstDecl));
    ASSERT_NE(nullptr, first);
    ASSERT_NE(nullptr, firstDecl);
    EXPECT_EQ(1, AssemblerSeam::calls);
    EXPECT_EQ(std::string(kLineText), AssemblerSeam::texts[0]);  // the text, not its terminator

    krtest::ClearLog();
    IDirect3DVertexShader9* again = nullptr;
    IDirect3DVertexDeclaration9* againDecl = nullptr;
    EXPECT_TRUE(Compile(kLineText, &again, &againDecl));
    EXPECT_EQ(first, again);
    EXPECT_EQ(firstDecl, againDecl);
    EXPECT_EQ(1, AssemblerSeam::calls);
    EXPECT_TRUE(krtest::LogLines().empty()) << krtest::Join(krtest::LogLines());

    // Texts that differ only in letter case or white space are texts of their own.
    std::string spaced = std::string(kLineText) + "\n";
    std::string upper = kLineText;
    upper.replace(upper.find("oD0"), 3, "OD0");
    IDirect3DVertexShader9* other = nullptr;
    IDirect3DVertexDeclaration9* otherDecl = nullptr;
    EXPECT_TRUE(Compile(spaced, &other, &otherDecl));
    EXPECT_NE(first, other);
    Compile(upper, &other, &otherDecl);
    EXPECT_EQ(3, AssemblerSeam::calls);
    EXPECT_EQ(3, KrD3DRenDevProbe::SourceCount(*dev));
    ExpectListsInStep();

    // The cache holds the only reference: callers never release what they were handed.
    first->AddRef();
    EXPECT_EQ(1ul, first->Release());
}

TEST_F(ShaderDeviceTest, ShaderCacheRemembersAFailedTextWithANullShader) {
    IDirect3DVertexShader9* untouched = reinterpret_cast<IDirect3DVertexShader9*>(0x1234);
    IDirect3DVertexDeclaration9* declaration = nullptr;
    EXPECT_FALSE(Compile(kBrokenText, &untouched, &declaration));
    // A failed first assembly leaves the caller's shader slot as it was.
    EXPECT_EQ(reinterpret_cast<IDirect3DVertexShader9*>(0x1234), untouched);
    // The declaration is still derived from the text.
    ExpectElements(Elements(declaration), {{0, D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_POSITION, 0}},
                   "broken text");
    std::vector<std::string> lines = krtest::LogLines(true);
    ASSERT_EQ(2u, lines.size()) << krtest::Join(krtest::LogLines());
    EXPECT_EQ(std::string("ERROR: Failed to assemble shader:\n\t") + kBrokenText, lines[0]);
    EXPECT_EQ(0u, lines[1].find("ERROR: Failed - ")) << lines[1];
    // The assembler's own message comes through, naming the bad line.
    EXPECT_NE(std::string::npos, lines[1].find("Line 3: Unexpected input")) << lines[1];
    EXPECT_TRUE(krtest::LogLines(false).empty());

    krtest::ClearLog();
    IDirect3DVertexShader9* shader = reinterpret_cast<IDirect3DVertexShader9*>(0x1234);
    IDirect3DVertexDeclaration9* again = nullptr;
    EXPECT_TRUE(Compile(kBrokenText, &shader, &again));
    EXPECT_EQ(nullptr, shader);
    EXPECT_EQ(declaration, again);
    EXPECT_EQ(1, AssemblerSeam::calls);
    EXPECT_TRUE(krtest::LogLines().empty()) << krtest::Join(krtest::LogLines());
    ExpectListsInStep();
}

TEST_F(ShaderDeviceTest, ShaderCacheRecordsAShaderDirect3DRefuses) {
    // A pixel-shader program assembles, but is no vertex shader.
    const std::string pixelText = "ps.1.1\ntex t0\nmov r0, t0\n";
    IDirect3DVertexShader9* shader = nullptr;
    IDirect3DVertexDeclaration9* declaration = nullptr;
    EXPECT_FALSE(Compile(pixelText, &shader, &declaration));
    EXPECT_EQ(nullptr, shader);
    std::vector<std::string> lines = krtest::LogLines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ("ERROR: Failed to compile shader:\n\t" + pixelText, lines[0]);
    EXPECT_EQ(1u, krtest::LogLines(true).size()) << krtest::Join(lines);

    krtest::ClearLog();
    EXPECT_TRUE(Compile(pixelText, &shader, &declaration));
    EXPECT_EQ(nullptr, shader);
    EXPECT_EQ(1, AssemblerSeam::calls);
    EXPECT_TRUE(krtest::LogLines().empty());

    // Entries after it still get their own shader and declaration.
    IDirect3DVertexShader9* line = nullptr;
    IDirect3DVertexDeclaration9* lineDecl = nullptr;
    EXPECT_TRUE(Compile(kLineText, &line, &lineDecl));
    EXPECT_NE(nullptr, line);
    EXPECT_NE(declaration, lineDecl);
    ExpectListsInStep();
}

TEST_F(ShaderDeviceTest, ShaderCacheWithoutDeviceRecordsNullEntriesAndReleasesQuietlyWhenEmpty) {
    IDirect3DVertexShader9* shader = nullptr;
    IDirect3DVertexDeclaration9* declaration = nullptr;
    KrD3DRenDevProbe::SetDevice(*dev, nullptr);
    EXPECT_FALSE(Compile(kLineText, &shader, &declaration));
    KrD3DRenDevProbe::SetDevice(*dev, real.device);
    EXPECT_EQ(nullptr, shader);
    EXPECT_EQ(nullptr, declaration);
    std::vector<std::string> lines = krtest::LogLines();
    EXPECT_TRUE(
        krtest::ContainsRun(lines, {std::string("ERROR: Failed to compile shader:\n\t") + kLineText,
                                    "ERROR: CreateVertexDeclaration failed"}))
        << krtest::Join(lines);
    ExpectListsInStep();

    // The emptied cache writes its line once; a device whose cache is empty writes nothing.
    krtest::ClearLog();
    KrD3DRenDevProbe::ReleaseShaderCache(*dev);
    EXPECT_EQ(std::vector<std::string>{"Cached shader binaries safely released"},
              krtest::LogLines(true));
    EXPECT_EQ(0, KrD3DRenDevProbe::SourceCount(*dev));
    krtest::ClearLog();
    real.device->AddRef();
    dev->Exit();
    // Exit released its reference once; nothing else was left holding the device.
    EXPECT_EQ(0ul, real.device->Release());
    exited = true;
    std::vector<std::string> exitLines = krtest::LogLines();
    EXPECT_EQ((std::vector<std::string>{"\nRendering device requesting exit",
                                        "Rendering device and resources safely released"}),
              exitLines);
}

TEST_F(ShaderDeviceTest, ShaderCacheKeepsItsListsInStepWhenADeclarationIsRefused) {
    krtest::D3DRecorder recorder;
    // The proxy takes over the device object's reference.
    IDirect3DDevice9* recorded = krtest::WrapDevice(real.device, &recorder);
    KrD3DRenDevProbe::SetDevice(*dev, recorded);
    recorder.FailCall("CreateVertexDeclaration", E_FAIL, 1);

    IDirect3DVertexShader9* shader = nullptr;
    IDirect3DVertexDeclaration9* declaration = reinterpret_cast<IDirect3DVertexDeclaration9*>(1);
    // The shader is made, so the text counts as compiled.
    EXPECT_TRUE(Compile(kLineText, &shader, &declaration));
    EXPECT_NE(nullptr, shader);
    EXPECT_EQ(nullptr, declaration);
    EXPECT_EQ((std::vector<std::string>{"ERROR: CreateVertexDeclaration failed"}),
              krtest::LogLines(true));
    EXPECT_EQ(1u, recorder.Count("CreateVertexDeclaration"));

    // The next text gets its own declaration, at its own index.
    const std::string texturedText = "vs.1.1\ndcl_position v0\ndcl_texcoord0 v1\nmov oPos, v0\n";
    IDirect3DVertexDeclaration9* textured = nullptr;
    EXPECT_TRUE(Compile(texturedText, &shader, &textured));
    ExpectElements(Elements(textured),
                   {{0, D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_POSITION, 0},
                    {12, D3DDECLTYPE_FLOAT2, D3DDECLUSAGE_TEXCOORD, 0}},
                   "after a refused declaration");
    Compile(kLineText, &shader, &declaration);
    EXPECT_EQ(nullptr, declaration);
    EXPECT_EQ(2u, recorder.Count("CreateVertexDeclaration"));
    ExpectListsInStep();

    // The last reference goes through the proxy, so that it goes with the device.
    recorded->AddRef();
    dev->Exit();
    EXPECT_EQ(0ul, recorded->Release());
    exited = true;
}
