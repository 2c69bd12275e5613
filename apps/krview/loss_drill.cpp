// Switching away and back, and the checks of each recovery.
#include "loss_drill.h"

#include <cstdio>
#include <cstdlib>

#include "device_probe.h"

namespace krview {
namespace {

// Frames spent away before krview takes the foreground back; the recovery loop tries (and
// fails) to reset the device in each of them.
const int kFramesAway = 3;
// Rasterisation of the same frame is repeatable; a channel may differ by this much at most.
const int kChannelTolerance = 2;

// Where two pictures of one size differ by more than the tolerance: how many pixels, in which box.
struct Difference {
    size_t pixels = 0;
    unsigned int left = ~0u, top = ~0u, right = 0, bottom = 0;
};

Difference Compare(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b,
                   unsigned int width) {
    Difference d;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i) {
        for (int shift = 0; shift <= 16; shift += 8) {
            int channel =
                static_cast<int>((a[i] >> shift) & 0xFF) - static_cast<int>((b[i] >> shift) & 0xFF);
            if (std::abs(channel) > kChannelTolerance) {
                unsigned int x = static_cast<unsigned int>(i % width);
                unsigned int y = static_cast<unsigned int>(i / width);
                ++d.pixels;
                d.left = x < d.left ? x : d.left;
                d.top = y < d.top ? y : d.top;
                d.right = x > d.right ? x : d.right;
                d.bottom = y > d.bottom ? y : d.bottom;
                break;
            }
        }
    }
    return d;
}

// The picture of the render target as it is now, or an empty one.
bool ReadFrame(KrRenderBase* render, std::vector<uint32_t>& pixels, unsigned int& width,
               unsigned int& height) {
    IDirect3DDevice9* device = BorrowDirect3DDevice(render);
    bool ok = ReadRenderTarget(device, pixels, width, height);
    if (device != nullptr) {
        device->Release();
    }
    return ok;
}

}  // namespace

void LossDrill::Activate(bool active) {
    SendMessageA(window_, WM_ACTIVATEAPP, active ? TRUE : FALSE, 0);
}

void LossDrill::AfterDraw(int frame) {
    if (!Active()) {
        return;
    }
    if (replaying_) {
        replaying_ = false;
        std::vector<uint32_t> again;
        unsigned int width = 0, height = 0;
        if (!ReadFrame(render_, again, width, height)) {
            ++stats_.unreadable;
            return;
        }
        Difference d = Compare(reference_, again, width);
        if (width != width_ || height != height_ || d.pixels > 0) {
            ++stats_.pictureMismatches;
            std::fprintf(stderr,
                         "krview: loss drill: frame %d drawn after the recovery (%ux%u) differs "
                         "from before the loss (%ux%u) in %zu pixels within (%u, %u)-(%u, %u)\n",
                         frame, width, height, width_, height_, d.pixels, d.left, d.top, d.right,
                         d.bottom);
        } else {
            ++stats_.verified;
        }
        return;
    }
    if (frame > 0 && frame % every_ == 0 && !away_) {
        referenceFrame_ = frame;
        if (!ReadFrame(render_, reference_, width_, height_)) {
            ++stats_.unreadable;
            referenceFrame_ = -1;
        }
    }
}

void LossDrill::AfterPresent(int frame) {
    if (!Active()) {
        return;
    }
    if (frame == 0 && !render_->UpdateDimensions()) {
        stats_.preparationFailed = true;
    }
    if (away_) {
        // Still presenting while away: this device is not one that gets lost (a window).
        Activate(true);
        away_ = false;
        referenceFrame_ = -1;
        return;
    }
    if (referenceFrame_ == frame) {
        staticsBefore_ = LoadedStaticTextures(render_);
        dynamicsBefore_ = DynamicTextures(render_);
        ++stats_.switches;
        away_ = true;
        framesAway_ = 0;
        Activate(false);
    }
}

void LossDrill::Lost() {
    if (Active() && away_) {
        ++stats_.losses;
    }
}

void LossDrill::WhileLost() {
    if (Active() && away_ && ++framesAway_ >= kFramesAway) {
        away_ = false;
        Activate(true);
    }
}

void LossDrill::Recovered() {
    if (!Active() || referenceFrame_ < 0) {
        return;
    }
    const int statics = LoadedStaticTextures(render_);
    if (statics < staticsBefore_) {
        ++stats_.staticMismatches;
        std::fprintf(stderr,
                     "krview: loss drill: %d static textures loaded after the recovery, "
                     "%d before the loss\n",
                     statics, staticsBefore_);
    }
    const int dynamics = DynamicTextures(render_);
    if (dynamics != dynamicsBefore_) {
        ++stats_.dynamicMismatches;
        std::fprintf(stderr,
                     "krview: loss drill: %d dynamic textures after the recovery, %d "
                     "before the loss\n",
                     dynamics, dynamicsBefore_);
    }
    replaying_ = true;
}

}  // namespace krview
