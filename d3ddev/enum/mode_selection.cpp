// The mode search: the largest confirmed mode that fits inside the configured size, the list of
// resolutions the engine offers, the safe mode, and the settings written back so that the next
// start begins from what worked.
#include "d3d_ren_dev.h"
#include "depth_formats.h"
#include "display_settings.h"
#include "format_names.h"
#include "log_text.h"

namespace {
// Safe mode asks for the smallest mode every adapter of the table offers.
const int kSafeWidth = 800;
const int kSafeHeight = 600;

struct Choice {
    int adapter = -1;
    int device = -1;
    int mode = -1;
};
}  // namespace

bool KrD3DRenDev::SelectDisplayMode() {
    // Whatever this step writes reaches the file in one write as it returns: still before a
    // device is created, so a creation that fails or crashes leaves the settings on disk.
    SettingsWriteBack writeBack(startupProfile);
    // A missing screen size asks for the desktop of the first adapter in the table.
    int desktopWidth = kFallbackWindowWidth;
    int desktopHeight = kFallbackWindowHeight;
    for (unsigned int a = 0; a < adapterCount; ++a) {
        if (adapters[a].numDevices > 0) {
            desktopWidth = static_cast<int>(adapters[a].desktopMode.Width);
            desktopHeight = static_cast<int>(adapters[a].desktopMode.Height);
            break;
        }
    }
    int windowWidth = ReadSetting("Display", "WindowWidth", kFallbackWindowWidth);
    int windowHeight = ReadSetting("Display", "WindowHeight", kFallbackWindowHeight);
    int screenWidth = ReadSetting("Display", "ScreenWidth", desktopWidth);
    int screenHeight = ReadSetting("Display", "ScreenHeight", desktopHeight);
    int wantedWidth = Windowed() ? windowWidth : screenWidth;
    int wantedHeight = Windowed() ? windowHeight : screenHeight;
    if (ReadSetting("Engine", "Safe", kFallbackSafe) > 0) {
        wantedWidth = kSafeWidth;
        wantedHeight = kSafeHeight;
        WriteSetting("Display", "ScreenWidth", kSafeWidth);
        WriteSetting("Display", "ScreenHeight", kSafeHeight);
    }

    resolutions.Clear();
    Choice best;
    for (unsigned int a = 0; a < adapterCount; ++a) {
        const D3DDeviceInfo& deviceInfo = adapters[a].devices[0];
        if (!deviceInfo.windowed || deviceInfo.numModes == 0) {
            continue;
        }
        for (unsigned int m = 0; m < deviceInfo.numModes; ++m) {
            const D3DModeInfo& record = deviceInfo.modes[m];
            int width = static_cast<int>(record.width);
            int height = static_cast<int>(record.height);
            // Later records fit at least as well: the table is sorted, so the last one wins.
            if (width <= wantedWidth && height <= wantedHeight) {
                best.adapter = static_cast<int>(a);
                best.device = 0;
                best.mode = static_cast<int>(m);
            }
            KrRect size(static_cast<float>(width), static_cast<float>(height));
            if (!resolutions.Contains(size)) {
                resolutions.Add(size);
            }
        }
    }
    if (best.adapter < 0) {
        GLog.printf("\t\tWARNING: Failed to select the suggested resolution of %ix%i", wantedWidth,
                    wantedHeight);
        WriteSetting("Engine", "Safe", 1);
        return false;
    }

    D3DAdapterInfo& adapterInfo = adapters[best.adapter];
    D3DDeviceInfo& deviceInfo = adapterInfo.devices[best.device];
    const D3DModeInfo& chosen = deviceInfo.modes[best.mode];
    GLog.printf("\t\tSelected %s device on %s, display mode:", LogText(deviceInfo.name),
                adapterInfo.identifier.Description);
    GLog.printf("\t\t\t%ix%i\t%s\t%s\t%s", static_cast<int>(chosen.width),
                static_cast<int>(chosen.height),
                LogText(FormatName(static_cast<D3DFORMAT>(chosen.format))),
                LogText(BehaviorFlagsText(chosen.behaviorFlags)),
                LogText(FormatName(static_cast<D3DFORMAT>(chosen.depthStencilFormat))));
    adapterInfo.currentDevice = static_cast<unsigned int>(best.device);
    currentAdapter = best.adapter;
    deviceInfo.currentMode = static_cast<unsigned int>(best.mode);

    nonPow2Textures = (deviceInfo.caps.TextureCaps & D3DPTEXTURECAPS_POW2) == 0;
    activeLightLimit = deviceInfo.caps.MaxActiveLights;

    WriteSetting("Render", "UseZBuffer", UsingZBuffer() ? 1 : 0);
    WriteSetting("Render", "UseWBuffer", UsingWBuffer() ? 1 : 0);
    if (UsingZBuffer() || UsingWBuffer()) {
        DepthBufferBitDepth() = DepthBitsOfFormat(static_cast<D3DFORMAT>(chosen.depthStencilFormat),
                                                  DepthBufferBitDepth());
        WriteSetting("Render", "DepthBufferBitDepth", DepthBufferBitDepth());
    }
    WriteSetting("Engine", "Safe", 0);
    if (Windowed()) {
        WriteSetting("Display", "WindowWidth", static_cast<int>(chosen.width));
        WriteSetting("Display", "WindowHeight", static_cast<int>(chosen.height));
    } else {
        WriteSetting("Display", "ScreenWidth", static_cast<int>(chosen.width));
        WriteSetting("Display", "ScreenHeight", static_cast<int>(chosen.height));
    }
    return true;
}

bool KrD3DRenDev::GetDisplayMode(D3DDISPLAYMODE& mode) {
    if (currentAdapter == -1) {
        return false;
    }
    const D3DAdapterInfo& adapterInfo = adapters[currentAdapter];
    const D3DDeviceInfo& deviceInfo = adapterInfo.devices[adapterInfo.currentDevice];
    const D3DModeInfo& record = deviceInfo.modes[deviceInfo.currentMode];
    mode.Width = record.width;
    mode.Height = record.height;
    mode.RefreshRate = record.refreshRate;
    mode.Format = static_cast<D3DFORMAT>(record.format);
    return true;
}
