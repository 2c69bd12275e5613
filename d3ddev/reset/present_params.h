// The presentation parameters of the device: built whole when the device is created, and rebuilt
// in part when the full-screen toggle moves to another mode or presentation.
#pragma once

#include <d3d9.h>

#include "enum_records.h"

struct PresentationChoice {
    const D3DAdapterInfo* adapter;
    const D3DDeviceInfo* deviceInfo;
    const D3DModeInfo* mode;
    bool windowed;
    HWND window;
    UINT fullScreenInterval;  // a window always presents at the default interval
};

// The fields that follow the presentation and its mode; every other field keeps its value.
void ApplyPresentationChoice(D3DPRESENT_PARAMETERS& params, const PresentationChoice& choice);

// Every field, from zero: one discarded back buffer, an automatic depth buffer when one is used.
void BuildPresentParams(D3DPRESENT_PARAMETERS& params, const PresentationChoice& choice,
                        bool depthBuffer);
