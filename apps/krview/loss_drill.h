// The loss drill: krview plays the user who switches to another program and back. After every
// N-th frame it tells its window that the application lost the foreground (WM_ACTIVATEAPP FALSE),
// which makes a full-screen device lost at its next Present, and a few frames later that it has
// the foreground again (TRUE), after which the frame loop's recovery can reset the device. Each
// recovery is checked: the frame drawn just before the loss is drawn again and must read back the
// same, every static texture must be loaded again, and the dynamic textures made before the loss
// must have been unlinked (the scene makes as many again, no more).
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "krngn.h"

namespace krview {

struct DrillStats {
    int switches = 0;  // times krview gave up the foreground
    int losses = 0;    // of those, times the device was lost
    int verified = 0;  // recoveries whose replayed frame read back the same
    int pictureMismatches = 0;
    int staticMismatches = 0;        // recoveries after which fewer static textures were loaded
    int dynamicMismatches = 0;       // recoveries after which the dynamic cache was not as before
    int unreadable = 0;              // frames that could not be read back
    bool preparationFailed = false;  // the first reset was refused
    bool Failed() const {
        return pictureMismatches + staticMismatches + dynamicMismatches + unreadable > 0 ||
               losses < switches || preparationFailed;
    }
};

class LossDrill {
  public:
    LossDrill(KrRenderBase* render, HWND window, int every)
        : render_(render), window_(window), every_(every) {}
    bool Active() const { return every_ > 0; }
    // The frame to animate and draw: after a recovery the frame from before the loss once more.
    int FrameToDraw(int frame) const { return replaying_ ? referenceFrame_ : frame; }
    // After the draws of `frame`, before EndRender: keeps the picture of a frame that a switch
    // will follow, or compares the replayed frame with it.
    void AfterDraw(int frame);
    // After EndRender presented `frame`: gives up the foreground when due. After the first frame
    // it resets the device once, so that the pictures compared are all drawn by a device that
    // has been reset: the state cache keeps what it last sent while a reset puts Direct3D's
    // defaults back, so the first reset after the alpha states were sent changes what passes
    // with alpha blending draw (they become opaque), and later resets change nothing.
    void AfterPresent(int frame);
    // EndRender reported the device lost.
    void Lost();
    // Once for each frame spent waiting for a lost device: takes the foreground back after a few.
    void WhileLost();
    // The device is back: checks the caches, and the next frame is drawn as a replay.
    void Recovered();
    const DrillStats& Stats() const { return stats_; }

  private:
    void Activate(bool active);

    KrRenderBase* render_;
    HWND window_;
    int every_;
    bool away_ = false;
    int framesAway_ = 0;
    bool replaying_ = false;
    int referenceFrame_ = -1;
    std::vector<uint32_t> reference_;
    unsigned int width_ = 0, height_ = 0;
    int staticsBefore_ = 0;
    int dynamicsBefore_ = 0;
    DrillStats stats_;
};

}  // namespace krview
