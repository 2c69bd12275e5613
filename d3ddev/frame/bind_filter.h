// The bindings that repeat from draw to draw (vertex declaration, vertex shader, the stream of the
// draws, the texture of each stage) reach Direct3D only when they differ from what was last sent.
// Whatever can change Direct3D's bindings behind the filter must make it forget:
// - a new device, and every Reset of one (Direct3D drops its bindings there; this covers the
//   full-screen toggle and the recovery from a lost device): ReleaseDependants forgets;
// - shut-down, which unbinds textures and streams directly (ExitAPI);
// - a resource released for good anywhere in the module (ReleaseFully): a new object may be
//   made at the same address, and the filter would take it for the one it bound;
// - calls that bypass it. The experimental paths and the engine's sprites go through it.
#pragma once

#include <d3d9.h>

class KrBindFilter {
  public:
    KrBindFilter() { Forget(); }
    void Forget();

    // Defined here rather than in bind_filter.cpp: the draw path calls them several times a draw,
    // and most calls end at the first comparison, which costs less than the call itself.
    HRESULT SetVertexDeclaration(IDirect3DDevice9* device,
                                 IDirect3DVertexDeclaration9* declaration) {
        CatchUpWithReleases();
        return SendWhenChanged(declaration_, declaration,
                               [&] { return device->SetVertexDeclaration(declaration); });
    }
    HRESULT SetVertexShader(IDirect3DDevice9* device, IDirect3DVertexShader9* shader) {
        CatchUpWithReleases();
        return SendWhenChanged(shader_, shader, [&] { return device->SetVertexShader(shader); });
    }
    HRESULT SetStreamSource(IDirect3DDevice9* device, UINT stream, IDirect3DVertexBuffer9* buffer,
                            UINT stride) {
        CatchUpWithReleases();
        if (stream != 0) {
            return device->SetStreamSource(stream, buffer, 0, stride);
        }
        if (stride != streamStride_) {
            streamBuffer_ = Unknown<IDirect3DVertexBuffer9>();
        }
        streamStride_ = stride;
        return SendWhenChanged(streamBuffer_, buffer,
                               [&] { return device->SetStreamSource(0, buffer, 0, stride); });
    }
    HRESULT SetTexture(IDirect3DDevice9* device, DWORD stage, IDirect3DBaseTexture9* texture) {
        CatchUpWithReleases();
        if (stage >= kStages) {
            return device->SetTexture(stage, texture);
        }
        return SendWhenChanged(textures_[stage], texture,
                               [&] { return device->SetTexture(stage, texture); });
    }

    // Called by every release of a Direct3D resource for good: every filter forgets at its next
    // bind. A count, not a list of filters, so that releasing costs one increment.
    static void ResourceReleased() { ++releases_; }

  private:
    friend class KrD3DRenDevProbe;  // the device's tests hold what it believes against Direct3D
    static const DWORD kStages = 8;
    // A binding the filter does not know: never equal to a real object or null.
    template <typename T>
    static T* Unknown() {
        return reinterpret_cast<T*>(~static_cast<UINT_PTR>(0));
    }
    // Forgets everything when a resource was released since the last bind.
    void CatchUpWithReleases() {
        if (releasesSeen_ != releases_) {
            Forget();
        }
    }
    // Sends when `wanted` differs from `sent`; `sent` becomes what Direct3D holds, or unknown.
    template <typename T, typename Send>
    static HRESULT SendWhenChanged(T*& sent, T* wanted, Send send) {
        if (sent == wanted) {
            return S_OK;
        }
        const HRESULT result = send();
        sent = SUCCEEDED(result) ? wanted : Unknown<T>();
        return result;
    }

    IDirect3DVertexDeclaration9* declaration_;
    IDirect3DVertexShader9* shader_;
    IDirect3DVertexBuffer9* streamBuffer_;  // of stream 0, the draws' stream
    UINT streamStride_;
    IDirect3DBaseTexture9* textures_[kStages];
    unsigned int releasesSeen_;
    static unsigned int releases_;
};
