// Names of Direct3D values as the enumeration, the device creation and the texture manager log
// them.
#include "format_names.h"

namespace {
struct FormatEntry {
    D3DFORMAT format;
    const char* name;
};

const FormatEntry kFormatNames[] = {
    {D3DFMT_UNKNOWN, "D3DFMT_UNKNOWN"},
    {D3DFMT_R8G8B8, "D3DFMT_R8G8B8"},
    {D3DFMT_A8R8G8B8, "D3DFMT_A8R8G8B8"},
    {D3DFMT_X8R8G8B8, "D3DFMT_X8R8G8B8"},
    {D3DFMT_R5G6B5, "D3DFMT_R5G6B5"},
    {D3DFMT_X1R5G5B5, "D3DFMT_X1R5G5B5"},
    {D3DFMT_A1R5G5B5, "D3DFMT_A1R5G5B5"},
    {D3DFMT_A4R4G4B4, "D3DFMT_A4R4G4B4"},
    {D3DFMT_R3G3B2, "D3DFMT_R3G3B2"},
    {D3DFMT_A8, "D3DFMT_A8"},
    {D3DFMT_A8R3G3B2, "D3DFMT_A8R3G3B2"},
    {D3DFMT_X4R4G4B4, "D3DFMT_X4R4G4B4"},
    {D3DFMT_A8P8, "D3DFMT_A8P8"},
    {D3DFMT_P8, "D3DFMT_P8"},
    {D3DFMT_L8, "D3DFMT_L8"},
    {D3DFMT_A8L8, "D3DFMT_A8L8"},
    {D3DFMT_A4L4, "D3DFMT_A4L4"},
    {D3DFMT_V8U8, "D3DFMT_V8U8"},
    {D3DFMT_L6V5U5, "D3DFMT_L6V5U5"},
    {D3DFMT_X8L8V8U8, "D3DFMT_X8L8V8U8"},
    {D3DFMT_Q8W8V8U8, "D3DFMT_Q8W8V8U8"},
    {D3DFMT_V16U16, "D3DFMT_V16U16"},
    {D3DFMT_D16_LOCKABLE, "D3DFMT_D16_LOCKABLE"},
    {D3DFMT_D32, "D3DFMT_D32"},
    {D3DFMT_D15S1, "D3DFMT_D15S1"},
    {D3DFMT_D24S8, "D3DFMT_D24S8"},
    {D3DFMT_D24X8, "D3DFMT_D24X8"},
    {D3DFMT_D24X4S4, "D3DFMT_D24X4S4"},
    {D3DFMT_D16, "D3DFMT_D16"},
    {D3DFMT_VERTEXDATA, "D3DFMT_VERTEXDATA"},
    {D3DFMT_INDEX16, "D3DFMT_INDEX16"},
    {D3DFMT_INDEX32, "D3DFMT_INDEX32"},
    {D3DFMT_UYVY, "D3DFMT_UYVY"},
    {D3DFMT_YUY2, "D3DFMT_YUY2"},
    {D3DFMT_DXT1, "D3DFMT_DXT1"},
    {D3DFMT_DXT2, "D3DFMT_DXT2"},
    {D3DFMT_DXT3, "D3DFMT_DXT3"},
    {D3DFMT_DXT4, "D3DFMT_DXT4"},
    {D3DFMT_DXT5, "D3DFMT_DXT5"},
};

struct FlagToken {
    unsigned long flag;
    const char* token;
};

// The order of the tokens in the text, which is not the order of the flag values.
const FlagToken kBehaviorTokens[] = {
    {D3DCREATE_FPU_PRESERVE, "-FPU_PRESERVE-"},
    {D3DCREATE_HARDWARE_VERTEXPROCESSING, "-HW_VP-"},
    {D3DCREATE_MIXED_VERTEXPROCESSING, "-MIXED_VP-"},
    {D3DCREATE_MULTITHREADED, "-MULTITHREADED-"},
    {D3DCREATE_PUREDEVICE, "-PURE-"},
    {D3DCREATE_SOFTWARE_VERTEXPROCESSING, "-SW_VP-"},
};

// Only the vertex-processing and threading flags of the low byte have a token.
const unsigned long kNamedBehaviorBits = 0xFF;
}  // namespace

D3DDEV_API KrStringT<char> FormatName(D3DFORMAT format) {
    for (const FormatEntry& entry : kFormatNames) {
        if (entry.format == format) {
            return KrStringT<char>(entry.name);
        }
    }
    return KrStringT<char>("INVALID_FORMAT");
}

D3DDEV_API KrStringT<char> BehaviorFlagsText(unsigned long flags) {
    KrStringT<char> text;
    for (const FlagToken& entry : kBehaviorTokens) {
        if ((flags & kNamedBehaviorBits & entry.flag) != 0) {
            text += KrStringT<char>(entry.token);
        }
    }
    return text;
}

D3DDEV_API KrStringT<char> DeviceTypeName(D3DDEVTYPE type) {
    switch (type) {
        case D3DDEVTYPE_HAL:
            return KrStringT<char>("HAL");
        case D3DDEVTYPE_REF:
            return KrStringT<char>("REF");
        case D3DDEVTYPE_SW:
            return KrStringT<char>("SW");
        default:
            return KrStringT<char>("UNKNOWN");
    }
}
