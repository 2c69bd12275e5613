#include "mode_search.h"

#include "krcr.h"

namespace {

bool Unavailable() {
    GLog.WriteLine("CRITICAL: Toggle fullscreen was unable to find the requested display mode");
    return false;
}

// One step along the list; false when it would leave the list.
bool Step(D3DDeviceInfo& deviceInfo, bool up) {
    unsigned int& index = deviceInfo.currentMode;
    if (up ? index + 1 >= deviceInfo.numModes : index == 0) {
        return false;
    }
    index = up ? index + 1 : index - 1;
    return true;
}

const D3DModeInfo& Current(const D3DDeviceInfo& deviceInfo) {
    return deviceInfo.modes[deviceInfo.currentMode];
}

}  // namespace

bool SearchModeList(D3DDeviceInfo& deviceInfo, unsigned int width, unsigned int height) {
    if (deviceInfo.numModes == 0 || deviceInfo.currentMode >= deviceInfo.numModes) {
        return Unavailable();
    }
    if (Current(deviceInfo).width < width) {
        while (Current(deviceInfo).width < width) {
            if (!Step(deviceInfo, true)) {
                return Unavailable();
            }
        }
        // Only heights count from here on, so this may move on to a wider mode.
        if (Current(deviceInfo).width == width) {
            while (Current(deviceInfo).height < height) {
                if (!Step(deviceInfo, true)) {
                    return Unavailable();
                }
            }
        }
        return true;
    }
    while (Current(deviceInfo).width > width) {
        if (!Step(deviceInfo, false)) {
            return Unavailable();
        }
    }
    if (Current(deviceInfo).width == width) {
        while (Current(deviceInfo).height > height) {
            if (!Step(deviceInfo, false)) {
                return Unavailable();
            }
        }
    }
    return true;
}
