// Pictures of a frame: the window as the screen shows it (PNG), and the device's own screenshot.
#pragma once

#include <string>

#include "krngn.h"

namespace krview {

// The client area of the engine window, read from the screen, written as PNG. The device's
// screenshot reads the front buffer, which some drivers hand back black; the screen does not.
bool CaptureWindow(KrWindowBase& window, const std::string& path);

// The capture path of one scene: with several scenes the scene's name goes before the extension.
std::string ScenePicturePath(const std::string& path, const std::string& scene, bool severalScenes);

}  // namespace krview
