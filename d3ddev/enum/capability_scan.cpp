// The capability scan: logs what the hardware device can do and records what the renderer
// later relies on (hardware vertex processing, filtering, texture and stream counts).
#include "d3d_ren_dev.h"
#include "format_names.h"
#include "log_text.h"

namespace {
const DWORD kVertexShader11 = D3DVS_VERSION(1, 1);
const DWORD kBumpMappingOps = D3DTEXOPCAPS_BUMPENVMAP | D3DTEXOPCAPS_BUMPENVMAPLUMINANCE;

bool Has(DWORD caps, DWORD flag) {
    return (caps & flag) != 0;
}

// One capability line in either of its two wordings.
void LogCapability(bool present, const char* whenPresent, const char* whenAbsent,
                   const char* type) {
    GLog.DebugPrintf(present ? whenPresent : whenAbsent, type);
}
}  // namespace

void KrD3DRenDev::ScanCapabilities(D3DDeviceInfo& deviceInfo) {
    const D3DCAPS9& caps = deviceInfo.caps;
    KrStringT<char> typeName = DeviceTypeName(caps.DeviceType);
    const char* type = LogText(typeName);

    deviceInfo.hardwareTnL = Has(caps.DevCaps, D3DDEVCAPS_HWTRANSFORMANDLIGHT);
    deviceInfo.hardwareVP = false;
    LogCapability(deviceInfo.hardwareTnL, "\t%s Device supports fixed function HW VP",
                  "\t%s Device does NOT support HWTnL", type);
    if (deviceInfo.hardwareTnL) {
        deviceInfo.hardwareVP = caps.VertexShaderVersion >= kVertexShader11;
        LogCapability(deviceInfo.hardwareVP, "\t%s Device supports programmable HW VP",
                      "\t%s Device does not support programmable HW VP", type);
        if (deviceInfo.hardwareVP && Has(caps.DevCaps, D3DDEVCAPS_PUREDEVICE)) {
            GLog.DebugPrintf("\t%s Device is Pure", type);
        }
    }
    LogCapability(Has(caps.SrcBlendCaps, D3DPBLENDCAPS_SRCALPHA),
                  "\t%s Device supports source alpha blending",
                  "\t%s Device does NOT support source alpha blending", type);
    LogCapability(Has(caps.DestBlendCaps, D3DPBLENDCAPS_INVSRCALPHA),
                  "\t%s Device supports destination inverse alpha blending",
                  "\t%s Device does NOT support destination inverse alpha blending", type);
    GLog.DebugPrintf("\tDevice supports a max of %i VS1_1 shader constants",
                     static_cast<int>(caps.MaxVertexShaderConst));

    // The filter flags only ever rise: one capable device is enough for the renderer to ask.
    bool minLinear = Has(caps.TextureFilterCaps, D3DPTFILTERCAPS_MINFLINEAR);
    bool magLinear = Has(caps.TextureFilterCaps, D3DPTFILTERCAPS_MAGFLINEAR);
    bool mipLinear = Has(caps.TextureFilterCaps, D3DPTFILTERCAPS_MIPFLINEAR);
    LogCapability(minLinear, "\t%s Device supports bilinear filtering on texture minification",
                  "\t%s Device does NOT support bilinear filtering on texture minification", type);
    LogCapability(magLinear, "\t%s Device supports bilinear filtering on texture magnification",
                  "\t%s Device dose NOT support bilinear filtering on texture magnification", type);
    LogCapability(mipLinear, "\t%s Device supports trilinear MIP map interpolation",
                  "\t%s Device does NOT support trilinear MIP map interpolation", type);
    if (minLinear) {
        linearMinFilter = 1;
    }
    if (magLinear) {
        linearMagFilter = 1;
    }
    if (mipLinear) {
        linearMipFilter = 1;
    }

    GLog.DebugPrintf("\t%s Device supports a max of %i active API lights", type,
                     static_cast<int>(caps.MaxActiveLights));
    simultaneousTextures = static_cast<int>(caps.MaxSimultaneousTextures);
    blendStages = static_cast<int>(caps.MaxTextureBlendStages);
    GLog.DebugPrintf("\t%s Device can bind up to %i textures simultaneously to %i blend stages",
                     type, simultaneousTextures, blendStages);
    texCoordSets = static_cast<int>(caps.FVFCaps & D3DFVFCAPS_TEXCOORDCOUNTMASK);
    GLog.DebugPrintf(
        "\t%s Device supports up to %i simultaneous texture coord sets when multi-texturing", type,
        texCoordSets);
    streamCount = static_cast<int>(caps.MaxStreams);
    GLog.DebugPrintf("\t%s Device supports up to %i simultaneous vertex streams", type,
                     streamCount);

    bool pow2Only = Has(caps.TextureCaps, D3DPTEXTURECAPS_POW2);
    nonPow2Textures = !pow2Only;
    LogCapability(
        pow2Only,
        "\t%s Device does NOT support non-power of 2 texture dimensions (exc. cube/volume)",
        "\t%s Device supports non-power of 2 texture dimensions (exc. cube/volume)", type);
    if (!Has(caps.TextureOpCaps, kBumpMappingOps)) {
        GLog.DebugPrintf("\t%s Device does NOT support bump mapping", type);
    }
}
