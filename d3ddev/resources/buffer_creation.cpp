// The device's buffer factory: maps the engine's pool and usage requests to Direct3D and wraps
// the new Direct3D buffer.
#include "buffers.h"
#include "d3d_ren_dev.h"

namespace {
D3DPOOL PoolFor(eMemPool pool) {
    if (pool == eMemSystem) {
        return D3DPOOL_SYSTEMMEM;
    }
    if (pool == eMemManaged) {
        return D3DPOOL_MANAGED;
    }
    return D3DPOOL_DEFAULT;
}
}  // namespace

bool KrD3DRenDev::CreateVertexBuffer(KrVertexBufferBase** out, unsigned int size, unsigned long fvf,
                                     eMemPool pool, eResUsage usage) {
    KrD3DVertexBuffer* created = new KrD3DVertexBuffer();
    D3DPOOL d3dPool = PoolFor(pool);
    DWORD d3dUsage = usage == eUsageDynamic ? D3DUSAGE_DYNAMIC : 0;
    // Direct3D refuses dynamic buffers in the managed pool.
    if (d3dUsage == D3DUSAGE_DYNAMIC && d3dPool == D3DPOOL_MANAGED) {
        GLog.DebugPrintf(
            "WARNING: Dynamic vertex buffer requested as a managed resource. Moving to SYSTEMMEM");
        d3dPool = D3DPOOL_SYSTEMMEM;
    }
    if (created == nullptr || device == nullptr ||
        FAILED(
            device->CreateVertexBuffer(size, d3dUsage, fvf, d3dPool, &created->buffer, nullptr))) {
        GLog.printf("WARNING: Failed to create vertex buffer, size %i bytes",
                    static_cast<int>(size));
        delete created;
        return false;
    }
    *out = created;
    created->FVFFlags() = fvf;
    return true;
}

bool KrD3DRenDev::CreateIndexBuffer(KrIndexBufferBase** out, unsigned int size, eIDXFormat format,
                                    eMemPool pool) {
    KrD3DIndexBuffer* created = new KrD3DIndexBuffer();
    // Index data is always streamed (see KrD3DIndexBuffer::Populate), so every index buffer is
    // dynamic; only the default pool can also be write-only.
    D3DPOOL d3dPool = PoolFor(pool);
    DWORD d3dUsage = D3DUSAGE_DYNAMIC;
    if (d3dPool == D3DPOOL_DEFAULT) {
        d3dUsage |= D3DUSAGE_WRITEONLY;
    }
    D3DFORMAT d3dFormat = format == eIDX32 ? D3DFMT_INDEX32 : D3DFMT_INDEX16;
    if (created == nullptr || device == nullptr ||
        FAILED(device->CreateIndexBuffer(size, d3dUsage, d3dFormat, d3dPool, &created->buffer,
                                         nullptr))) {
        GLog.printf("WARNING: Failed to create index buffer, size %i bytes",
                    static_cast<int>(size));
        delete created;
        return false;
    }
    *out = created;
    created->SetSizeInBytes(size);
    created->SetLastIndex(-1);
    created->SetFormat(format);
    if (format == eIDX16) {
        created->SetNumIndices(size / 2);
    } else if (format == eIDX32) {
        created->SetNumIndices(size / 4);
    } else {
        // The buffer stays with the caller (16-bit) so that it can be released like any other.
        GLog.WriteLine("ERROR: Invalid index format passed to KrD3DRenDev::CreateIndexBuffer(..)");
        return false;
    }
    return true;
}
