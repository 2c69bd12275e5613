// The enumeration records: what Direct3D reported about each adapter, its device types and the
// confirmed full-screen modes.
#pragma once

#include <d3d9.h>

#include "krngn.h"

const int kMaxAdapters = 5;
const int kMaxDevicesPerAdapter = 5;
const int kMaxModesPerDevice = 256;
const int kMaxDisplayModes = 256;

struct D3DModeInfo {
    unsigned int width;
    unsigned int height;
    unsigned int format;
    unsigned int refreshRate;
    unsigned int behaviorFlags;
    unsigned int depthStencilFormat;
};

struct D3DDeviceInfo {
    D3DDEVTYPE deviceType;
    D3DCAPS9 caps;
    KrStringT<char> name;
    D3DModeInfo modes[kMaxModesPerDevice];
    unsigned int numModes;
    unsigned int currentMode;
    bool windowed;
    D3DMULTISAMPLE_TYPE multiSampleType;
    bool hardwareTnL;
    bool hardwareVP;

    D3DDeviceInfo() { Zero(); }
    // Every record starts zeroed: no modes, windowed false, every number 0, name empty.
    void Zero();
};

struct D3DAdapterInfo {
    D3DADAPTER_IDENTIFIER9 identifier;
    D3DDISPLAYMODE desktopMode;
    unsigned int numDevices;
    D3DDeviceInfo devices[kMaxDevicesPerAdapter];
    unsigned int currentDevice;

    D3DAdapterInfo() { Zero(); }
    void Zero();
};
