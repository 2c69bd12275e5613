// KrD3DRenderPass: one pass of an effector. The shader and declaration belong to the device's
// shader cache, so a pass only forgets them and never releases them.
#include "effectors.h"

namespace {
// What a destroyed pass holds in its texture index and sort order.
const int kNoValue = -1;
}  // namespace

KrD3DRenderPass::KrD3DRenderPass() : declaration(nullptr), shader(nullptr) {}

KrD3DRenderPass::KrD3DRenderPass(const KrD3DRenderPass& other) = default;

KrD3DRenderPass& KrD3DRenderPass::operator=(const KrD3DRenderPass& other) = default;

KrD3DRenderPass::~KrD3DRenderPass() {
    Destroy();
}

void KrD3DRenderPass::Destroy() {
    // The flags stay: only the references to other objects are cut.
    textureIndex = static_cast<unsigned int>(kNoValue);
    sortOrder = kNoValue;
    declaration = nullptr;
    shader = nullptr;
}
