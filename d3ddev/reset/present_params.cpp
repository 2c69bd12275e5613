#include "present_params.h"

#include "krcr.h"

void ApplyPresentationChoice(D3DPRESENT_PARAMETERS& params, const PresentationChoice& choice) {
    params.Windowed = choice.windowed ? TRUE : FALSE;
    params.MultiSampleType = choice.deviceInfo->multiSampleType;
    params.AutoDepthStencilFormat = static_cast<D3DFORMAT>(choice.mode->depthStencilFormat);
    params.hDeviceWindow = choice.window;
    params.BackBufferWidth = choice.mode->width;
    params.BackBufferHeight = choice.mode->height;
    // A window shares the desktop's surface format; full screen owns the display in the mode's.
    params.BackBufferFormat = choice.windowed ? choice.adapter->desktopMode.Format
                                              : static_cast<D3DFORMAT>(choice.mode->format);
    params.PresentationInterval =
        choice.windowed ? D3DPRESENT_INTERVAL_DEFAULT : choice.fullScreenInterval;
}

void BuildPresentParams(D3DPRESENT_PARAMETERS& params, const PresentationChoice& choice,
                        bool depthBuffer) {
    krMemset(&params, 0, sizeof params);
    params.BackBufferCount = 1;
    params.MultiSampleQuality = 0;
    params.SwapEffect = D3DSWAPEFFECT_DISCARD;
    params.EnableAutoDepthStencil = depthBuffer ? TRUE : FALSE;
    params.Flags = 0;
    params.FullScreen_RefreshRateInHz = 0;
    ApplyPresentationChoice(params, choice);
}
