// Placeholder until the buffers, textures and texture manager land (see README status table).
#include "buffers.h"
#include "d3d_ren_dev.h"
#include "pending.h"
#include "texture_mgr.h"

bool KrD3DRenDev::CreateVertexBuffer(KrVertexBufferBase**, unsigned int, unsigned long, eMemPool,
                                     eResUsage) {
    KR_PENDING_OPERATION("KrD3DRenDev::CreateVertexBuffer");
    return false;
}
bool KrD3DRenDev::CreateIndexBuffer(KrIndexBufferBase**, unsigned int, eIDXFormat, eMemPool) {
    KR_PENDING_OPERATION("KrD3DRenDev::CreateIndexBuffer");
    return false;
}

KrD3DTexture::KrD3DTexture() : texture(nullptr) {}
KrD3DTexture::KrD3DTexture(const KrD3DTexture& other) = default;
KrD3DTexture& KrD3DTexture::operator=(const KrD3DTexture& other) = default;
KrD3DTexture::~KrD3DTexture() {}
void* KrD3DTexture::Access(unsigned int) { return nullptr; }
void KrD3DTexture::Update(unsigned int) {}

KrD3DTextureMgr::KrD3DTextureMgr() {}
KrD3DTextureMgr::KrD3DTextureMgr(const KrD3DTextureMgr& other) = default;
KrD3DTextureMgr& KrD3DTextureMgr::operator=(const KrD3DTextureMgr& other) = default;
KrD3DTextureMgr::~KrD3DTextureMgr() {}
int KrD3DTextureMgr::CachedTextureCount(eTextureType) { return -1; }
void KrD3DTextureMgr::UnloadCache(eTextureType) {}
void KrD3DTextureMgr::ReloadStatics() {}
void KrD3DTextureMgr::UnlinkDynamics() {}
unsigned int KrD3DTextureMgr::Load(KrStringT<char>) {
    KR_PENDING_OPERATION("KrD3DTextureMgr::Load");
    return 0;
}
int KrD3DTextureMgr::CreateTexture(unsigned int, unsigned int, eResFormat, unsigned int) {
    return -1;
}
KrTextureBase* KrD3DTextureMgr::GetTexture(int) { return nullptr; }
unsigned int KrD3DTextureMgr::GetTexture(const KrStringT<char>&) { return 0; }
KrTextureBase* KrD3DTextureMgr::GetDynamic(unsigned int) { return nullptr; }
bool KrD3DTextureMgr::GetDynamic(unsigned int, int& index) {
    index = -1;
    return false;
}
void** KrD3DTextureMgr::GetTextureInterface(int, eTextureType) { return nullptr; }

unsigned int VertexStride(unsigned long) { return 0; }
KrD3DVertexBuffer::KrD3DVertexBuffer() : buffer(nullptr) {}
KrD3DVertexBuffer::KrD3DVertexBuffer(const KrD3DVertexBuffer& other) = default;
KrD3DVertexBuffer& KrD3DVertexBuffer::operator=(const KrD3DVertexBuffer& other) = default;
KrD3DVertexBuffer::~KrD3DVertexBuffer() {}
bool KrD3DVertexBuffer::Populate(unsigned int, unsigned char*, unsigned int) { return false; }
void KrD3DVertexBuffer::Release() {}
bool KrD3DVertexBuffer::Access(unsigned int, unsigned int, unsigned char**, unsigned long) {
    return false;
}
void KrD3DVertexBuffer::Update() {}
KrD3DIndexBuffer::KrD3DIndexBuffer() : buffer(nullptr) {}
KrD3DIndexBuffer::KrD3DIndexBuffer(const KrD3DIndexBuffer& other) = default;
KrD3DIndexBuffer& KrD3DIndexBuffer::operator=(const KrD3DIndexBuffer& other) = default;
KrD3DIndexBuffer::~KrD3DIndexBuffer() {}
eLockResult KrD3DIndexBuffer::Populate(unsigned char*, unsigned int, bool) { return eLockFailed; }
void KrD3DIndexBuffer::Release() {}
