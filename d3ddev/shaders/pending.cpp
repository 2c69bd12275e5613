// Placeholder until the shader cache and effectors land (see README status table).
#include "d3d_ren_dev.h"
#include "effectors.h"
#include "pending.h"

bool KrD3DRenDev::CompileShader(KrStringT<char>&, void**, void**) {
    KR_PENDING_OPERATION("KrD3DRenDev::CompileShader");
    return false;
}
bool KrD3DRenDev::CreateVertexDecl(const KrStringT<char>&) { return false; }
void KrD3DRenDev::ReleaseShaderCache() {}
bool KrD3DRenDev::CreateDefaultShaders() {
    KR_PENDING_OPERATION("KrD3DRenDev::CreateDefaultShaders");
    return false;
}
int KrD3DRenDev::GetCurrShader() { return currentEffector; }

KrD3DRenderPass::KrD3DRenderPass() : declaration(nullptr), shader(nullptr) {}
KrD3DRenderPass::KrD3DRenderPass(const KrD3DRenderPass& other) = default;
KrD3DRenderPass& KrD3DRenderPass::operator=(const KrD3DRenderPass& other) = default;
KrD3DRenderPass::~KrD3DRenderPass() {}
void KrD3DRenderPass::Destroy() {}

KrD3DEffector::KrD3DEffector() {}
KrD3DEffector::KrD3DEffector(const KrD3DEffector& other) = default;
KrD3DEffector& KrD3DEffector::operator=(const KrD3DEffector& other) = default;
KrD3DEffector::~KrD3DEffector() {}
void KrD3DEffector::Reset() {}
KrRenderPass* KrD3DEffector::AddPass(const KrStringT<char>&) { return nullptr; }
KrRenderPass* KrD3DEffector::GetPass(int) { return nullptr; }
bool KrD3DEffector::IsProgrammable() { return false; }
bool KrD3DEffector::operator==(const KrD3DEffector&) const { return false; }

KrD3DEffectorMgr::KrD3DEffectorMgr() {}
KrD3DEffectorMgr::~KrD3DEffectorMgr() {}
int KrD3DEffectorMgr::AddEffector(KrStringT<char>&, KrEffector* effector) {
    delete effector;
    return -1;
}
int KrD3DEffectorMgr::AddEffector(KrStringT<char>&, const KrStringT<char>&, eFXRep) { return -1; }
KrEffector* KrD3DEffectorMgr::CreateEffector(const KrStringT<char>&) { return nullptr; }
KrEffector* KrD3DEffectorMgr::CreateEffector() { return nullptr; }
KrD3DEffector* KrD3DEffectorMgr::CloneEffector(int) { return nullptr; }
