// Choosing and entering the media root.
#include "media_root.h"

#include <windows.h>

namespace krview {
namespace {

bool HoldsMediaSet(const std::string& folder) {
    std::string probe = folder + "\\Textures\\noshader.bmp";
    DWORD attributes = GetFileAttributesA(probe.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

}  // namespace

std::string ProgramFolder() {
    char path[MAX_PATH] = {};
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string text(path, length);
    size_t slash = text.find_last_of("\\/");
    return slash == std::string::npos ? std::string(".") : text.substr(0, slash);
}

std::string AbsolutePath(const std::string& path) {
    if (path.empty()) {
        return path;
    }
    char full[MAX_PATH] = {};
    DWORD length = GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr);
    if (length == 0 || length >= MAX_PATH) {
        return path;
    }
    return std::string(full, length);
}

std::string ChooseMediaRoot(const std::string& requested) {
    if (!requested.empty()) {
        return AbsolutePath(requested);
    }
    // The installed media beside krview.exe first (an unpacked package, started from anywhere),
    // then the current folder, then the media of the source tree beside the build's bin folder.
    for (const std::string& folder :
         {ProgramFolder() + "\\media", std::string("."), ProgramFolder() + "\\..\\..\\media"}) {
        if (HoldsMediaSet(folder)) {
            return AbsolutePath(folder);
        }
    }
    return AbsolutePath(".");
}

bool EnterMediaRoot(const std::string& root) {
    return SetCurrentDirectoryA(root.c_str()) != 0;
}

}  // namespace krview
