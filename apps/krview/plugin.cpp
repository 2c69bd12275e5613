// Loading of the rendering device plug-in and its two plain entry points.
#include "plugin.h"

namespace krview {

Plugin::~Plugin() {
    Unload();
}

bool Plugin::Load(const char* moduleName, std::string& error) {
    module_ = LoadLibraryA(moduleName);
    if (module_ == nullptr) {
        error = std::string("cannot load ") + moduleName + " (error " +
                std::to_string(GetLastError()) + ")";
        return false;
    }
    // GetProcAddress returns a generic function pointer; the cast through void* keeps GCC from
    // warning about the conversion between function types.
    get_ = reinterpret_cast<GetDeviceFn>(
        reinterpret_cast<void*>(GetProcAddress(module_, "fnGetRenderingDevice")));
    delete_ = reinterpret_cast<DeleteDeviceFn>(
        reinterpret_cast<void*>(GetProcAddress(module_, "fnDeleteRenderingDevice")));
    if (get_ == nullptr || delete_ == nullptr) {
        error = std::string(moduleName) + " does not export fnGetRenderingDevice and " +
                "fnDeleteRenderingDevice";
        Unload();
        return false;
    }
    return true;
}

KrRenderBase* Plugin::CreateDevice() {
    return get_ != nullptr ? get_() : nullptr;
}

void Plugin::DeleteDevice(KrRenderBase* device) {
    if (delete_ != nullptr) {
        delete_(device);
    }
}

void Plugin::Unload() {
    if (module_ != nullptr) {
        FreeLibrary(module_);
    }
    module_ = nullptr;
    get_ = nullptr;
    delete_ = nullptr;
}

}  // namespace krview
