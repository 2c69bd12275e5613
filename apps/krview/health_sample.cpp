// Health samples for soak runs; tools/soak and the tests read these lines.
#include "health_sample.h"

#include <cstdio>

#include "device_probe.h"

namespace krview {

void PrintHealthSample(const char* scene, int frame, KrRenderBase* render) {
    DeviceReferences references = CountDeviceReferences(render);
    std::printf(
        "krview: sample %s frame %d: live blocks %d, device references %ld, Direct3D references "
        "%ld, log lines %lld\n",
        scene, frame, krLiveBlocks(), references.device, references.direct3d, GLog.LinesWritten());
    std::fflush(stdout);
}

}  // namespace krview
