// Start-up and shut-down of the engine and its rendering device.
#include "engine_session.h"

#include <cstdio>

namespace krview {
namespace {

// What a first start needs: the device reads these keys without defaults of its own.
const char kDefaultConfig[] =
    "[Display]\nStartFullScreen=0\nWindowWidth=800\nWindowHeight=600\nScreenWidth=1024\n"
    "ScreenHeight=768\n\n[Engine]\nSafe=0\n\n[Render]\nUseZBuffer=1\nUseWBuffer=0\n"
    "DepthBufferBitDepth=24\n";

bool FileExists(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool WriteText(const std::string& path, const char* text) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) {
        return false;
    }
    bool ok = std::fputs(text, f) >= 0;
    return std::fclose(f) == 0 && ok;
}

void SetConfig(const char* section, const char* key, int value) {
    Engine().GetConfig()->SetInteger(KrStringT<char>(section), KrStringT<char>(key), value);
}

}  // namespace

EngineSession::~EngineSession() {
    Engine().SetRender(nullptr);
    Engine().SetApp(nullptr);
    Engine().SetOSGUI(nullptr);
    Engine().GetConfig()->Clear();
    window_.Destroy();
}

int EngineSession::ConfigValue(const char* section, const char* key, int fallback) {
    int value = fallback;
    if (!Engine().GetConfig()->GetInteger(KrStringT<char>(section), KrStringT<char>(key), value)) {
        return fallback;
    }
    return value;
}

bool EngineSession::Prepare(const Options& options, std::string& error) {
    configPath_ = options.config;
    logPath_ = options.log;
    if (!FileExists(configPath_) && !WriteText(configPath_, kDefaultConfig)) {
        error = "cannot create the configuration " + configPath_;
        return false;
    }
    if (!Engine().GetConfig()->Load(configPath_.c_str())) {
        error = "cannot read the configuration " + configPath_;
        return false;
    }
    if (!GLog.Open(logPath_.c_str())) {
        error = "cannot open the log " + logPath_;
        return false;
    }
    GLog.WriteLine("krview: engine starting");
    Engine().SetMediaDir(".");

    if (options.fullScreen >= 0) {
        SetConfig("Display", "StartFullScreen", options.fullScreen);
    }
    bool fullScreen = ConfigValue("Display", "StartFullScreen", 0) != 0;
    if (options.width > 0) {
        SetConfig("Display", fullScreen ? "ScreenWidth" : "WindowWidth", options.width);
        SetConfig("Display", fullScreen ? "ScreenHeight" : "WindowHeight", options.height);
    }

    // The window starts at the size the device will pick: in safe mode that is 800x600.
    int width = ConfigValue("Display", "WindowWidth", 800);
    int height = ConfigValue("Display", "WindowHeight", 600);
    if (ConfigValue("Engine", "Safe", 0) > 0) {
        width = 800;
        height = 600;
    }
    if (!window_.Create("krview", width, height)) {
        error = "cannot create the engine window";
        return false;
    }
    Engine().SetOSGUI(&window_);
    app_.Camera()->LookAt(KrVector(0.0f, 60.0f, -140.0f), KrVector(0.0f, 0.0f, 0.0f));
    // One light for the lit effector; the scenes move it.
    app_.Lights()->AddLight(KrVector(0.0f, 30.0f, 0.0f), 120.0f);
    Engine().SetApp(&app_);
    return true;
}

bool EngineSession::StartDevice(Plugin& plugin) {
    render_ = plugin.CreateDevice();
    if (render_ == nullptr) {
        GLog.WriteLine("krview: the plug-in gave no rendering device");
        return false;
    }
    render_->ParentHandle() = window_.Handle();
    render_->WindowStyle() = window_.Style();
    // A full-screen start places the window over the screen size the configuration asks for.
    RECT client = {0, 0, 0, 0};
    GetClientRect(window_.Handle(), &client);
    if (ConfigValue("Display", "StartFullScreen", 0) != 0) {
        client.right = ConfigValue("Display", "ScreenWidth", client.right);
        client.bottom = ConfigValue("Display", "ScreenHeight", client.bottom);
    }
    render_->SetClientArea(client);
    render_->SetLightMgr(app_.Lights());
    render_->SetSpriteDaemon(&sprites_);
    Engine().SetRender(render_);
    if (!render_->Init()) {
        Shutdown(plugin);
        return false;
    }
    return true;
}

void EngineSession::Shutdown(Plugin& plugin) {
    if (render_ == nullptr) {
        return;
    }
    render_->Exit();
    plugin.DeleteDevice(render_);
    render_ = nullptr;
    Engine().SetRender(nullptr);
}

}  // namespace krview
