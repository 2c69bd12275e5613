// Shared helpers of the test programs: the captured log, a real Direct3D device on Wine's adapter,
// back-buffer read-back, and the engine set-up a device expects.
#pragma once

#include <d3d9.h>

#include <string>
#include <vector>

#include "krngn.h"

namespace krtest {

// The log lines captured since the last ClearLog (every test program captures from the start);
// with a kind, only the debug lines (true) or only the others (false).
std::vector<std::string> LogLines(int debug = -1);
void ClearLog();
// Joined for a readable failure message.
std::string Join(const std::vector<std::string>& lines);

// A real windowed device on adapter 0 (HAL, hardware vertex processing, X8R8G8B8, D24X8 depth).
// Null when Direct3D cannot make one; the caller releases both objects.
struct RealDevice {
    IDirect3D9* d3d = nullptr;
    IDirect3DDevice9* device = nullptr;
    KrWindowBase window;
    bool Create(int width = 800, int height = 600);
    // Releases the device and the Direct3D object and destroys the window.
    void Release();
};

// Reads the whole back buffer of swap chain 0 as 0xAARRGGBB pixels, rows top down.
bool ReadBackBuffer(IDirect3DDevice9* device, std::vector<unsigned int>& pixels, int& width,
                    int& height);
// True when every channel of two 0x00RRGGBB colours differs by at most `tolerance`.
bool ColourNear(unsigned int actual, unsigned int expected, int tolerance);

// The engine as a device expects it: a configuration file (written fresh with the given INI
// text), an application with a camera, and the media root. Restored by the destructor.
class EngineSetUp {
  public:
    explicit EngineSetUp(const std::string& iniText = DefaultIni(),
                         const char* iniPath = "test.ini");
    ~EngineSetUp();
    static std::string DefaultIni();
    KrApplication& App() { return app_; }
    const std::string& IniPath() const { return path_; }

  private:
    std::string path_;
    KrApplication app_;
};

// The text of a file, or empty.
std::string ReadFile(const std::string& path);
bool WriteFile(const std::string& path, const std::string& text);
// The media root of the project, relative to the test programs' folder (build/bin).
std::string MediaRoot();

}  // namespace krtest
