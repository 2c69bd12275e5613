// The frame loop and device-loss recovery.
#include "frame_loop.h"

#include <windows.h>

#include <cstdio>

#include "health_sample.h"

namespace krview {
namespace {

// Direct3D's results for a device that is lost or waits for a reset, as EndRender passes them on.
const long kDeviceLost = static_cast<long>(0x88760868UL);
const long kDeviceNotReset = static_cast<long>(0x88760869UL);

double Now() {
    static LARGE_INTEGER frequency = {};
    if (frequency.QuadPart == 0) {
        QueryPerformanceFrequency(&frequency);
    }
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

bool Due(int every, int frame) {
    return every > 0 && frame > 0 && frame % every == 0;
}

}  // namespace

FrameStats FrameLoop::Play(Scene& scene) {
    FrameStats stats;
    KrRenderBase* render = session_.Render();
    KrApplication& app = session_.App();
    bool lost = false;
    double lastReport = Now();
    int framesAtReport = 0;
    long long drawsAtReport = 0;
    LossDrill drill(render, session_.Window().Handle(), options_.loseEvery);

    for (int frame = 0; frame < options_.frames; ++frame) {
        stats.frames = frame + 1;
        if (!session_.Window().PumpMessages()) {
            stats.windowClosed = true;
            break;
        }
        if (lost) {
            // A lost device comes back only through a reset, tried once a frame until it takes.
            if (!render->UpdateDimensions()) {
                ++stats.lostFrames;
                drill.WhileLost();
                Sleep(10);
                continue;
            }
            lost = false;
            ++stats.recoveries;
            GLog.WriteLine("krview: the lost device is back");
            drill.Recovered();
        }
        if (Due(options_.toggleEvery, frame)) {
            if (render->ToggleFullScreen(true)) {
                ++stats.toggles;
            } else {
                ++stats.failedChanges;
            }
        }
        if (Due(options_.resetEvery, frame)) {
            if (render->UpdateDimensions()) {
                ++stats.resets;
            } else {
                ++stats.failedChanges;
            }
        }

        double start = Now();
        int shown = drill.FrameToDraw(frame);
        scene.Animate(app, shown);
        long result = render->PreRender(ePreRenderClear);
        int draws = 0;
        if (result >= 0) {
            draws = scene.Draw(render, app, shown);
            drill.AfterDraw(shown);
        }
        result = render->EndRender();
        double took = Now() - start;
        if (result == kDeviceLost || result == kDeviceNotReset) {
            lost = true;
            GLog.WriteLine("krview: the device is lost, resetting it");
            drill.Lost();
            continue;
        }
        drill.AfterPresent(frame);
        if (Due(options_.sampleEvery, frame + 1)) {
            PrintHealthSample(scene.Name(), frame + 1, render);
        }
        ++stats.drawnFrames;
        stats.seconds += took;
        stats.draws += draws;
        if (took > stats.worstSeconds) {
            stats.worstSeconds = took;
        }

        double now = Now();
        if (now - lastReport >= 1.0) {
            int framesSince = stats.drawnFrames - framesAtReport;
            std::printf("krview: %s frame %d/%d, %.1f frames/s, %lld draws/frame\n", scene.Name(),
                        frame + 1, options_.frames, framesSince / (now - lastReport),
                        framesSince > 0 ? (stats.draws - drawsAtReport) / framesSince : 0LL);
            std::fflush(stdout);
            lastReport = now;
            framesAtReport = stats.drawnFrames;
            drawsAtReport = stats.draws;
        }
    }
    stats.drill = drill.Stats();
    // A scene that ends with the device lost leaves it recovered for the next one.
    for (int attempt = 0; lost && attempt < 200; ++attempt) {
        lost = !render->UpdateDimensions();
        if (lost) {
            Sleep(10);
        }
    }
    return stats;
}

}  // namespace krview
