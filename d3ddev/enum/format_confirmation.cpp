// Format confirmation: which adapter formats can be a full-screen back buffer together with the
// depth buffer the configuration asks for, falling back from 32 to 24 to 16 bits and then to no
// depth checks at all.
#include "d3d_ren_dev.h"
#include "depth_formats.h"
#include "display_settings.h"
#include "format_names.h"
#include "log_text.h"

namespace {
// One rung of the depth fallback: what is tested at `bits`, what is logged when the device lacks
// it, and where the fallback goes next (0: no depth checks any more).
struct DepthRung {
    int bits;
    int next;
    const char* unsupported;
    const char* fallback;
};

const DepthRung kDepthRungs[] = {
    {32, 24,
     "\tFAILED: CheckDeviceFormat(...) on %s, device %s : device doesn't support 32-bit depth "
     "buffering with render format %s",
     "\tWARNING: Could not support 32-bit depth buffering, trying 24-bit"},
    {24, 16,
     "\tFAILED: CheckDeviceFormat(...) on %s, device %s : device doesn't support 24-bit depth "
     "buffering with render format %s",
     "\tWARNING: Could not support 24-bit depth buffering, trying 16-bit"},
    {16, 0,
     "\tFAILED: CheckDeviceFormat(...) on %s, device %s : device doesn't support 16-bit depth "
     "buffering with render format %s",
     "\tFAILED: Could not support 16-bit depth buffering, switching off depth buffering for next "
     "run"},
};
}  // namespace

unsigned int KrD3DRenDev::ConfirmFormats(D3DDeviceInfo* deviceInfo, D3DAdapterInfo* adapterInfo,
                                         int adapter, int deviceNumber, TDArray<D3DFORMAT>& formats,
                                         TSArray<bool>& confirmed) {
    KrStartPartScope checking(startupProfile, StartPart::FormatChecks);
    int wRequest = ReadSetting("Render", "UseWBuffer", kFallbackUseWBuffer);
    int zRequest = ReadSetting("Render", "UseZBuffer", kFallbackUseZBuffer);
    int depth = ReadSetting("Render", "DepthBufferBitDepth", kFallbackDepthBits);

    const D3DCAPS9& caps = deviceInfo->caps;
    bool zFlag = false;
    bool wGranted = false;
    if (wRequest != 0) {
        // A W-buffer is granted exactly when the device can rasterise with one; otherwise the
        // device runs without depth buffer rather than silently switching to a Z-buffer.
        wGranted = (caps.RasterCaps & D3DPRASTERCAPS_WBUFFER) != 0;
        if (wGranted) {
            GLog.DebugPrintf("\t%s Device supports depth buffering in w",
                             LogText(DeviceTypeName(caps.DeviceType)));
        } else {
            GLog.DebugPrintf("\t%s Device does NOT support depth buffering in w",
                             LogText(DeviceTypeName(caps.DeviceType)));
        }
    } else {
        zFlag = zRequest > 0;
    }

    const char* deviceName = LogText(deviceInfo->name);
    confirmed.Create(formats.Count());
    unsigned int count = 0;
    for (int i = 0; i < formats.Count(); ++i) {
        D3DFORMAT format = formats[i];
        confirmed[i] = false;
        if (FAILED(d3d->CheckDeviceType(static_cast<UINT>(adapter), deviceInfo->deviceType, format,
                                        format, FALSE))) {
            GLog.printf(
                "\tFAILED: CheckDeviceType(...) on adapter #%i, device %s : format not "
                "supported",
                adapter, deviceName);
            continue;
        }
        // The working depth only ever falls, and the next format starts where this one ended.
        bool usable = true;
        for (const DepthRung& rung : kDepthRungs) {
            if (depth != rung.bits) {
                continue;
            }
            D3DFORMAT depthFormat = DepthFormatOfBits(rung.bits);
            if (FAILED(d3d->CheckDeviceFormat(static_cast<UINT>(adapter), deviceInfo->deviceType,
                                              format, D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE,
                                              depthFormat))) {
                GLog.printf(rung.unsupported, adapterInfo->identifier.Description, deviceName,
                            LogText(FormatName(format)));
                GLog.printf("%s", rung.fallback);
                depth = rung.next;
                usable = depth != 0;
                continue;
            }
            usable = DepthAndRenderFormatOK(deviceInfo, adapter, deviceNumber, format, format,
                                            depthFormat);
            if (usable) {
                UsingZBuffer() = zFlag;
                UsingWBuffer() = wGranted;
                DepthBufferBitDepth() = rung.bits;
            }
            break;
        }
        if (usable) {
            confirmed[i] = true;
            ++count;
        }
    }
    return count;
}

bool KrD3DRenDev::DepthAndRenderFormatOK(D3DDeviceInfo* deviceInfo, int adapter, int deviceNumber,
                                         D3DFORMAT adapterFormat, D3DFORMAT renderFormat,
                                         D3DFORMAT depthFormat) {
    if (FAILED(d3d->CheckDepthStencilMatch(static_cast<UINT>(adapter), deviceInfo->deviceType,
                                           adapterFormat, renderFormat, depthFormat))) {
        GLog.printf(
            "\tFAILED: CheckDepthStencilMatch(...) on adapter #%i, device #%i : depth "
            "format %s does not match render format %s",
            adapter, deviceNumber, LogText(FormatName(depthFormat)),
            LogText(FormatName(renderFormat)));
        return false;
    }
    return true;
}
