// What does not survive a device reset: the texture binding, the textures in the default pool,
// the engine's sprites and its other device-dependent object.
#include "d3d_ren_dev.h"

bool KrD3DRenDev::ReleaseDependants() {
    // Forget the binding so that the next SetTexture binds again on the reset device; every
    // reset, new device and toggle comes through here, and Direct3D drops its bindings in each.
    lastTextureIndex = -1;
    lastTextureType = eTexStatic;
    bound.Forget();
    KrRenderBase* engineDevice = Engine().Render();
    if (engineDevice != nullptr && engineDevice->TextureMgr() != nullptr &&
        TextureMgr() != nullptr) {
        TextureMgr()->ReloadStatics();
        TextureMgr()->UnlinkDynamics();
    }
    if (SpriteDaemon() != nullptr) {
        SpriteDaemon()->Destroy();
    }
    if (DeviceObject() != nullptr) {
        DeviceObject()->ReleaseDeviceObjects();
    }
    return true;
}

// Dynamic textures are not re-created here: the engine asks the texture manager for them again.
bool KrD3DRenDev::CreateDependants() {
    if (SpriteDaemon() != nullptr) {
        SpriteDaemon()->Init();
    }
    if (DeviceObject() != nullptr) {
        DeviceObject()->RestoreDeviceObjects();
    }
    return true;
}
