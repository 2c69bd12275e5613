// KrD3DEffector: an ordered list of render passes, each compiled through the rendering device's
// shader cache.
#include "effectors.h"

KrD3DEffector::KrD3DEffector() {}

// Copies share the shaders and declarations of the source: both belong to the shader cache.
KrD3DEffector::KrD3DEffector(const KrD3DEffector& other) = default;

KrD3DEffector& KrD3DEffector::operator=(const KrD3DEffector& other) = default;

KrD3DEffector::~KrD3DEffector() {}

void KrD3DEffector::Reset() {
    for (int i = 0; i < passes.Count(); ++i) {
        passes[i].Destroy();
    }
    passes.Clear();
}

KrRenderPass* KrD3DEffector::AddPass(const KrStringT<char>& shaderText) {
    KrD3DRenderPass pass;
    KrStringT<char> text(shaderText);
    KrRenderBase* render = Engine().Render();
    bool compiled =
        render != nullptr && render->CompileShader(text, reinterpret_cast<void**>(&pass.shader),
                                                   reinterpret_cast<void**>(&pass.declaration));
    if (!compiled) {
        GLog.DebugPrintf("ERROR: Failed to add render pass %s",
                         text.Text() != nullptr ? text.Text() : "");
        return nullptr;
    }
    int index = passes.Add(pass);
    return &passes[index];
}

KrRenderPass* KrD3DEffector::GetPass(int index) {
    if (index < 0 || index >= passes.Count()) {
        GLog.DebugPrintf("ERROR: Requested invalid pass index from effector");
        return nullptr;
    }
    return &passes[index];
}

bool KrD3DEffector::IsProgrammable() {
    for (int i = 0; i < passes.Count(); ++i) {
        if (passes[i].shader != nullptr) {
            return true;
        }
    }
    return false;
}

bool KrD3DEffector::operator==(const KrD3DEffector& other) const {
    for (int i = 0; i < passes.Count(); ++i) {
        // An effector with a pass the other lacks is a different effector. (The other way round,
        // a shorter effector whose passes all match is equal: only this effector's passes are
        // compared.)
        if (i >= other.passes.Count()) {
            return false;
        }
        if (!(passes[i] == other.passes[i])) {
            return false;
        }
    }
    return KrEffector::operator==(other);
}
