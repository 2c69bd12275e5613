// Window captures.
#include "pictures.h"

#include <vector>

#include "png_writer.h"

namespace krview {

bool CaptureWindow(KrWindowBase& window, const std::string& path) {
    RECT client;
    if (window.Handle() == nullptr || !GetClientRect(window.Handle(), &client)) {
        return false;
    }
    int width = client.right - client.left;
    int height = client.bottom - client.top;
    if (width <= 0 || height <= 0) {
        return false;
    }
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * static_cast<size_t>(height));
    return window.CaptureClientPixels(pixels.data(), width, height) &&
           WritePng(path, pixels.data(), width, height);
}

std::string ScenePicturePath(const std::string& path, const std::string& scene,
                             bool severalScenes) {
    if (!severalScenes || path.empty()) {
        return path;
    }
    size_t slash = path.find_last_of("\\/");
    size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
        return path + "-" + scene;
    }
    return path.substr(0, dot) + "-" + scene + path.substr(dot);
}

}  // namespace krview
