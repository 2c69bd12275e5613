// Sending a binding to Direct3D only when it changes; a binding whose call failed is unknown.
#include "bind_filter.h"

unsigned int KrBindFilter::releases_ = 0;

void KrBindFilter::Forget() {
    declaration_ = Unknown<IDirect3DVertexDeclaration9>();
    shader_ = Unknown<IDirect3DVertexShader9>();
    streamBuffer_ = Unknown<IDirect3DVertexBuffer9>();
    streamStride_ = 0;
    for (IDirect3DBaseTexture9*& texture : textures_) {
        texture = Unknown<IDirect3DBaseTexture9>();
    }
    releasesSeen_ = releases_;
}

void KrBindFilter::CatchUpWithReleases() {
    if (releasesSeen_ != releases_) {
        Forget();
    }
}

template <typename T, typename Send>
HRESULT KrBindFilter::SendWhenChanged(T*& sent, T* wanted, Send send) {
    if (sent == wanted) {
        return S_OK;
    }
    const HRESULT result = send();
    sent = SUCCEEDED(result) ? wanted : Unknown<T>();
    return result;
}

HRESULT KrBindFilter::SetVertexDeclaration(IDirect3DDevice9* device,
                                           IDirect3DVertexDeclaration9* declaration) {
    CatchUpWithReleases();
    return SendWhenChanged(declaration_, declaration,
                           [&] { return device->SetVertexDeclaration(declaration); });
}

HRESULT KrBindFilter::SetVertexShader(IDirect3DDevice9* device, IDirect3DVertexShader9* shader) {
    CatchUpWithReleases();
    return SendWhenChanged(shader_, shader, [&] { return device->SetVertexShader(shader); });
}

HRESULT KrBindFilter::SetStreamSource(IDirect3DDevice9* device, UINT stream,
                                      IDirect3DVertexBuffer9* buffer, UINT stride) {
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

HRESULT KrBindFilter::SetTexture(IDirect3DDevice9* device, DWORD stage,
                                 IDirect3DBaseTexture9* texture) {
    CatchUpWithReleases();
    if (stage >= kStages) {
        return device->SetTexture(stage, texture);
    }
    return SendWhenChanged(textures_[stage], texture,
                           [&] { return device->SetTexture(stage, texture); });
}
