// KrD3DTexture: texel access to one cached Direct3D texture. The manager owns the Direct3D
// texture; an entry only borrows it, so copies (the caches copy entries as they grow) share it.
#include "d3d_texture.h"
#include "log_text.h"

KrD3DTexture::KrD3DTexture() : texture(nullptr) {}

KrD3DTexture::KrD3DTexture(const KrD3DTexture& other)
    : KrTextureBase(other), name(other.name), texture(other.texture) {}

KrD3DTexture& KrD3DTexture::operator=(const KrD3DTexture& other) {
    KrTextureBase::operator=(other);
    name = other.name;
    texture = other.texture;
    return *this;
}

KrD3DTexture::~KrD3DTexture() {}

void* KrD3DTexture::Access(unsigned int level) {
    if (texture == nullptr || locked) {
        return nullptr;
    }
    D3DLOCKED_RECT lockedRect;
    if (FAILED(texture->LockRect(level, &lockedRect, nullptr, 0))) {
        GLog.DebugPrintf("WARNING: Failed to lock texture: %s", LogText(name));
        return nullptr;
    }
    locked = true;
    bits = lockedRect.pBits;
    return bits;
}

void KrD3DTexture::Update(unsigned int level) {
    const char* text = LogText(name);
    if (texture != nullptr && locked) {
        if (FAILED(texture->UnlockRect(level))) {
            GLog.DebugPrintf("WARNING: Failed to unlock texture: %s", text);
        }
    } else {
        GLog.DebugPrintf("WARNING: Update(...) called on NULL texture: %s", text);
    }
    locked = false;
    bits = nullptr;
}
