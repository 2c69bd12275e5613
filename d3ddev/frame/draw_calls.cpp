// The draws: the current effector's pass decides alpha, texture stages, texture, declaration and
// shader; then one Direct3D draw. Everything that can repeat between draws goes through the state
// cache, the texture binding record and the bind filter, so a steady frame sends only what changes.
#include "alpha_states.h"
#include "buffers.h"
#include "d3d_ren_dev.h"
#include "effectors.h"

namespace {
const unsigned long kLineList = D3DPT_LINELIST;
const unsigned int kLineVertexBytes = 16;
const int kLineEffector = 1;  // the built-in "Shader3dLine"

struct LineVertex {
    float x, y, z;
    unsigned int colour;
};

KrD3DEffector* CurrentEffector(KrEffectorMgr* effectors, int index) {
    KrEffector** slot =
        effectors != nullptr ? effectors->GetEffector(static_cast<unsigned int>(index)) : nullptr;
    return slot != nullptr ? static_cast<KrD3DEffector*>(*slot) : nullptr;
}

IDirect3DVertexBuffer9* VerticesOf(KrVertexBufferBase* buffer) {
    return buffer != nullptr ? static_cast<KrD3DVertexBuffer*>(buffer)->Interface() : nullptr;
}
}  // namespace

void KrD3DRenDev::SetUpPass(KrRenderPass* pass, int passIndex) {
    SetAlpha((pass->flags & kPassAlpha) != 0);
    if (pass->flags != 0) {
        for (const TextureStageSetting& setting : kAlphaStageStates) {
            SetTextureStageState(passIndex, setting.type, setting.value);
        }
    }
    SetTexture(pass->textureIndex,
               (pass->flags & kPassDynamicTexture) != 0 ? eTexDynamic : eTexStatic, 0);
}

long KrD3DRenDev::DrawPrimitive(unsigned long type, KrVertexBufferBase* buffer, unsigned int stride,
                                int primitiveCount) {
    if (device == nullptr) {
        return E_FAIL;
    }
    KrD3DEffector* effector = CurrentEffector(FXMgr(), currentEffector);
    if (effector == nullptr) {
        return E_FAIL;
    }
    // A later pass is a fallback: it is drawn only when the earlier ones fail to draw.
    for (int p = 0; p < effector->PassCount(); ++p) {
        KrD3DRenderPass* pass = static_cast<KrD3DRenderPass*>(effector->GetPass(p));
        if (pass == nullptr) {
            continue;
        }
        SetUpPass(pass, p);
        bound.SetVertexDeclaration(device, pass->declaration);
        bound.SetStreamSource(device, 0, VerticesOf(buffer), stride);
        bound.SetVertexShader(device, pass->shader);
        if (SUCCEEDED(device->DrawPrimitive(static_cast<D3DPRIMITIVETYPE>(type), 0,
                                            static_cast<UINT>(primitiveCount)))) {
            return S_OK;
        }
    }
    return E_FAIL;
}

long KrD3DRenDev::DrawPrimitive(unsigned long type, KrVertexBufferBase* buffer,
                                KrIndexBufferBase* indices, unsigned int stride, unsigned long,
                                int vertexCount, int primitiveCount, unsigned int baseVertexIndex,
                                unsigned int startIndex) {
    if (device == nullptr) {
        return E_FAIL;
    }
    device->SetIndices(indices != nullptr ? static_cast<KrD3DIndexBuffer*>(indices)->Interface()
                                          : nullptr);
    KrD3DEffector* effector = CurrentEffector(FXMgr(), currentEffector);
    if (effector == nullptr) {
        return E_FAIL;
    }
    KrD3DRenderPass* pass = nullptr;
    int p = 0;
    for (; p < effector->PassCount() && pass == nullptr; ++p) {
        pass = static_cast<KrD3DRenderPass*>(effector->GetPass(p));
    }
    if (pass == nullptr) {
        return E_FAIL;
    }
    --p;
    SetUpPass(pass, p);
    if ((pass->flags & kPassSecondStage) != 0) {
        SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_MULTIPLYADD);
        SetTextureStageState(1, D3DTSS_COLORARG1, D3DTA_TEXTURE);
        SetTextureStageState(1, D3DTSS_COLORARG2, D3DTA_CURRENT);
    } else {
        SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    }
    if (FAILED(bound.SetVertexDeclaration(device, pass->declaration))) {
        GLog.DebugPrintf("ERROR: SetVertexDeclaration failed");
    }
    if (FAILED(bound.SetStreamSource(device, 0, VerticesOf(buffer), stride))) {
        GLog.DebugPrintf("ERROR: SetStreamSource failed");
    }
    if (FAILED(bound.SetVertexShader(device, pass->shader))) {
        GLog.DebugPrintf("ERROR: SetVertexShader failed");
    }
    HRESULT drawn = device->DrawIndexedPrimitive(
        static_cast<D3DPRIMITIVETYPE>(type), static_cast<INT>(baseVertexIndex), 0,
        static_cast<UINT>(vertexCount), startIndex, static_cast<UINT>(primitiveCount));
    return SUCCEEDED(drawn) ? S_OK : D3DERR_INVALIDCALL;
}

bool KrD3DRenDev::Draw3DLine(KrVector* from, KrVector* to, KrARGB colour) {
    // Fully opaque and fully transparent lines need no blending.
    SetAlpha(colour.a != 0 && colour.a != 255);
    SetTransform(nullptr);
    if (device == nullptr || from == nullptr || to == nullptr || lineBuffer == nullptr) {
        return false;
    }
    SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_DISABLE);
    unsigned int packed = static_cast<unsigned int>(colour.GetDWORD());
    LineVertex vertices[2] = {{from->x, from->y, from->z, packed}, {to->x, to->y, to->z, packed}};
    lineBuffer->Populate(0, reinterpret_cast<unsigned char*>(vertices), sizeof vertices);
    SetEffector(kLineEffector);
    DrawPrimitive(kLineList, lineBuffer, kLineVertexBytes, 1);
    SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    return true;
}
