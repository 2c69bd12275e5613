// The four built-in effectors that let the engine draw before it has loaded effectors of its own,
// and the current-effector query.
//
// Vertex-shader constant registers as the device fills them:
//   c0-c3  transposed view x projection (every frame)     c8   (1, 1, 0, 0.5)
//   c4-c7  transposed world matrix (per object)           c9   light position
//   c10    (light range, 0, 0, 0)                         c11  light colour
//   c12, c13 belong to the experimental paths.
#include "d3d_ren_dev.h"
#include "effectors.h"

namespace {
struct BuiltinEffector {
    const char* name;
    const char* text;
    bool setsTexture;
    unsigned int textureIndex;
    bool setsFlags;
    unsigned int flags;
};

// Registered in this order: the indexes 0 to 3 are relied on by name copies (0-2) and by 3-D
// lines (1). Texture 0 of the static cache is the fallback texture loaded first.
const BuiltinEffector kBuiltinEffectors[] = {
    {"ShaderDefault",
     "vs.1.1\ndcl_position v0\ndcl_color0 v1\ndcl_texcoord0 v8\nm4x4 r0, v0, c4\n"
     "m4x4 oPos, r0, c0\nmov oD0, v1\nmov oT0, v8\n",
     true, 0, false, 0},
    // Lines are given in world space: no world matrix.
    {"Shader3dLine", "vs.1.1\ndcl_position v0\ndcl_color0 v1\nm4x4 oPos, v0, c0\nmov oD0, v1\n",
     false, 0, true, kPassAlpha},
    // Pre-transformed screen vertices: no constant register is read.
    {"Shader2d",
     "vs.1.1\ndcl_position0 v0\ndcl_color0 v1\ndcl_texcoord0 v8\nmov oPos,v0\nmov oD0, v1\n"
     "mov oT0, v8\n",
     true, 0, false, 0},
    // Linear fall-off from the light: (1 - min(distance / range, c8.x)) x light colour.
    {"Shader3d",
     "vs.1.1\ndcl_position v0\ndcl_normal v1\ndcl_color0 v2\ndcl_texcoord0 v8\n"
     "m4x4 r0, v0, c4\nm4x4 r1, r0, c0\nmov oPos, r1\nsub r1.xyz, c9, r0.xyz\n"
     "dp3 r1, r1, r1\nrsq r2, r1\nrcp r2, r2\nrcp r3, c10.x\nmul r4, r2, r3\n"
     "min r5.x, r4.x, c8.x\nsub r5.xyz, c8.x, r5.x\nmul r6.xyz, r5.xyz, c11.xyz\n"
     "mov oD0.xyz, r6.xyz\nmov oD0.w, c8.x\nmov  oT0 , v8\n",
     true, 0, true, 0},
};

const char* const kFallbackTexture = "\\Textures\\noshader.bmp";
}  // namespace

bool KrD3DRenDev::CreateDefaultShaders() {
    // A fallback texture that fails to load is the texture manager's to report; the effectors do
    // not depend on it.
    if (TextureMgr() != nullptr) {
        KrStartPartScope loading(startupProfile, StartPart::FallbackTexture);
        TextureMgr()->Load(Engine().getMediaDir() + KrStringT<char>(kFallbackTexture));
    }
    KrStartPartScope building(startupProfile, StartPart::Shaders);
    KrEffectorMgr* manager = FXMgr();
    if (manager == nullptr) {
        return false;
    }
    for (const BuiltinEffector& builtin : kBuiltinEffectors) {
        KrEffector* effector = manager->CreateEffector();
        if (effector == nullptr) {
            return false;
        }
        KrRenderPass* pass = effector->AddPass(KrStringT<char>(builtin.text));
        if (pass == nullptr) {
            // Never registered, so nobody else will free it.
            delete effector;
            return false;
        }
        if (builtin.setsTexture) {
            pass->textureIndex = builtin.textureIndex;
        }
        if (builtin.setsFlags) {
            pass->flags = builtin.flags;
        }
        KrStringT<char> name(builtin.name);
        manager->AddEffector(name, effector);
    }
    return true;
}

int KrD3DRenDev::GetCurrShader() {
    return currentEffector;
}
