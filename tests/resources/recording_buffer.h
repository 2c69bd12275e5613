// A Direct3D vertex or index buffer that forwards to a real one and records every Lock (offset,
// size, flags), or fails the next Lock on request: how the buffers lock is their contract with the
// GPU, and it cannot be read back from the buffer itself.
#pragma once

#include <d3d9.h>

#include <vector>

struct LockCall {
    UINT offset;
    UINT size;
    DWORD flags;
    bool operator==(const LockCall& o) const {
        return offset == o.offset && size == o.size && flags == o.flags;
    }
};

template <class Interface, class Desc>
class RecordingBuffer : public Interface {
  public:
    explicit RecordingBuffer(Interface* real) : real_(real) {}

    std::vector<LockCall> locks;
    int unlocks = 0;
    bool failNextLock = false;

    HRESULT WINAPI QueryInterface(REFIID riid, void** out) override {
        return real_->QueryInterface(riid, out);
    }
    ULONG WINAPI AddRef() override { return real_->AddRef(); }
    ULONG WINAPI Release() override { return real_->Release(); }
    HRESULT WINAPI GetDevice(IDirect3DDevice9** device) override {
        return real_->GetDevice(device);
    }
    HRESULT WINAPI SetPrivateData(REFGUID guid, const void* data, DWORD size,
                                  DWORD flags) override {
        return real_->SetPrivateData(guid, data, size, flags);
    }
    HRESULT WINAPI GetPrivateData(REFGUID guid, void* data, DWORD* size) override {
        return real_->GetPrivateData(guid, data, size);
    }
    HRESULT WINAPI FreePrivateData(REFGUID guid) override { return real_->FreePrivateData(guid); }
    DWORD WINAPI SetPriority(DWORD priority) override { return real_->SetPriority(priority); }
    DWORD WINAPI GetPriority() override { return real_->GetPriority(); }
    void WINAPI PreLoad() override { real_->PreLoad(); }
    D3DRESOURCETYPE WINAPI GetType() override { return real_->GetType(); }
    HRESULT WINAPI Lock(UINT offset, UINT size, void** data, DWORD flags) override {
        locks.push_back({offset, size, flags});
        if (failNextLock) {
            failNextLock = false;
            return D3DERR_INVALIDCALL;
        }
        return real_->Lock(offset, size, data, flags);
    }
    HRESULT WINAPI Unlock() override {
        ++unlocks;
        return real_->Unlock();
    }
    HRESULT WINAPI GetDesc(Desc* desc) override { return real_->GetDesc(desc); }

    Interface* Real() const { return real_; }

  private:
    Interface* real_;
};

using RecordingVertexBuffer = RecordingBuffer<IDirect3DVertexBuffer9, D3DVERTEXBUFFER_DESC>;
using RecordingIndexBuffer = RecordingBuffer<IDirect3DIndexBuffer9, D3DINDEXBUFFER_DESC>;
