// The engine around the rendering device: configuration, log, media dir, window, application with
// camera and lights, sprites, and the device's start and shut-down in the engine's order.
#pragma once

#include <string>

#include "krngn.h"
#include "options.h"
#include "plugin.h"

namespace krview {

class EngineSession {
  public:
    EngineSession() = default;
    ~EngineSession();
    EngineSession(const EngineSession&) = delete;
    EngineSession& operator=(const EngineSession&) = delete;

    // Configuration (created with working defaults when absent, then the command line's
    // presentation and size written into it), log, media dir, window and application.
    bool Prepare(const Options& options, std::string& error);
    // Gets the device from the plug-in, hands it the engine's objects and starts it. On failure
    // the device is already shut down and deleted again.
    bool StartDevice(Plugin& plugin);
    // Exit, deletion through the plug-in, and the engine's references dropped.
    void Shutdown(Plugin& plugin);

    KrRenderBase* Render() { return render_; }
    KrWindowBase& Window() { return window_; }
    KrApplication& App() { return app_; }
    KrSpriteDaemon& Sprites() { return sprites_; }
    const std::string& ConfigPath() const { return configPath_; }
    const std::string& LogPath() const { return logPath_; }
    int ConfigValue(const char* section, const char* key, int fallback);

  private:
    KrWindowBase window_;
    KrApplication app_;
    KrSpriteDaemon sprites_;
    KrRenderBase* render_ = nullptr;
    std::string configPath_;
    std::string logPath_;
};

}  // namespace krview
