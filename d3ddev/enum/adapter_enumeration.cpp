// The adapter table: every display adapter, its hardware device, and the sorted full-screen modes
// that device can run with a depth buffer. The choice among them is the mode search's.
#include "d3d_ren_dev.h"
#include "depth_formats.h"
#include "format_names.h"
#include "log_text.h"

namespace {
// The back-buffer formats the engine can render to, in the order they are asked for.
const D3DFORMAT kModeFormats[] = {D3DFMT_R5G6B5, D3DFMT_X8R8G8B8, D3DFMT_X1R5G5B5,
                                  D3DFMT_A2R10G10B10};
const int kModeFormatCount = sizeof kModeFormats / sizeof kModeFormats[0];
// Only hardware devices are recorded; the reference rasteriser is never offered.
const D3DDEVTYPE kDeviceTypes[] = {D3DDEVTYPE_HAL};
const unsigned int kMinModeWidth = 800;
const unsigned int kMinModeHeight = 600;

// The display modes of one adapter that are large enough, before they become mode records.
struct ModeList {
    D3DDISPLAYMODE entries[kMaxDisplayModes];
    int count;
};

// Format descending (as a signed number), then width and height ascending.
int CompareModes(const void* left, const void* right) {
    const D3DDISPLAYMODE& a = *static_cast<const D3DDISPLAYMODE*>(left);
    const D3DDISPLAYMODE& b = *static_cast<const D3DDISPLAYMODE*>(right);
    int formatA = static_cast<int>(a.Format);
    int formatB = static_cast<int>(b.Format);
    if (formatA != formatB) {
        return formatA > formatB ? -1 : 1;
    }
    if (a.Width != b.Width) {
        return a.Width < b.Width ? -1 : 1;
    }
    if (a.Height != b.Height) {
        return a.Height < b.Height ? -1 : 1;
    }
    return 0;
}

bool IsSixteenBit(unsigned int format) {
    return format == D3DFMT_R5G6B5 || format == D3DFMT_X1R5G5B5 || format == D3DFMT_A1R5G5B5;
}

void AddModeRecords(D3DDeviceInfo& deviceInfo, const ModeList& modes, TDArray<D3DFORMAT>& formats,
                    TSArray<bool>& confirmed, unsigned int depthFormat) {
    unsigned int behavior = deviceInfo.hardwareTnL && deviceInfo.hardwareVP
                                ? D3DCREATE_HARDWARE_VERTEXPROCESSING
                                : D3DCREATE_SOFTWARE_VERTEXPROCESSING;
    for (int m = 0; m < modes.count; ++m) {
        const D3DDISPLAYMODE& mode = modes.entries[m];
        for (int f = 0; f < formats.Count(); ++f) {
            // Records beyond the device's table are ignored.
            if (mode.Format != formats[f] || !confirmed[f] ||
                deviceInfo.numModes == kMaxModesPerDevice) {
                continue;
            }
            D3DModeInfo& record = deviceInfo.modes[deviceInfo.numModes++];
            record.width = mode.Width;
            record.height = mode.Height;
            record.format = mode.Format;
            record.refreshRate = 0;
            record.behaviorFlags = behavior;
            record.depthStencilFormat = depthFormat;
        }
    }
}

void LogModeRecords(const D3DDeviceInfo& deviceInfo) {
    GLog.printf("\t\tDetected %i display modes on %s adapter",
                static_cast<int>(deviceInfo.numModes), LogText(deviceInfo.name));
    for (unsigned int m = 0; m < deviceInfo.numModes; ++m) {
        const D3DModeInfo& record = deviceInfo.modes[m];
        GLog.DebugPrintf("\t\t\t%ix%i\t%s\t%s\tDepth: %s", static_cast<int>(record.width),
                         static_cast<int>(record.height),
                         LogText(FormatName(static_cast<D3DFORMAT>(record.format))),
                         LogText(BehaviorFlagsText(record.behaviorFlags)),
                         LogText(FormatName(static_cast<D3DFORMAT>(record.depthStencilFormat))));
    }
}

// The first 16-bit record that is large enough, else the last large enough record: the engine
// starts cheap when it can.
unsigned int DefaultMode(const D3DDeviceInfo& deviceInfo) {
    unsigned int chosen = 0;
    for (unsigned int m = 0; m < deviceInfo.numModes; ++m) {
        const D3DModeInfo& record = deviceInfo.modes[m];
        if (record.width >= kMinModeWidth && record.height >= kMinModeHeight) {
            chosen = m;
            if (IsSixteenBit(record.format)) {
                break;
            }
        }
    }
    return chosen;
}
}  // namespace

