// KrD3DVertexBuffer: filling, locking for the caller and releasing one Direct3D vertex buffer.
#include "buffers.h"
#include "release_fully.h"

namespace {
// The engine's lock flag 1 asks for a fresh buffer; every other value is a Direct3D flag set.
const unsigned long kEngineDiscardFlag = 1;

// True when [offset, offset + size) lies inside the buffer. Direct3D does not refuse every range
// past the end, and the copy that follows a lock must never run over the buffer.
bool RangeInside(IDirect3DVertexBuffer9* buffer, unsigned int offset, unsigned int size) {
    D3DVERTEXBUFFER_DESC desc;
    if (FAILED(buffer->GetDesc(&desc))) {
        return false;
    }
    return offset <= desc.Size && size <= desc.Size - offset;
}
}  // namespace

KrD3DVertexBuffer::KrD3DVertexBuffer() : buffer(nullptr) {}

KrD3DVertexBuffer::KrD3DVertexBuffer(const KrD3DVertexBuffer& other)
    : KrVertexBufferBase(other), buffer(other.buffer) {}

KrD3DVertexBuffer& KrD3DVertexBuffer::operator=(const KrD3DVertexBuffer& other) {
    KrVertexBufferBase::operator=(other);
    buffer = other.buffer;
    return *this;
}

// The owner calls Release first: copies share the Direct3D buffer, so no single copy may free it.
KrD3DVertexBuffer::~KrD3DVertexBuffer() {}

bool KrD3DVertexBuffer::Populate(unsigned int offset, unsigned char* data, unsigned int size) {
    void* target = nullptr;
    if (buffer == nullptr || (data == nullptr && size != 0) || !RangeInside(buffer, offset, size) ||
        FAILED(buffer->Lock(offset, size, &target, 0))) {
        GLog.WriteLine("WARNING: Failed to populate vertex buffer");
        return false;
    }
    krMemCopy(target, data, static_cast<int>(size));
    buffer->Unlock();
    // A format with none of the counted components has no stride: the data is written, but there
    // is no vertex to count.
    unsigned int stride = VertexStride(fvf);
    if (stride != 0) {
        vertexCount += size / stride;
    }
    return true;
}

void KrD3DVertexBuffer::Release() {
    ReleaseFully(buffer);
}

bool KrD3DVertexBuffer::Access(unsigned int offset, unsigned int size, unsigned char** pointer,
                               unsigned long flags) {
    unsigned long lockFlags = flags == kEngineDiscardFlag ? D3DLOCK_DISCARD : flags;
    if (buffer == nullptr ||
        FAILED(buffer->Lock(offset, size, reinterpret_cast<void**>(pointer), lockFlags))) {
        GLog.DebugPrintf("EARROR: Failed to lock vertex buffer for access");
        return false;
    }
    return true;
}

void KrD3DVertexBuffer::Update() {
    if (buffer != nullptr) {
        buffer->Unlock();
    }
}
