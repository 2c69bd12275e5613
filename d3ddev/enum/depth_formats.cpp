#include "depth_formats.h"

namespace {
struct DepthFormat {
    int bits;
    D3DFORMAT format;
};
const DepthFormat kDepthFormats[] = {{16, D3DFMT_D16}, {24, D3DFMT_D24X8}, {32, D3DFMT_D32}};
}  // namespace

D3DFORMAT DepthFormatOfBits(int bits) {
    for (const DepthFormat& entry : kDepthFormats) {
        if (entry.bits == bits) {
            return entry.format;
        }
    }
    return D3DFMT_D16;
}

int DepthBitsOfFormat(D3DFORMAT format, int otherwise) {
    for (const DepthFormat& entry : kDepthFormats) {
        if (entry.format == format) {
            return entry.bits;
        }
    }
    return otherwise;
}
