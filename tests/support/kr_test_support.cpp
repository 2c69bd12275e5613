#include "kr_test_support.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

namespace krtest {

std::vector<std::string> LogLines(int debug) {
    std::vector<std::string> lines;
    for (int i = 0; i < GLog.CapturedCount(); ++i)
        if (debug < 0 || GLog.CapturedIsDebug(i) == (debug == 1))
            lines.push_back(GLog.CapturedLine(i));
    return lines;
}

void ClearLog() {
    GLog.ClearCaptured();
}

std::string Join(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines)
        text += "  [" + line + "]\n";
    return text;
}

bool RealDevice::Create(int width, int height) {
    window.Create("kr test", width, height);
    d3d = Direct3DCreate9(D3D_SDK_VERSION);
    if (d3d == nullptr) {
        return false;
    }
    D3DPRESENT_PARAMETERS pp = {};
    pp.BackBufferWidth = static_cast<UINT>(width);
    pp.BackBufferHeight = static_cast<UINT>(height);
    pp.BackBufferFormat = D3DFMT_X8R8G8B8;
    pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
    pp.hDeviceWindow = window.Handle();
    pp.Windowed = TRUE;
    pp.EnableAutoDepthStencil = TRUE;
    pp.AutoDepthStencilFormat = D3DFMT_D24X8;
    return SUCCEEDED(d3d->CreateDevice(0, D3DDEVTYPE_HAL, window.Handle(),
                                       D3DCREATE_HARDWARE_VERTEXPROCESSING, &pp, &device));
}

void RealDevice::Release() {
    if (device != nullptr)
        device->Release();
    if (d3d != nullptr)
        d3d->Release();
    window.Destroy();
    device = nullptr, d3d = nullptr;
}

bool ReadBackBuffer(IDirect3DDevice9* device, std::vector<unsigned int>& pixels, int& width,
                    int& height) {
    IDirect3DSurface9* back = nullptr;
    if (device == nullptr || FAILED(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back))) {
        return false;
    }
    D3DSURFACE_DESC desc;
    back->GetDesc(&desc);
    IDirect3DSurface9* copy = nullptr;
    bool ok = SUCCEEDED(device->CreateOffscreenPlainSurface(desc.Width, desc.Height, desc.Format,
                                                            D3DPOOL_SYSTEMMEM, &copy, nullptr)) &&
              SUCCEEDED(device->GetRenderTargetData(back, copy));
    D3DLOCKED_RECT locked;
    if (ok && (ok = SUCCEEDED(copy->LockRect(&locked, nullptr, D3DLOCK_READONLY)))) {
        width = static_cast<int>(desc.Width), height = static_cast<int>(desc.Height);
        pixels.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
        for (int y = 0; y < height; ++y)
            std::memcpy(&pixels[static_cast<size_t>(y) * desc.Width],
                        static_cast<const char*>(locked.pBits) + y * locked.Pitch, desc.Width * 4);
        copy->UnlockRect();
    }
    if (copy != nullptr)
        copy->Release();
    back->Release();
    return ok;
}

bool ColourNear(unsigned int actual, unsigned int expected, int tolerance) {
    for (int shift = 0; shift <= 16; shift += 8)
        if (std::abs(static_cast<int>((actual >> shift) & 0xFF) -
                     static_cast<int>((expected >> shift) & 0xFF)) > tolerance)
            return false;
    return true;
}

std::string EngineSetUp::DefaultIni() {
    return "[Display]\nStartFullScreen=0\nWindowWidth=800\nWindowHeight=600\nScreenWidth=1024\n"
           "ScreenHeight=768\n\n[Engine]\nSafe=0\n\n[Render]\nUseZBuffer=1\nUseWBuffer=0\n"
           "DepthBufferBitDepth=24\n";
}

EngineSetUp::EngineSetUp(const std::string& iniText, const char* iniPath) : path_(iniPath) {
    WriteFile(path_, iniText);
    Engine().GetConfig()->Load(path_.c_str());
    Engine().SetApp(&app_);
    Engine().SetMediaDir(MediaRoot().c_str());
}

EngineSetUp::~EngineSetUp() {
    Engine().SetApp(nullptr);
    Engine().SetRender(nullptr);
    Engine().SetOSGUI(nullptr);
    Engine().GetConfig()->Clear();
    std::remove(path_.c_str());
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool WriteFile(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    return static_cast<bool>(out);
}

std::string MediaRoot() {
    const char* fromEnvironment = std::getenv("KR_MEDIA_ROOT");
    return fromEnvironment != nullptr ? fromEnvironment : "..\\..\\media";
}

}  // namespace krtest
