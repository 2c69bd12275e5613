// krview: the engine's main program. Loads the rendering device plug-in from its own folder, drives
// it through the engine's rendering interface only, plays the scenes, and says what it wrote.
#include <windows.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "engine_session.h"
#include "frame_loop.h"
#include "krngn.h"
#include "media_root.h"
#include "options.h"
#include "pictures.h"
#include "plugin.h"
#include "scene.h"
#include "summary.h"

namespace {

const int kExitDone = 0;
const int kExitSceneFailed = 1;
const int kExitDeviceFailed = 2;
const int kExitUsage = 64;

std::vector<std::unique_ptr<krview::Scene>> ScenesFor(const krview::Options& options) {
    std::vector<std::unique_ptr<krview::Scene>> scenes;
    if (options.scene == "builtins" || options.scene == "all") {
        scenes.push_back(krview::MakeBuiltinsScene());
    }
    if (options.scene == "paths" || options.scene == "all") {
        scenes.push_back(krview::MakePathsScene());
    }
    if (options.scene == "stress" || options.scene == "all") {
        scenes.push_back(krview::MakeStressScene(options.objects));
    }
    return scenes;
}

// Plays every scene on a started device; the screenshot is taken of the very last frame.
int PlayScenes(krview::EngineSession& session, const krview::Options& options,
               std::vector<krview::SceneOutcome>& outcomes) {
    int code = kExitDone;
    KrRenderBase* render = session.Render();
    std::vector<std::unique_ptr<krview::Scene>> scenes = ScenesFor(options);
    for (size_t i = 0; i < scenes.size(); ++i) {
        krview::Scene& scene = *scenes[i];
        krview::SceneOutcome outcome;
        outcome.name = scene.Name();
        std::printf("krview: scene %s, %d frames\n", scene.Name(), options.frames);
        std::fflush(stdout);
        if (!scene.Create(render, session.App())) {
            std::fprintf(stderr,
                         "krview: scene %s could not get its buffers, textures or "
                         "effectors from the device (see the log)\n",
                         scene.Name());
            scene.Destroy(render);
            code = kExitSceneFailed;
            continue;
        }
        render->SetDeviceObject(&scene);
        krview::FrameLoop loop(session, options);
        outcome.stats = loop.Play(scene);
        if (outcome.stats.drill.Failed()) {
            code = kExitSceneFailed;
        }
        if (!options.capture.empty()) {
            outcome.capture =
                krview::ScenePicturePath(options.capture, scene.Name(), scenes.size() > 1);
            outcome.captureFailed = !krview::CaptureWindow(session.Window(), outcome.capture);
        }
        bool last = i + 1 == scenes.size() || outcome.stats.windowClosed;
        if (last && !options.screenshot.empty()) {
            render->takeScreenshot(KrStringT<char>(options.screenshot.c_str()));
        }
        render->SetDeviceObject(nullptr);
        scene.Destroy(render);
        outcomes.push_back(outcome);
        if (outcome.stats.windowClosed) {
            break;
        }
    }
    return code;
}

}  // namespace

int main(int argc, char** argv) {
    // A fault ends krview with one line and exit code 70 instead of a dialog nobody closes.
    krInstallCrashReport();
    // Before any DLL is loaded: the media root, made the current folder below, holds files from
    // anywhere, and no code may come from there.
    krview::KeepDllSearchToInstallFolders();
    krview::Options options;
    std::string error;
    if (!krview::ParseOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return kExitUsage;
    }
    if (options.help) {
        std::printf("%s", krview::UsageText());
        return kExitDone;
    }
    // Output names are the caller's, relative to where krview was started, not to the media root.
    options.config = krview::AbsolutePath(options.config);
    options.log = krview::AbsolutePath(options.log);
    options.screenshot = krview::AbsolutePath(options.screenshot);
    options.capture = krview::AbsolutePath(options.capture);
    std::string media = krview::ChooseMediaRoot(options.media);
    if (!krview::EnterMediaRoot(media)) {
        std::fprintf(stderr, "krview: option --media: cannot enter %s\n", media.c_str());
        return kExitUsage;
    }

    krview::Plugin plugin;
    int code = kExitDone;
    std::vector<krview::SceneOutcome> outcomes;
    bool started = false;
    {
        krview::EngineSession session;
        if (!session.Prepare(options, error)) {
            std::fprintf(stderr, "krview: %s\n", error.c_str());
            return kExitDeviceFailed;
        }
        std::printf("krview: media root %s\n", media.c_str());
        if (!plugin.Load(krview::ProgramFolder(), "D3DDev.dll", error)) {
            std::fprintf(stderr, "krview: %s\n", error.c_str());
            return kExitDeviceFailed;
        }
        started = session.StartDevice(plugin);
        if (!started) {
            krview::PrintStartFailure(options.log, options.config,
                                      session.ConfigValue("Engine", "Safe", 0) > 0);
            code = kExitDeviceFailed;
        } else {
            krview::PrintDeviceReport(session.Render(), options.log);
            code = PlayScenes(session, options, outcomes);
            session.Shutdown(plugin);
        }
    }
    plugin.Unload();
    int liveBlocks = krLiveBlocks();
    if (started) {
        krview::PrintSummary(outcomes, options.screenshot, options.log, liveBlocks);
    }
    GLog.printf("krview: host live blocks at exit: %d", liveBlocks);
    GLog.Close();
    return code;
}
