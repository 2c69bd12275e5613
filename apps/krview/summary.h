// What krview tells the person running it: the device it got, progress, and what it wrote.
#pragma once

#include <string>
#include <vector>

#include "frame_loop.h"
#include "krngn.h"

namespace krview {

// The adapter and mode the device selected (from its log), the drawing size and the number of
// resolutions it offers.
void PrintDeviceReport(KrRenderBase* render, const std::string& logPath);

// `safeMode`: whether the device set safe mode for the next start (it does so when the display
// could not be set up, not when its built-in effectors failed).
void PrintStartFailure(const std::string& logPath, const std::string& configPath, bool safeMode);

struct SceneOutcome {
    std::string name;
    FrameStats stats;
    std::string capture;  // empty when none was asked for or it failed
    bool captureFailed = false;
};

void PrintSummary(const std::vector<SceneOutcome>& scenes, const std::string& screenshot,
                  const std::string& logPath, int liveBlocks);

}  // namespace krview
