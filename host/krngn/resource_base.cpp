// The base classes of the device's resources.
#include "krngn.h"

KrTextureBase::KrTextureBase() : locked(false), bits(nullptr), width(0), height(0) {}
KrTextureBase::KrTextureBase(const KrTextureBase& other) = default;
KrTextureBase& KrTextureBase::operator=(const KrTextureBase& other) = default;
KrTextureBase::~KrTextureBase() {}

KrARGB KrTextureBase::GetTexel(int x, int y) {
    if (!locked || bits == nullptr || x < 0 || y < 0 || static_cast<unsigned int>(x) >= width ||
        static_cast<unsigned int>(y) >= height) {
        return KrARGB(0, 0, 0, 0);
    }
    const unsigned int* texels = static_cast<const unsigned int*>(bits);
    return KrARGB::FromDWORD(
        texels[static_cast<unsigned int>(y) * width + static_cast<unsigned int>(x)]);
}

bool KrTextureBase::SetTexel(int x, int y, KrARGB colour) {
    if (!locked || bits == nullptr || x < 0 || y < 0 || static_cast<unsigned int>(x) >= width ||
        static_cast<unsigned int>(y) >= height) {
        return false;
    }
    unsigned int* texels = static_cast<unsigned int*>(bits);
    texels[static_cast<unsigned int>(y) * width + static_cast<unsigned int>(x)] =
        static_cast<unsigned int>(colour.GetDWORD());
    return true;
}

KrTextureMgrBase::~KrTextureMgrBase() {}

KrVertexBufferBase::KrVertexBufferBase() : fvf(0), vertexCount(0) {}
KrVertexBufferBase::KrVertexBufferBase(const KrVertexBufferBase& other) = default;
KrVertexBufferBase& KrVertexBufferBase::operator=(const KrVertexBufferBase& other) = default;
KrVertexBufferBase::~KrVertexBufferBase() {}

KrIndexBufferBase::KrIndexBufferBase()
    : sizeInBytes(0), numIndices(0), lastIndex(-1), indexFormat(eIDX16) {}
KrIndexBufferBase::KrIndexBufferBase(const KrIndexBufferBase& other) = default;
KrIndexBufferBase& KrIndexBufferBase::operator=(const KrIndexBufferBase& other) = default;
KrIndexBufferBase::~KrIndexBufferBase() {}
