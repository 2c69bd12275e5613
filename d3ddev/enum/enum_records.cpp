#include "enum_records.h"

void D3DDeviceInfo::Zero() {
    deviceType = static_cast<D3DDEVTYPE>(0);
    krMemset(&caps, 0, sizeof caps);
    name = KrStringT<char>();
    krMemset(modes, 0, sizeof modes);
    numModes = 0;
    currentMode = 0;
    windowed = false;
    multiSampleType = D3DMULTISAMPLE_NONE;
    hardwareTnL = false;
    hardwareVP = false;
}

void D3DAdapterInfo::Zero() {
    krMemset(&identifier, 0, sizeof identifier);
    krMemset(&desktopMode, 0, sizeof desktopMode);
    numDevices = 0;
    for (D3DDeviceInfo& d : devices) {
        d.Zero();
    }
    currentDevice = 0;
}
