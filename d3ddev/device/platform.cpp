#include "platform.h"

namespace {
const KrPlatform kReal = {
    ::Direct3DCreate9,
    ::D3DXAssembleShader,
    ::D3DXCreateTextureFromFileA,
    ::D3DXSaveSurfaceToFileA,
    ::SetWindowLongA,
    ::AdjustWindowRect,
    ::ShowCursor,
    ::GetWindowPlacement,
};
KrPlatform g_platform = kReal;
}  // namespace

D3DDEV_API KrPlatform& Platform() {
    return g_platform;
}
D3DDEV_API const KrPlatform& RealPlatform() {
    return kReal;
}
D3DDEV_API void RestorePlatform() {
    g_platform = kReal;
}
