// The rendering device plug-in, loaded by full path from krview's own folder.
#pragma once

#include <windows.h>

#include <string>

#include "krngn.h"

namespace krview {

// Takes the current folder (the media root, which players fill with downloaded files) out of the
// DLL search of the whole process: from here on only krview's folder and the system folders are
// searched.
void KeepDllSearchToInstallFolders();

class Plugin {
  public:
    Plugin() = default;
    ~Plugin();
    Plugin(const Plugin&) = delete;
    Plugin& operator=(const Plugin&) = delete;

    // Loads `folder`\`moduleName` and finds its two entry points; on failure `error` says which
    // step failed and names the folder.
    bool Load(const std::string& folder, const char* moduleName, std::string& error);
    KrRenderBase* CreateDevice();
    void DeleteDevice(KrRenderBase* device);
    void Unload();

  private:
    typedef KrRenderBase* (*GetDeviceFn)();
    typedef void (*DeleteDeviceFn)(KrRenderBase*);
    HMODULE module_ = nullptr;
    GetDeviceFn get_ = nullptr;
    DeleteDeviceFn delete_ = nullptr;
};

}  // namespace krview
