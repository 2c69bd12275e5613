// Loading of the rendering device plug-in and its two plain entry points.
#include "plugin.h"

namespace krview {

void KeepDllSearchToInstallFolders() {
    // SetDefaultDllDirectories is looked up rather than imported: Windows 7 without its loader
    // update lacks it, and an import that cannot be resolved would stop krview before main.
    // There SetDllDirectoryA("") is the fallback: it also takes the current folder out of the
    // search, but leaves the folders of PATH in, so it is only second best.
    typedef BOOL(WINAPI * SetDefaultDllDirectoriesFn)(DWORD);
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    SetDefaultDllDirectoriesFn setDefault =
        kernel != nullptr ? reinterpret_cast<SetDefaultDllDirectoriesFn>(reinterpret_cast<void*>(
                                GetProcAddress(kernel, "SetDefaultDllDirectories")))
                          : nullptr;
    if (setDefault == nullptr ||
        !setDefault(LOAD_LIBRARY_SEARCH_APPLICATION_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32)) {
        SetDllDirectoryA("");
    }
}

Plugin::~Plugin() {
    Unload();
}

bool Plugin::Load(const std::string& folder, const char* moduleName, std::string& error) {
    // A full path: a bare name would be searched for, and the search may reach folders that
    // krview was not installed in.
    std::string path = folder + "\\" + moduleName;
    module_ = LoadLibraryA(path.c_str());
    if (module_ == nullptr) {
        error = std::string("cannot load the rendering device ") + moduleName + " from " + folder +
                " (error " + std::to_string(GetLastError()) + ")";
        return false;
    }
    // GetProcAddress returns a generic function pointer; the cast through void* keeps GCC from
    // warning about the conversion between function types.
    get_ = reinterpret_cast<GetDeviceFn>(
        reinterpret_cast<void*>(GetProcAddress(module_, "fnGetRenderingDevice")));
    delete_ = reinterpret_cast<DeleteDeviceFn>(
        reinterpret_cast<void*>(GetProcAddress(module_, "fnDeleteRenderingDevice")));
    if (get_ == nullptr || delete_ == nullptr) {
        error = path + " does not export fnGetRenderingDevice and fnDeleteRenderingDevice";
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
