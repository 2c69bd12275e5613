// Placeholder until the enumeration lands (see README status table).
#include "d3d_ren_dev.h"
#include "format_names.h"
#include "pending.h"

bool KrD3DRenDev::EnumAndCaps() {
    KR_PENDING_OPERATION("KrD3DRenDev::EnumAndCaps");
    return false;
}
bool KrD3DRenDev::GetDisplayMode(D3DDISPLAYMODE&) { return false; }
unsigned int KrD3DRenDev::ConfirmFormats(D3DDeviceInfo*, D3DAdapterInfo*, int, int,
                                         TDArray<D3DFORMAT>&, TSArray<bool>&) {
    return 0;
}
bool KrD3DRenDev::DepthAndRenderFormatOK(D3DDeviceInfo*, int, int, D3DFORMAT, D3DFORMAT, D3DFORMAT) {
    return false;
}
bool KrD3DRenDev::EnumerateAdapter(unsigned int) { return false; }
void KrD3DRenDev::ScanCapabilities(D3DDeviceInfo&) {}
bool KrD3DRenDev::SelectDisplayMode() { return false; }
D3DDEV_API KrStringT<char> FormatName(D3DFORMAT) { return KrStringT<char>("INVALID_FORMAT"); }
D3DDEV_API KrStringT<char> BehaviorFlagsText(unsigned long) { return KrStringT<char>(); }
D3DDEV_API KrStringT<char> DeviceTypeName(D3DDEVTYPE) { return KrStringT<char>("UNKNOWN"); }
