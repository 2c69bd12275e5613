// The depth-buffer formats the device uses, by bit depth and back.
#pragma once

#include <d3d9.h>

// 16, 24 and 32 bits give D3DFMT_D16, D3DFMT_D24X8 and D3DFMT_D32. Any other depth gives
// D3DFMT_D16: a depth buffer in use must have a real format for device creation, and the
// smallest one is the one a device is most likely to offer.
D3DFORMAT DepthFormatOfBits(int bits);
// The bit depth of one of those three formats; `otherwise` for any other format.
int DepthBitsOfFormat(D3DFORMAT format, int otherwise);
