// Placeholder until the frame code lands (see README status table).
#include "d3d_ren_dev.h"
#include "pending.h"

long KrD3DRenDev::PreRender(ePreRenderClearFlag) {
    KR_PENDING_OPERATION("KrD3DRenDev::PreRender");
    return E_FAIL;
}
long KrD3DRenDev::EndRender() { return E_FAIL; }
void KrD3DRenDev::SetView(KrCoords*) {}
void KrD3DRenDev::SetTransform(KrCoords*) {}
unsigned int KrD3DRenDev::GetWidth() { return 0; }
unsigned int KrD3DRenDev::GetHeight() { return 0; }
float KrD3DRenDev::GetAspectRatio() { return 0.0f; }
float& KrD3DRenDev::NearZ() { return nearZ; }
float& KrD3DRenDev::FarZ() { return farZ; }
bool KrD3DRenDev::SetStream(unsigned int, unsigned long, KrVertexBufferBase*) { return false; }
long KrD3DRenDev::DrawPrimitive(unsigned long, KrVertexBufferBase*, KrIndexBufferBase*, unsigned int,
                                unsigned long, int, int, unsigned int, unsigned int) {
    return E_FAIL;
}
long KrD3DRenDev::DrawPrimitive(unsigned long, KrVertexBufferBase*, unsigned int, int) {
    return E_FAIL;
}
bool KrD3DRenDev::Draw3DLine(KrVector*, KrVector*, KrARGB) { return false; }
bool KrD3DRenDev::SetTexture(unsigned int, eTextureType, unsigned int) { return false; }
bool KrD3DRenDev::SetEffector(unsigned int) { return false; }
void KrD3DRenDev::SetUpPass(KrRenderPass*, int) {}
void KrD3DRenDev::takeScreenshot(const KrStringT<char>&) {}
