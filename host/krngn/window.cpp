// The engine's Win32 window, its placement for window and full-screen presentation, and a capture
// of what the screen shows of it (through GDI, which sees the real pixels under Wine too).
#include "krngn.h"

#include <cstdio>
#include <vector>

namespace {
const char* kWindowClass = "KrEngineWindow";

bool RegisterWindowClass(WNDPROC proc) {
    static bool registered = false;
    if (registered) {
        return true;
    }
    WNDCLASSA wc = {};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.lpszClassName = kWindowClass;
    // Another copy of the engine in this process may have registered the class already.
    registered = RegisterClassA(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    return registered;
}
}  // namespace

KrWindowBase::KrWindowBase()
    : hwnd_(nullptr), width_(0), height_(0), placements_(0), closed_(false) {}

KrWindowBase::~KrWindowBase() {
    Destroy();
}

LRESULT CALLBACK KrWindowBase::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    KrWindowBase* self = reinterpret_cast<KrWindowBase*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (message == WM_CLOSE && self != nullptr) {
        self->closed_ = true;
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

bool KrWindowBase::Create(const char* title, int width, int height) {
    if (hwnd_ != nullptr) {
        return true;
    }
    if (!RegisterWindowClass(&KrWindowBase::WindowProc)) {
        GLog.printf("WARNING: Could not register the engine window class (%i)",
                    static_cast<int>(GetLastError()));
        return false;
    }
    RECT rect = {0, 0, width, height};
    DWORD style = WS_OVERLAPPEDWINDOW | WS_VISIBLE;
    AdjustWindowRect(&rect, style, FALSE);
    hwnd_ = CreateWindowExA(0, kWindowClass, title != nullptr ? title : "Kr", style, 0, 0,
                            rect.right - rect.left, rect.bottom - rect.top, nullptr, nullptr,
                            GetModuleHandleA(nullptr), nullptr);
    if (hwnd_ == nullptr) {
        GLog.printf("WARNING: Could not create the engine window (%i)",
                    static_cast<int>(GetLastError()));
        return false;
    }
    SetWindowLongPtrA(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    width_ = width;
    height_ = height;
    ShowWindow(hwnd_, SW_SHOW);
    UpdateWindow(hwnd_);
    PumpMessages();
    return true;
}

void KrWindowBase::Destroy() {
    if (hwnd_ != nullptr) {
        DestroyWindow(hwnd_);
        hwnd_ = nullptr;
    }
}

unsigned long KrWindowBase::Style() const {
    return hwnd_ != nullptr ? static_cast<unsigned long>(GetWindowLongA(hwnd_, GWL_STYLE)) : 0;
}

bool KrWindowBase::PumpMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return !closed_;
}

void KrWindowBase::PlaceWindow(HWND hwnd, RECT* rectangle) {
    if (hwnd == nullptr) {
        return;
    }
    ++placements_;
    if (rectangle != nullptr) {
        SetWindowPos(hwnd, HWND_TOP, rectangle->left, rectangle->top,
                     rectangle->right - rectangle->left, rectangle->bottom - rectangle->top,
                     SWP_SHOWWINDOW | SWP_FRAMECHANGED);
    } else {
        // Back to a window: the saved position, and a client area of the window's own size. A
        // window the engine did not create here takes the device's client area instead.
        KrRenderBase* render = Engine().Render();
        int x = render != nullptr ? render->WindowX() : 0;
        int y = render != nullptr ? render->WindowY() : 0;
        RECT rect = {0, 0, width_, height_};
        if (hwnd != hwnd_ || width_ <= 0 || height_ <= 0) {
            RECT client = render != nullptr ? render->GetClientArea() : RECT{0, 0, 0, 0};
            rect = {0, 0, client.right - client.left, client.bottom - client.top};
        }
        UINT flags = SWP_SHOWWINDOW | SWP_FRAMECHANGED;
        if (rect.right <= 0 || rect.bottom <= 0) {
            flags |= SWP_NOSIZE;
        }
        AdjustWindowRect(&rect, static_cast<DWORD>(GetWindowLongA(hwnd, GWL_STYLE)), FALSE);
        SetWindowPos(hwnd, HWND_NOTOPMOST, x, y, rect.right - rect.left, rect.bottom - rect.top,
                     flags);
    }
    PumpMessages();
}

bool KrWindowBase::CaptureClientPixels(unsigned int* pixels, int width, int height) {
    if (hwnd_ == nullptr || pixels == nullptr || width <= 0 || height <= 0) {
        return false;
    }
    // What was drawn into the window may still sit in its own surface: Wine hands window surfaces
    // to the screen only when the thread's message queue runs dry, and the capture reads the
    // screen.
    GdiFlush();
    PumpMessages();
    POINT origin = {0, 0};
    ClientToScreen(hwnd_, &origin);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool ok = bitmap != nullptr;
    if (ok) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        ok = BitBlt(memory, 0, 0, width, height, screen, origin.x, origin.y,
                    SRCCOPY | CAPTUREBLT) != 0;
        GdiFlush();
        if (ok) {
            const unsigned int* source = static_cast<const unsigned int*>(bits);
            for (int i = 0; i < width * height; ++i) {
                pixels[i] = source[i] & 0x00FFFFFFu;
            }
        }
        SelectObject(memory, old);
        DeleteObject(bitmap);
    }
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    if (!ok) {
        GLog.printf("WARNING: Could not capture the engine window (%i)",
                    static_cast<int>(GetLastError()));
    }
    return ok;
}

bool KrWindowBase::CaptureClientArea(const char* bmpPath) {
    RECT client;
    if (hwnd_ == nullptr || bmpPath == nullptr || !GetClientRect(hwnd_, &client)) {
        return false;
    }
    int width = client.right - client.left;
    int height = client.bottom - client.top;
    if (width <= 0 || height <= 0) {
        return false;
    }
    std::vector<unsigned int> pixels(static_cast<size_t>(width) * static_cast<size_t>(height));
    if (!CaptureClientPixels(pixels.data(), width, height)) {
        return false;
    }
    int rowBytes = (width * 3 + 3) & ~3;
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = height;  // bottom-up, the usual bitmap order
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    header.biSizeImage = static_cast<DWORD>(rowBytes * height);
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof header;
    file.bfSize = file.bfOffBits + header.biSizeImage;
    FILE* f = std::fopen(bmpPath, "wb");
    if (f == nullptr) {
        GLog.printf("WARNING: Could not write the window capture %s", bmpPath);
        return false;
    }
    bool ok = std::fwrite(&file, sizeof file, 1, f) == 1 &&
              std::fwrite(&header, sizeof header, 1, f) == 1;
    std::vector<unsigned char> row(static_cast<size_t>(rowBytes), 0);
    for (int y = height - 1; ok && y >= 0; --y) {
        for (int x = 0; x < width; ++x) {
            unsigned int p = pixels[static_cast<size_t>(y) * static_cast<size_t>(width) +
                                    static_cast<size_t>(x)];
            row[static_cast<size_t>(x) * 3 + 0] = static_cast<unsigned char>(p & 0xFF);
            row[static_cast<size_t>(x) * 3 + 1] = static_cast<unsigned char>((p >> 8) & 0xFF);
            row[static_cast<size_t>(x) * 3 + 2] = static_cast<unsigned char>((p >> 16) & 0xFF);
        }
        ok = std::fwrite(row.data(), 1, row.size(), f) == row.size();
    }
    std::fclose(f);
    return ok;
}
