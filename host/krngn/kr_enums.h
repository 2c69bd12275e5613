// Engine enumerations that cross the boundary to the rendering device.
#pragma once

enum eTextureType { eTexStatic = 1, eTexDynamic = 2 };
enum eMemPool { eMemDefault = 1, eMemSystem = 2, eMemManaged = 3 };
enum eResUsage { eUsageStatic = 0, eUsageDynamic = 1 };
enum eIDXFormat { eIDX16 = 101, eIDX32 = 102 };
enum eLockResult { eLockFailed = 0, eLockAppended = 1, eLockDiscarded = 2 };
enum eFXRep { eFXRepQ3A = 1 };
enum ePreRenderClearFlag { ePreRenderNoClear = 0, ePreRenderClear = 1 };
enum ePolyCullMode { eCullUnset = 0, eCullNone = 1, eCullCCW = 2 };
// Direct3D format values, passed through unchanged.
enum eResFormat {
    eResFmtUnknown = 0,
    eResFmtA8R8G8B8 = 21,
    eResFmtX8R8G8B8 = 22,
    eResFmtR5G6B5 = 23,
    eResFmtA4R4G4B4 = 26
};
enum eFontFormatFlags { eFontLeft = 0, eFontCentre = 1 };
