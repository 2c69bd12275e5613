// The nine experimental shading paths: fixed quads that try out one lighting or texturing
// technique each. They stand outside the effector system: own buffer, own shader, constants and
// texture-stage states set directly on the Direct3D device, one or two direct draws.
#include <d3dx9.h>

#include "buffers.h"
#include "d3d_ren_dev.h"
#include "path_state.h"

namespace {

enum PathId {
    kDiffuse,
    kDiffuseTex1,
    kDiffuseTex1Unlit,
    kScroll,
    kRotScale,
    kTwoSets,
    kEnvironment,
    kAlphaCheck,
    kBump,
    kPathCount
};

const char* const kFloorTexture = "Media\\Textures\\gothic_floor\\metalbridge06_pent.jpg";

struct PathDefinition {
    ExperimentalQuad quad;
    const char* shaderText;
    const char* textures[3];
};

const KrVector kFacingCamera(0.0f, 0.0f, -1.0f);

const PathDefinition kPaths[kPathCount] = {
    {{100.0f, 0.0f, 0.0f, kFacingCamera, 0, D3DFVF_XYZ | D3DFVF_DIFFUSE},
     "vs_1_1\ndcl_position v0\ndcl_color0 v1\nm4x4 oPos, v0, c0\nmov oD0, v1\n",
     {nullptr, nullptr, nullptr}},
    {{100.0f, 100.0f, 100.0f, kFacingCamera, 0, D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1},
     "vs_1_1\ndcl_position v0\ndcl_color0 v1\ndcl_texcoord0 v8\nm4x4 oPos, v0, c0\nmov oD0, "
     "v1\nmov oT0, v8\n",
     {kFloorTexture, nullptr, nullptr}},
    {{100.0f, 100.0f, -100.0f, KrVector(0.0f, 1.0f, 1.0f), 0,
      D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_TEX1},
     "vs_1_1\ndcl_position v0\ndcl_normal v1\ndcl_color0 v2\ndcl_texcoord0 v8\nm4x4 oPos, v0, "
     "c0\ndp3  r0, v1, c11\nmul  oD0, r0.x, v2\nmov oT0, v8\n",
     {kFloorTexture, nullptr, nullptr}},
    {{100.0f, 200.0f, 200.0f, kFacingCamera, 0,
      D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_TEX1},
     "vs_1_1\ndcl_position v0\ndcl_color0 v1\ndcl_normal v2\ndcl_texcoord0 v3\nm4x4 oPos, v0, "
     "c0\ndp3  r0, v2, c12\nmul  r1, r0, c11\nmul r2, r0, v1\nadd oD0, r1, r2\nadd r3, v3, "
     "c10\nmov  oT0, r3\n",
     {kFloorTexture, nullptr, nullptr}},
    {{1000.0f, 300.0f, 300.0f, kFacingCamera, 0,
      D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_TEX1},
     "vs_1_1\ndcl_position v0\ndcl_color0 v1\ndcl_normal v2\ndcl_texcoord0 v3\nm4x4 oPos, v0, "
     "c0\ndp3  r0, v2, c12\nmul  r1, r0, c11\nmul r2, r0, v1\nadd oD0, r1, r2\nmul r3, v3, "
     "c6\nm4x4 r4, r3, c8\nadd r4, r4, c7\nmov  oT0, r4\n",
     {kFloorTexture, nullptr, nullptr}},
    {{100.0f, 400.0f, 400.0f, kFacingCamera, 0,
      D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_TEX2},
     "vs_1_1\ndcl_position v0\ndcl_color0 v1\ndcl_normal v2\ndcl_texcoord0 v3\ndcl_texcoord1 "
     "v4\nm4x4 oPos, v0, c0\ndp3  r0, v2, c12\nmul  r1, r0, c11\nmul r2, r0, v1\nadd oD0, r1, "
     "r2\nmov  oT0, v3\nadd r3, v4, c7\nmov  oT1, r3\n",
     {kFloorTexture, "C:\\lmap01.tga", nullptr}},
    {{500.0f, 500.0f, 500.0f, kFacingCamera, 0,
      D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_TEX1},
     "vs_1_1\ndcl_position v0\ndcl_color0 v1\ndcl_normal v2\ndcl_texcoord0 v3\nm4x4 oPos, v0, "
     "c0\ndp3  r0, v2, c12\nmul  r1, r0, c11\nmul r2, r0, v1\nadd oD0, r1, r2\nadd r3, v0, "
     "-c13\ndp3 r3.w, r3, r3\nrsq r3.w, r3.w\nmul r3, r3, r3.w\nm4x4 r4, r3, c4\nmov  oT0, "
     "v3\nmov  oT1, r4\n",
     {"Media\\Textures\\base_wall\\bluemetalsupport.jpg",
      "Media\\Textures\\Q3A\\textures\\effects\\envmapblue.jpg", nullptr}},
    {{500.0f, 900.0f, 900.0f, kFacingCamera, 0,
      D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_TEX1},
     "vs_1_1\ndcl_position v0\ndcl_color0 v1\ndcl_normal v2\ndcl_texcoord0 v3\nm4x4 oPos, v0, "
     "c0\ndp3  r0, v2, c12\nmul  r1, r0, c11\nmul r2, r0, v1\nadd oD0, r1, r2\nadd r3, v0, "
     "-c13\ndp3 r3.w, r3, r3\nrsq r3.w, r3.w\nmul r3, r3, r3.w\nmov  oT0, v3\nmov  oT1, r3\n",
     {"Media\\Textures\\ferrow\\bluemetalsupport3.tga",
      "Media\\Textures\\Q3A\\textures\\ferrow\\envmapblue.tga",
      "Media\\Textures\\Q3A\\textures\\ferrow\\lmap.bmp"}},
    {{500.0f, 1300.0f, 1300.0f, kFacingCamera, 0xFF808080u,
      D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_TEX1},
     "vs_1_1\ndcl_position v0\ndcl_color0 v1\ndcl_normal v2\ndcl_texcoord0 v3\nm4x4 oPos, v0, "
     "c0\ndp3  r0, v2, c12\nmul  r1, r0, c11\nmul r2, r0, v1\nadd oD0, r1, r2\nmov  oT0, "
     "v3\nmov  oT1, v3\nmov  oT2, v3\n",
     {"Media\\Textures\\floor.tga", "C:\\normal.jpg", "Media\\Textures\\ferrow\\floor_s.tga"}},
};

ExperimentalPathState g_paths[kPathCount] = {};

const float kLightDirection[4] = {0.0f, 0.0f, -1.0f, 0.0f};
const float kLightColour[4] = {0.0f, 0.0f, 1.0f, 0.0f};

void ReleaseBuffer(ExperimentalPathState& state) {
    if (state.buffer != nullptr) {
        state.buffer->Release();
        delete state.buffer;
    }
    state.buffer = nullptr;
    state.shader = nullptr;
    state.declaration = nullptr;
    state.owner = nullptr;
    state.device = nullptr;
}

// The constant writes of the paths: one register per call, four for a matrix.
void SetConstant(IDirect3DDevice9* device, UINT reg, float x, float y, float z, float w) {
    const float value[4] = {x, y, z, w};
    device->SetVertexShaderConstantF(reg, value, 1);
}

void SetRotationZ(IDirect3DDevice9* device, UINT firstRegister, float angle) {
    D3DXMATRIX rotation;
    krMemset(&rotation, 0, sizeof rotation);
    D3DXMatrixRotationZ(&rotation, angle);
    for (UINT row = 0; row < 4; ++row) {
        device->SetVertexShaderConstantF(firstRegister + row, rotation.m[row], 1);
    }
}

KrVector CameraPosition() {
    KrApplication* app = Engine().App();
    return app != nullptr ? app->Camera()->GetFrame()->P : KrVector();
}

void SetStage(IDirect3DDevice9* device, DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) {
    device->SetTextureStageState(stage, type, value);
}

void ModulateTextureByDiffuse(IDirect3DDevice9* device) {
    SetStage(device, 0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    SetStage(device, 0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    SetStage(device, 0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
}

// Stage 0 modulates the texture by the vertex colour, stage 1 the second texture by that; no
// alpha on either.
void TwoTextureModulate(IDirect3DDevice9* device) {
    ModulateTextureByDiffuse(device);
    SetStage(device, 0, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
    SetStage(device, 1, D3DTSS_COLOROP, D3DTOP_MODULATE);
    SetStage(device, 1, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    SetStage(device, 1, D3DTSS_COLORARG2, D3DTA_CURRENT);
    SetStage(device, 1, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
}

void DrawQuad(IDirect3DDevice9* device) {
    device->DrawPrimitive(D3DPT_TRIANGLEFAN, 0, 2);
}

}  // namespace

void ReleaseExperimentalPaths(const KrD3DRenDev* owner) {
    for (ExperimentalPathState& state : g_paths) {
        if (state.owner == owner) {
            ReleaseBuffer(state);
        }
    }
}

// The preparation every path shares: the quad on first use (or on a new device), the shader
// while it has none, and the texture indexes by file name. False when the quad cannot be made:
// the path then draws and binds nothing.
static bool PreparePath(KrD3DRenDev& render, PathId id, unsigned int textureIndex[3]) {
    const PathDefinition& path = kPaths[id];
    ExperimentalPathState& state = g_paths[id];
    if (state.owner != &render || state.device != render.Device()) {
        ReleaseBuffer(state);
    }
    if (state.buffer == nullptr) {
        unsigned char vertices[4 * 44];
        unsigned int vertexBytes = BuildExperimentalQuad(path.quad, vertices);
        if (!render.CreateVertexBuffer(&state.buffer, 4 * vertexBytes, path.quad.fvf, eMemSystem,
                                       eUsageStatic)) {
            state.buffer = nullptr;
            return false;
        }
        state.buffer->Populate(0, vertices, 4 * vertexBytes);
        state.owner = &render;
        state.device = render.Device();
    }
    if (state.shader == nullptr) {
        KrStringT<char> text(path.shaderText);
        render.CompileShader(text, &state.shader, &state.declaration);
    }
    KrTextureMgrBase* textures = render.TextureMgr();
    for (int i = 0; i < 3; ++i) {
        textureIndex[i] = 0;
        if (path.textures[i] != nullptr && textures != nullptr) {
            textureIndex[i] = textures->GetTexture(KrStringT<char>(path.textures[i]));
        }
    }
    return true;
}

// Stream, shader and declaration of a prepared path, through the device's bind filter.
static void BindPath(IDirect3DDevice9* device, KrBindFilter& bound, PathId id) {
    const ExperimentalPathState& state = g_paths[id];
    bound.SetStreamSource(device, 0, static_cast<KrD3DVertexBuffer*>(state.buffer)->Interface(),
                          VertexStride(kPaths[id].quad.fvf));
    bound.SetVertexShader(device, static_cast<IDirect3DVertexShader9*>(state.shader));
    bound.SetVertexDeclaration(device,
                               static_cast<IDirect3DVertexDeclaration9*>(state.declaration));
}

void KrD3DRenDev::NuDiffuse() {
    unsigned int textures[3];
    if (device == nullptr || !PreparePath(*this, kDiffuse, textures)) {
        return;
    }
    // Draws with whatever textures and stage states the device holds.
    BindPath(device, bound, kDiffuse);
    DrawQuad(device);
}

// The three single-texture paths that differ only in their quad and shader.
static void DrawSingleTexturePath(KrD3DRenDev& render, KrBindFilter& bound, PathId id) {
    IDirect3DDevice9* device = render.Device();
    unsigned int textures[3];
    if (device == nullptr || !PreparePath(render, id, textures)) {
        return;
    }
    BindPath(device, bound, id);
    ModulateTextureByDiffuse(device);
    render.SetTexture(textures[0], eTexStatic, 0);
    DrawQuad(device);
}

void KrD3DRenDev::NuDiffuseTex1() {
    DrawSingleTexturePath(*this, bound, kDiffuseTex1);
}

void KrD3DRenDev::NuDiffuseTex1Unlit() {
    DrawSingleTexturePath(*this, bound, kDiffuseTex1Unlit);
}

void KrD3DRenDev::NuRealDiffuseTex1Scroll(float) {
    // The argument is not used: the scroll advances by fixed steps.
    unsigned int textures[3];
    ExperimentalPathState& state = g_paths[kScroll];
    if (device == nullptr || !PreparePath(*this, kScroll, textures)) {
        return;
    }
    state.u += 0.016f;
    state.v += 0.008f;
    SetConstant(device, 12, 0.0f, 0.0f, -1.0f, 0.0f);
    SetConstant(device, 11, 0.0f, 0.0f, 1.0f, 0.0f);
    SetConstant(device, 10, state.u, state.v, 0.0f, 0.0f);
    BindPath(device, bound, kScroll);
    ModulateTextureByDiffuse(device);
    SetTexture(textures[0], eTexStatic, 0);
    DrawQuad(device);
}

void KrD3DRenDev::NuRealDiffuseTex1RotScale() {
    unsigned int textures[3];
    ExperimentalPathState& state = g_paths[kRotScale];
    if (device == nullptr || !PreparePath(*this, kRotScale, textures)) {
        return;
    }
    state.angle += 0.004f;
    state.u += 0.064f;
    state.v += 0.008f;
    SetConstant(device, 12, 0.0f, 0.0f, -1.0f, 0.0f);
    SetConstant(device, 11, 0.0f, 0.0f, 1.0f, 0.0f);
    SetConstant(device, 6, 5.5f, 5.5f, 0.0f, 0.0f);
    // The rotation rows overwrite c11 with (0, 0, 0, 1) before the draw.
    SetRotationZ(device, 8, state.angle);
    SetConstant(device, 7, state.u, state.v, 0.0f, 0.0f);
    BindPath(device, bound, kRotScale);
    ModulateTextureByDiffuse(device);
    SetTexture(textures[0], eTexStatic, 0);
    DrawQuad(device);
}

void KrD3DRenDev::NuRealDiffuseTex2() {
    unsigned int textures[3];
    ExperimentalPathState& state = g_paths[kTwoSets];
    if (device == nullptr) {
        return;
    }
    // This path advances before it builds its quad.
    state.v += 0.064f;
    if (!PreparePath(*this, kTwoSets, textures)) {
        return;
    }
    SetConstant(device, 12, 0.0f, 0.0f, -1.0f, 0.0f);
    SetConstant(device, 11, 0.0f, 0.0f, 1.0f, 0.0f);
    SetConstant(device, 7, 0.0f, state.v, 0.0f, 0.0f);
    BindPath(device, bound, kTwoSets);
    TwoTextureModulate(device);
    SetTexture(textures[0], eTexStatic, 0);
    SetTexture(textures[1], eTexStatic, 1);
    DrawQuad(device);
}

void KrD3DRenDev::NuCheatEnvMapping() {
    unsigned int textures[3];
    ExperimentalPathState& state = g_paths[kEnvironment];
    if (device == nullptr || !PreparePath(*this, kEnvironment, textures)) {
        return;
    }
    KrVector camera = CameraPosition();
    SetConstant(device, 13, camera.x, camera.y, camera.z, 0.0f);
    SetConstant(device, 12, 0.0f, 0.0f, -1.0f, 0.0f);
    SetConstant(device, 11, 0.0f, 0.0f, 1.0f, 0.0f);
    state.angle += 0.016f;
    SetRotationZ(device, 4, state.angle);
    state.e += 0.016f;
    SetConstant(device, 8, state.e, 0.0f, 0.0f, 0.0f);
    BindPath(device, bound, kEnvironment);
    TwoTextureModulate(device);
    SetTexture(textures[0], eTexStatic, 0);
    SetTexture(textures[1], eTexStatic, 1);
    DrawQuad(device);
}

void KrD3DRenDev::NuAlphaCheck() {
    unsigned int textures[3];
    if (device == nullptr || !PreparePath(*this, kAlphaCheck, textures)) {
        return;
    }
    const unsigned int base = textures[0];
    const unsigned int environment = textures[1];
    const unsigned int lightMap = textures[2];
    KrVector camera = CameraPosition();
    SetConstant(device, 13, camera.x, camera.y, camera.z, 0.0f);
    SetConstant(device, 12, 0.0f, 0.0f, -1.0f, 0.0f);
    SetConstant(device, 11, 0.0f, 0.0f, 1.0f, 0.0f);
    BindPath(device, bound, kAlphaCheck);

    // First draw: the light map modulated by the vertex colour, the environment on top.
    SetStage(device, 0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    SetStage(device, 0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    ModulateTextureByDiffuse(device);
    SetStage(device, 1, D3DTSS_COLOROP, D3DTOP_MODULATE);
    SetStage(device, 1, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    SetStage(device, 1, D3DTSS_COLORARG2, D3DTA_CURRENT);
    SetTexture(lightMap, eTexStatic, 0);
    SetTexture(environment, eTexStatic, 1);
    SetAlpha(true);
    DrawQuad(device);

    // Second draw: the base texture alone, its alpha deciding what shows of the first.
    SetTexture(base, eTexStatic, 0);
    SetStage(device, 0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    SetStage(device, 0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    SetStage(device, 0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    SetStage(device, 0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    SetStage(device, 1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    SetStage(device, 1, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
    DrawQuad(device);
}

void KrD3DRenDev::NuBumpMapping() {
    unsigned int textures[3];
    if (device == nullptr || !PreparePath(*this, kBump, textures)) {
        return;
    }
    KrVector camera = CameraPosition();
    SetConstant(device, 13, camera.x, camera.y, camera.z, 0.0f);
    SetConstant(device, 12, 0.0f, 0.0f, -1.0f, 0.0f);
    SetConstant(device, 11, 0.5f, 0.5f, 0.5f, 0.0f);
    BindPath(device, bound, kBump);
    // This path binds its textures before its stage states.
    SetTexture(textures[0], eTexStatic, 0);
    SetTexture(textures[1], eTexStatic, 1);
    SetTexture(textures[2], eTexStatic, 2);
    ModulateTextureByDiffuse(device);
    SetStage(device, 0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    SetStage(device, 0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    SetStage(device, 1, D3DTSS_COLOROP, D3DTOP_BUMPENVMAPLUMINANCE);
    SetStage(device, 1, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    SetStage(device, 1, D3DTSS_COLORARG2, D3DTA_CURRENT);
    SetStage(device, 2, D3DTSS_COLOROP, D3DTOP_ADD);
    SetStage(device, 2, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    SetStage(device, 2, D3DTSS_COLORARG2, D3DTA_CURRENT);
    SetStage(device, 1, D3DTSS_BUMPENVMAT00, krFloatToDWORD(1.0f));
    SetStage(device, 1, D3DTSS_BUMPENVMAT01, krFloatToDWORD(0.0f));
    SetStage(device, 1, D3DTSS_BUMPENVMAT10, krFloatToDWORD(0.0f));
    SetStage(device, 1, D3DTSS_BUMPENVMAT11, krFloatToDWORD(1.0f));
    SetStage(device, 1, D3DTSS_BUMPENVLSCALE, krFloatToDWORD(0.5f));
    SetStage(device, 1, D3DTSS_BUMPENVLOFFSET, krFloatToDWORD(0.0f));
    DrawQuad(device);
}
