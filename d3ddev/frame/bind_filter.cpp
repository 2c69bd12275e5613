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
