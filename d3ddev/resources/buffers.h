// Vertex and index buffers: each wraps one Direct3D buffer. Copies share the Direct3D buffer;
// Release destroys it whatever other references exist.
#pragma once

#include <d3d9.h>

#include "d3ddev_api.h"
#include "krngn.h"

// Bytes per vertex of a flexible vertex format, counting the six components the engine uses.
// A format with none of them gives 0; callers must not divide by it.
D3DDEV_API unsigned int VertexStride(unsigned long fvf);

class D3DDEV_API KrD3DVertexBuffer : public KrVertexBufferBase {
  public:
    KrD3DVertexBuffer();
    KrD3DVertexBuffer(const KrD3DVertexBuffer& other);
    KrD3DVertexBuffer& operator=(const KrD3DVertexBuffer& other);
    ~KrD3DVertexBuffer() override;

    bool Populate(unsigned int offset, unsigned char* data, unsigned int size) override;
    void Release() override;
    bool Access(unsigned int offset, unsigned int size, unsigned char** pointer,
                unsigned long flags) override;
    void Update() override;

    IDirect3DVertexBuffer9* Interface() const { return buffer; }

  private:
    friend class KrD3DRenDev;
    friend class KrD3DBufferProbe;  // white-box access for the buffers' own tests
    IDirect3DVertexBuffer9* buffer;
};

class D3DDEV_API KrD3DIndexBuffer : public KrIndexBufferBase {
  public:
    KrD3DIndexBuffer();
    KrD3DIndexBuffer(const KrD3DIndexBuffer& other);
    KrD3DIndexBuffer& operator=(const KrD3DIndexBuffer& other);
    ~KrD3DIndexBuffer() override;

    eLockResult Populate(unsigned char* data, unsigned int size, bool discard) override;
    void Release() override;

    IDirect3DIndexBuffer9* Interface() const { return buffer; }

  private:
    friend class KrD3DRenDev;
    friend class KrD3DBufferProbe;
    IDirect3DIndexBuffer9* buffer;
};
