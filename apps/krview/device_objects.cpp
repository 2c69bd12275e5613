// Device resources for the scenes, made only through the device's managers.
#include "device_objects.h"

namespace krview {

KrVertexBufferBase* MakeVertexBuffer(KrRenderBase* render, const void* data, unsigned int bytes,
                                     unsigned long fvf) {
    KrVertexBufferBase* buffer = nullptr;
    if (!render->CreateVertexBuffer(&buffer, bytes, fvf, eMemManaged, eUsageStatic)) {
        return nullptr;
    }
    if (!buffer->Populate(0, static_cast<unsigned char*>(const_cast<void*>(data)), bytes)) {
        DropBuffer(buffer);
    }
    return buffer;
}

void DropBuffer(KrVertexBufferBase*& buffer) {
    if (buffer != nullptr) {
        buffer->Release();
        delete buffer;
        buffer = nullptr;
    }
}

void DropBuffer(KrIndexBufferBase*& buffer) {
    if (buffer != nullptr) {
        buffer->Release();
        delete buffer;
        buffer = nullptr;
    }
}

int TexturedEffector(KrRenderBase* render, const char* base, const char* name, unsigned int texture,
                     unsigned int flags) {
    KrEffectorMgr* effectors = render->FXMgr();
    if (effectors == nullptr) {
        return -1;
    }
    KrEffector* copy = effectors->CreateEffector(KrStringT<char>(base));
    if (copy == nullptr) {
        return -1;
    }
    KrRenderPass* pass = copy->GetPass(0);
    if (pass == nullptr) {
        delete copy;
        return -1;
    }
    pass->textureIndex = texture;
    pass->flags = flags;
    KrStringT<char> registered(name);
    return effectors->AddEffector(registered, copy);
}

void RetargetEffector(KrRenderBase* render, int index, unsigned int texture) {
    if (index < 0 || render->FXMgr() == nullptr) {
        return;
    }
    KrEffector** slot = render->FXMgr()->GetEffector(static_cast<unsigned int>(index));
    if (slot != nullptr && *slot != nullptr && (*slot)->GetPass(0) != nullptr) {
        (*slot)->GetPass(0)->textureIndex = texture;
    }
}

unsigned int StaticTexture(KrRenderBase* render, const char* name) {
    return render->TextureMgr() != nullptr ? render->TextureMgr()->GetTexture(KrStringT<char>(name))
                                           : 0;
}

bool SecondStageOff::Create(KrRenderBase* render) {
    const DefaultVertex point = {0.0f, 0.0f, 0.0f, 0xFFFFFFFFu, 0.0f, 0.0f};
    point_ = MakeVertexBuffer(render, &point, sizeof point, kDefaultFvf);
    uint16_t degenerate[3] = {0, 0, 0};
    if (point_ == nullptr ||
        !render->CreateIndexBuffer(&indices_, sizeof degenerate, eIDX16, eMemSystem)) {
        indices_ = nullptr;
        return false;
    }
    // Filled once: a system-memory buffer keeps its indices through resets.
    if (indices_->Populate(reinterpret_cast<unsigned char*>(degenerate), sizeof degenerate, true) ==
        eLockFailed) {
        return false;
    }
    secondStage_ =
        TexturedEffector(render, "ShaderDefault", "krview.second-stage", 0, kPassSecondStage);
    return secondStage_ >= 0;
}

int SecondStageOff::Apply(KrRenderBase* render) {
    if (secondStage_ < 0) {
        return 0;
    }
    render->SetTransform(nullptr);
    render->SetEffector(static_cast<unsigned int>(secondStage_));
    render->DrawPrimitive(kTriangleList, point_, indices_, sizeof(DefaultVertex), 0, 1, 1, 0, 0);
    render->SetEffector(0);  // "ShaderDefault": one stage
    render->DrawPrimitive(kTriangleList, point_, indices_, sizeof(DefaultVertex), 0, 1, 1, 0, 0);
    return 2;
}

void SecondStageOff::Destroy() {
    DropBuffer(point_);
    DropBuffer(indices_);
    secondStage_ = -1;
}

}  // namespace krview
