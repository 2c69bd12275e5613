// Start report, failure message and the closing summary.
#include "summary.h"

#include <cstdio>
#include <fstream>

namespace krview {
namespace {

std::string Trimmed(const std::string& line) {
    size_t first = line.find_first_not_of(" \t\r\n");
    size_t last = line.find_last_not_of(" \t\r\n");
    return first == std::string::npos ? std::string() : line.substr(first, last - first + 1);
}

}  // namespace

void PrintDeviceReport(KrRenderBase* render, const std::string& logPath) {
    // The device names its choice only in the log: the "Selected" line and the mode after it.
    std::ifstream log(logPath);
    std::string line, adapter, mode;
    while (std::getline(log, line)) {
        std::string text = Trimmed(line);
        if (text.compare(0, 9, "Selected ") == 0 && std::getline(log, line)) {
            adapter = text;
            mode = Trimmed(line);
        }
    }
    std::printf("krview: %s\n", adapter.empty() ? "adapter: (not in the log)" : adapter.c_str());
    if (!mode.empty()) {
        std::printf("krview: mode %s\n", mode.c_str());
    }
    std::printf("krview: drawing %ux%u %s, %d resolutions offered:", render->GetWidth(),
                render->GetHeight(), render->Windowed() ? "in a window" : "full screen",
                render->GetNumResolutions());
    for (int i = 0; i < render->GetNumResolutions(); ++i) {
        int width = 0, height = 0;
        render->GetResolution(i, width, height);
        std::printf(" %dx%d", width, height);
    }
    std::printf("\n");
    std::fflush(stdout);
}

void PrintStartFailure(const std::string& logPath, const std::string& configPath, bool safeMode) {
    std::fprintf(stderr, "krview: the rendering device could not start; the log %s says why.",
                 logPath.c_str());
    if (safeMode) {
        std::fprintf(stderr,
                     " Safe mode is set for the next start (Safe = 1 in %s): it will ask for "
                     "800x600.\n",
                     configPath.c_str());
    } else {
        std::fprintf(stderr, " Safe mode was not set: the display was not the problem.\n");
    }
}

void PrintSummary(const std::vector<SceneOutcome>& scenes, const std::string& screenshot,
                  const std::string& logPath, int liveBlocks) {
    std::printf("krview: summary\n");
    for (const SceneOutcome& scene : scenes) {
        const FrameStats& s = scene.stats;
        double mean = s.drawnFrames > 0 ? s.seconds / s.drawnFrames : 0.0;
        std::printf(
            "  %-9s %d frames (%d drawn), mean %.2f ms, worst %.2f ms, %.1f frames/s, "
            "%lld draws/frame\n",
            scene.name.c_str(), s.frames, s.drawnFrames, mean * 1000.0, s.worstSeconds * 1000.0,
            mean > 0.0 ? 1.0 / mean : 0.0, s.drawnFrames > 0 ? s.draws / s.drawnFrames : 0LL);
        if (s.toggles + s.resets + s.recoveries + s.failedChanges + s.lostFrames > 0) {
            std::printf(
                "            %d toggles, %d resets, %d refused, %d lost-device recoveries "
                "(%d frames waiting)\n",
                s.toggles, s.resets, s.failedChanges, s.recoveries, s.lostFrames);
        }
        const DrillStats& d = s.drill;
        if (d.switches > 0) {
            std::printf(
                "            loss drill: %d switches away, %d devices lost, %d recoveries drawn "
                "again identically; %d pictures differed, %d unreadable, %d times statics "
                "missing, %d times dynamics not re-made as before\n",
                d.switches, d.losses, d.verified, d.pictureMismatches, d.unreadable,
                d.staticMismatches, d.dynamicMismatches);
        }
        if (!scene.capture.empty()) {
            std::printf("            capture: %s%s\n", scene.capture.c_str(),
                        scene.captureFailed ? " (FAILED)" : "");
        }
        if (s.windowClosed) {
            std::printf("            the window was closed\n");
        }
    }
    if (!screenshot.empty()) {
        std::printf(
            "  device screenshot: %s (the front buffer; black where the driver cannot read "
            "it back)\n",
            screenshot.c_str());
    }
    std::printf("  log: %s\n", logPath.c_str());
    std::printf("  host live blocks at exit: %d\n", liveBlocks);
    std::fflush(stdout);
}

}  // namespace krview