bool KrD3DRenDev::EnumAndCaps() {
    if (d3d == nullptr) {
        return false;
    }
    GLog.WriteLine("Enumerating D3D adapters:");
    unsigned int reported = d3d->GetAdapterCount();
    // Adapters beyond the table are ignored: the count stays a valid bound of the table.
    adapterCount = reported < static_cast<unsigned int>(kMaxAdapters) ? reported : kMaxAdapters;
    GLog.printf("\tDetected %i D3D adapter(s)", static_cast<int>(reported));
    if (reported == 0) {
        GLog.WriteLine("WARNING: No adapters detected");
        return false;
    }
    for (unsigned int adapter = 0; adapter < adapterCount; ++adapter) {
        if (!EnumerateAdapter(adapter)) {
            return false;
        }
    }
    return SelectDisplayMode();
}

bool KrD3DRenDev::EnumerateAdapter(unsigned int adapter) {
    int number = static_cast<int>(adapter);
    D3DAdapterInfo working;
    if (FAILED(d3d->GetAdapterIdentifier(adapter, D3DENUM_WHQL_LEVEL, &working.identifier))) {
        GLog.printf("WARNING: FAILED GetAdapterIdentifier(...) on adapter #%i", number);
        return false;
    }
    GLog.printf("\t%s / Driver: %s", working.identifier.Description, working.identifier.Driver);
    if (FAILED(d3d->GetAdapterDisplayMode(adapter, &working.desktopMode))) {
        GLog.printf("WARNING: FAILED GetAdapterDisplayMode(...) on adapter #%i", number);
        return false;
    }

    TSArray<D3DFORMAT> modeFormats;
    modeFormats.Create(kModeFormatCount);
    for (int f = 0; f < kModeFormatCount; ++f) {
        modeFormats[f] = kModeFormats[f];
    }
    TDArray<D3DFORMAT> adapterFormats;
    adapterFormats.Add(working.desktopMode.Format);

    ModeList modes;
    modes.count = 0;
    for (int f = 0; f < modeFormats.Count(); ++f) {
        UINT available = d3d->GetAdapterModeCount(adapter, modeFormats[f]);
        for (UINT index = 0; index < available; ++index) {
            D3DDISPLAYMODE mode;
            krMemset(&mode, 0, sizeof mode);
            if (FAILED(d3d->EnumAdapterModes(adapter, modeFormats[f], index, &mode))) {
                GLog.printf("WARNING: Failed EnumAdapterModes(...) on adapter #%i", number);
                return false;
            }
            // Modes beyond the working list are ignored; refresh rates are left to the adapter.
            if (mode.Width < kMinModeWidth || mode.Height < kMinModeHeight ||
                modes.count == kMaxDisplayModes) {
                continue;
            }
            mode.RefreshRate = 0;
            modes.entries[modes.count++] = mode;
            if (!adapterFormats.Contains(mode.Format)) {
                adapterFormats.Add(mode.Format);
            }
        }
    }
    krQSort(modes.entries, modes.count, sizeof modes.entries[0], CompareModes);

    int deviceNumber = 0;
    for (D3DDEVTYPE type : kDeviceTypes) {
        D3DDeviceInfo& deviceInfo = working.devices[deviceNumber];
        deviceInfo.deviceType = type;
        if (FAILED(d3d->GetDeviceCaps(adapter, type, &deviceInfo.caps))) {
            GLog.printf("WARNING: FAILED GetDeviceCaps(...) on adapter #%i, device #%i", number,
                        deviceNumber);
            return false;
        }
        ScanCapabilities(deviceInfo);
        deviceInfo.name = DeviceTypeName(type);
        deviceInfo.numModes = 0;
        deviceInfo.currentMode = 0;
        deviceInfo.multiSampleType = D3DMULTISAMPLE_NONE;
        deviceInfo.windowed = false;

        TSArray<bool> confirmed;
        if (ConfirmFormats(&deviceInfo, &working, number, deviceNumber, adapterFormats,
                           confirmed) == 0) {
            GLog.printf("WARNING: Could not confirm any valid display modes on %s device of %s",
                        LogText(deviceInfo.name), working.identifier.Description);
        }
        unsigned int depthFormat = D3DFMT_UNKNOWN;
        if (UsingZBuffer() || UsingWBuffer()) {
            depthFormat = DepthFormatOfBits(DepthBufferBitDepth());
        }
        AddModeRecords(deviceInfo, modes, adapterFormats, confirmed, depthFormat);
        LogModeRecords(deviceInfo);
        deviceInfo.currentMode = DefaultMode(deviceInfo);
        deviceInfo.windowed = true;
        if (deviceInfo.numModes > 0) {
            ++working.numDevices;
            adapters[adapter] = working;
        }
        ++deviceNumber;
    }
    return true;
}
