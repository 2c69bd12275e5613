// KrD3DIndexBuffer: the append ring. Index blocks are streamed behind the earlier ones without
// stalling on the GPU (no-overwrite locks); when a block does not fit, the buffer is discarded and
// the block starts again at index 0 instead of wrapping.
#include "buffers.h"
#include "release_fully.h"

namespace {
unsigned int IndexBytes(eIDXFormat format) {
    return format == eIDX16 ? 2 : 4;
}
}  // namespace

KrD3DIndexBuffer::KrD3DIndexBuffer() : buffer(nullptr) {}

KrD3DIndexBuffer::KrD3DIndexBuffer(const KrD3DIndexBuffer& other)
    : KrIndexBufferBase(other), buffer(other.buffer) {}

KrD3DIndexBuffer& KrD3DIndexBuffer::operator=(const KrD3DIndexBuffer& other) {
    KrIndexBufferBase::operator=(other);
    buffer = other.buffer;
    return *this;
}

// The owner calls Release first: copies share the Direct3D buffer, so no single copy may free it.
KrD3DIndexBuffer::~KrD3DIndexBuffer() {}

eLockResult KrD3DIndexBuffer::Populate(unsigned char* data, unsigned int size, bool discard) {
    if (data == nullptr || size > sizeInBytes) {
        GLog.WriteLine("ERROR: KrD3DIndexBuffer::Populate(..) was passed invalid parameters");
        return eLockFailed;
    }
    unsigned int next = lastIndex < 0 ? 0u : static_cast<unsigned int>(lastIndex) + 1u;
    unsigned int offset = next * IndexBytes(indexFormat);
    // An append position past the end (moved there from outside) leaves no room rather than the
    // huge room an unsigned difference would give.
    unsigned int room = offset < sizeInBytes ? sizeInBytes - offset : 0;
    unsigned long flags = D3DLOCK_NOOVERWRITE;
    eLockResult result = eLockAppended;
    if (discard || size > room) {
        offset = 0;
        flags = D3DLOCK_DISCARD;
        lastIndex = -1;
        result = eLockDiscarded;
    }
    void* target = nullptr;
    if (buffer == nullptr || FAILED(buffer->Lock(offset, size, &target, flags))) {
        GLog.WriteLine("WARNING: Failed to populate index buffer");
        return eLockFailed;
    }
    krMemCopy(target, data, static_cast<int>(size));
    buffer->Unlock();
    if (indexFormat == eIDX16) {
        lastIndex += static_cast<int>(size / 2);
    } else if (indexFormat == eIDX32) {
        lastIndex += static_cast<int>(size / 4);
    } else {
        return eLockFailed;
    }
    return result;
}

void KrD3DIndexBuffer::Release() {
    ReleaseFully(buffer);
}
