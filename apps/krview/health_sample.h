// A health sample of a long run: what must stay flat while the same frames repeat.
#pragma once

#include "krngn.h"

namespace krview {

// Prints one line: host live blocks, the device's and the Direct3D object's reference counts
// (as their owners hold them) and the lines written to the log so far.
void PrintHealthSample(const char* scene, int frame, KrRenderBase* render);

}  // namespace krview
