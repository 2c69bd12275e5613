// The engine's frame loop: animate, PreRender, draw, EndRender; window changes on request; and
// recovery of a lost device.
#pragma once

#include "engine_session.h"
#include "loss_drill.h"
#include "options.h"
#include "scene.h"

namespace krview {

struct FrameStats {
    int frames = 0;        // frames run, drawn or not
    int drawnFrames = 0;   // frames presented
    double seconds = 0.0;  // time of the drawn frames
    double worstSeconds = 0.0;
    long long draws = 0;
    int lostFrames = 0;     // frames spent waiting for a lost device to come back
    int recoveries = 0;     // lost devices brought back with UpdateDimensions
    int toggles = 0;        // successful switches between window and full screen
    int resets = 0;         // successful requested resets
    int failedChanges = 0;  // toggles or resets the device refused
    bool windowClosed = false;
    DrillStats drill;  // the loss drill's figures, when it ran
};

class FrameLoop {
  public:
    FrameLoop(EngineSession& session, const Options& options)
        : session_(session), options_(options) {}
    // Plays `scene` for the configured number of frames, printing progress about once a second.
    FrameStats Play(Scene& scene);

  private:
    EngineSession& session_;
    const Options& options_;
};

}  // namespace krview
