// The rendering device plug-in, loaded by name the way the engine loads it.
#pragma once

#include <windows.h>

#include <string>

#include "krngn.h"

namespace krview {

class Plugin {
  public:
    Plugin() = default;
    ~Plugin();
    Plugin(const Plugin&) = delete;
    Plugin& operator=(const Plugin&) = delete;

    // Loads the module and finds its two entry points; on failure `error` says which step failed.
    bool Load(const char* moduleName, std::string& error);
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
