// The benchmarks. Each prints its rows and notes through ReportRow and ReportNote.
#pragma once

#include "running_device.h"

namespace krbench {

struct Options {
    int runs = 7;                // runs of each side; the median is reported
    double secondsPerRun = 0.4;  // how long one run of a side aims to take
};

// The window the draw benchmarks render into: small, so that filling pixels on the CPU does not
// hide the cost of the calls.
const int kSceneWidth = 800;
const int kSceneHeight = 600;
// The configuration of every device the benchmarks start: a window of the scene's size.
std::string SceneIni();

// Start-up: Init against raw creation of the same device, shaders and declarations. Makes and
// ends devices of its own, so it runs while no other device is running.
void StartUp(const Options& options);
// Frames of K small textured meshes on Wine's device, and the same draws against the null
// device, for the rendering device and a raw program.
void DrawScenes(krtest::RunningDevice& running, const Options& options);
// Texture look-ups by name and shader-cache hits against the number of cached entries.
void LookUps(krtest::RunningDevice& running, const Options& options);
// Index blocks appended to a streaming index buffer.
void IndexStreaming(krtest::RunningDevice& running, const Options& options);

}  // namespace krbench
