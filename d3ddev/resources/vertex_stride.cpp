// The stride rule shared by the vertex buffers (counting vertices) and the draw code (binding
// streams): only the six vertex components the engine uses count, each on its own bit.
#include "buffers.h"

D3DDEV_API unsigned int VertexStride(unsigned long fvf) {
    unsigned int stride = 0;
    if (fvf & D3DFVF_XYZ) {
        stride += 12;
    }
    if (fvf & D3DFVF_XYZRHW) {
        stride += 16;
    }
    if (fvf & D3DFVF_NORMAL) {
        stride += 12;
    }
    if (fvf & D3DFVF_DIFFUSE) {
        stride += 4;
    }
    if (fvf & D3DFVF_TEX1) {
        stride += 8;
    }
    if (fvf & D3DFVF_TEX2) {
        stride += 16;
    }
    return stride;
}
