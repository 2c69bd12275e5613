// Placeholder until device creation and reset land (see README status table).
#include "d3d_ren_dev.h"
#include "pending.h"

bool KrD3DRenDev::Reset() {
    KR_PENDING_OPERATION("KrD3DRenDev::Reset");
    return false;
}
bool KrD3DRenDev::UpdateDimensions() {
    KR_PENDING_OPERATION("KrD3DRenDev::UpdateDimensions");
    return false;
}
bool KrD3DRenDev::ToggleFullScreen(bool) {
    KR_PENDING_OPERATION("KrD3DRenDev::ToggleFullScreen");
    return false;
}
void KrD3DRenDev::SaveCurrWinPos() {}
bool KrD3DRenDev::RefreshRes() { return false; }
bool KrD3DRenDev::ReleaseDependants() { return true; }
bool KrD3DRenDev::CreateDependants() { return true; }
