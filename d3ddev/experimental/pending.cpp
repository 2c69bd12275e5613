// Placeholder until the experimental shading paths land (see README status table).
#include "d3d_ren_dev.h"

void KrD3DRenDev::NuDiffuse() {}
void KrD3DRenDev::NuDiffuseTex1() {}
void KrD3DRenDev::NuDiffuseTex1Unlit() {}
void KrD3DRenDev::NuRealDiffuseTex1Scroll(float) {}
void KrD3DRenDev::NuRealDiffuseTex1RotScale() {}
void KrD3DRenDev::NuRealDiffuseTex2() {}
void KrD3DRenDev::NuCheatEnvMapping() {}
void KrD3DRenDev::NuAlphaCheck() {}
void KrD3DRenDev::NuBumpMapping() {}
