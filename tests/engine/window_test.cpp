// The engine's Win32 window: creation, placement for window and full screen, and the capture of
// what the screen really shows of it.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "kr_test_support.h"

namespace {
const int kWidth = 321;  // rows of 963 bytes: the bitmap must pad them to 964
const int kHeight = 203;

RECT ClientOnScreen(HWND hwnd) {
    RECT client;
    GetClientRect(hwnd, &client);
    POINT origin = {0, 0};
    ClientToScreen(hwnd, &origin);
    return RECT{origin.x, origin.y, origin.x + client.right, origin.y + client.bottom};
}

// Paints the client area with GDI: a red top band over a green left half and a blue right half.
void PaintQuadrants(HWND hwnd) {
    HDC dc = GetDC(hwnd);
    const struct {
        RECT rect;
        COLORREF colour;
    } parts[] = {{{0, 0, kWidth, 50}, RGB(200, 30, 40)},
                 {{0, 50, kWidth / 2, kHeight}, RGB(20, 180, 60)},
                 {{kWidth / 2, 50, kWidth, kHeight}, RGB(10, 40, 220)}};
    for (const auto& part : parts) {
        HBRUSH brush = CreateSolidBrush(part.colour);
        FillRect(dc, &part.rect, brush);
        DeleteObject(brush);
    }
    GdiFlush();
    ReleaseDC(hwnd, dc);
}

unsigned int Expected(int x, int y) {
    if (y < 50)
        return 0xC81E28u;
    return x < kWidth / 2 ? 0x14B43Cu : 0x0A28DCu;
}

template <class T>
T ReadAt(const std::string& data, size_t offset) {
    T value;
    std::memcpy(&value, data.data() + offset, sizeof value);
    return value;
}
}  // namespace

TEST(EngineWindow, PlacementMovesBetweenAFullScreenRectangleAndTheWindow) {
    KrWindowBase window;
    ASSERT_TRUE(window.Create("kr window test", kWidth, kHeight));
    ASSERT_NE(window.Handle(), nullptr);
    EXPECT_TRUE(window.Create("again", 10, 10)) << "a second Create keeps the window";
    RECT client;
    GetClientRect(window.Handle(), &client);
    EXPECT_EQ(client.right, kWidth);
    EXPECT_EQ(client.bottom, kHeight);
    EXPECT_NE(window.Style() & WS_OVERLAPPEDWINDOW, 0u);

    RECT full = {40, 30, 40 + 640, 30 + 480};
    window.PlaceWindow(window.Handle(), &full);
    RECT placed;
    GetWindowRect(window.Handle(), &placed);
    EXPECT_EQ(placed.left, 40);
    EXPECT_EQ(placed.top, 30);
    EXPECT_EQ(placed.right - placed.left, 640);
    EXPECT_EQ(placed.bottom - placed.top, 480);

    // Back to a window: the saved position (the origin without a device) and the window's size.
    window.PlaceWindow(window.Handle(), nullptr);
    GetWindowRect(window.Handle(), &placed);
    EXPECT_EQ(placed.left, 0);
    EXPECT_EQ(placed.top, 0);
    GetClientRect(window.Handle(), &client);
    EXPECT_EQ(client.right, kWidth);
    EXPECT_EQ(client.bottom, kHeight);

    window.PlaceWindow(nullptr, &full);
    EXPECT_EQ(window.Placements(), 2);
    EXPECT_TRUE(window.PumpMessages());
    window.Destroy();
    EXPECT_EQ(window.Handle(), nullptr);
}

TEST(EngineWindow, CaptureReadsWhatGdiDrewIntoTheClientArea) {
    KrWindowBase window;
    ASSERT_TRUE(window.Create("kr capture test", kWidth, kHeight));
    // Away from the screen's corner, so that an offset capture cannot pass by luck.
    SetWindowPos(window.Handle(), HWND_TOP, 100, 80, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
    window.PumpMessages();
    RECT screen = ClientOnScreen(window.Handle());
    ASSERT_EQ(screen.right - screen.left, kWidth);
    ASSERT_GT(screen.left, 100);
    PaintQuadrants(window.Handle());

    std::vector<unsigned int> pixels(static_cast<size_t>(kWidth) * kHeight, 0xFFFFFFFFu);
    ASSERT_TRUE(window.CaptureClientPixels(pixels.data(), kWidth, kHeight));
    int wrong = 0;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            unsigned int p = pixels[static_cast<size_t>(y) * kWidth + static_cast<size_t>(x)];
            if (!krtest::ColourNear(p, Expected(x, y), 2) || (p >> 24) != 0) {
                ++wrong;
            }
        }
    }
    EXPECT_EQ(wrong, 0) << "top left " << std::hex << pixels[0] << ", bottom right "
                        << pixels.back();

    const char* path = "engine_window_capture.bmp";
    ASSERT_TRUE(window.CaptureClientArea(path));
    std::string bmp = krtest::ReadFile(path);
    std::remove(path);
    const size_t rowBytes = 964;
    ASSERT_EQ(bmp.size(), 54 + rowBytes * kHeight);
    EXPECT_EQ(bmp.substr(0, 2), "BM");
    EXPECT_EQ(ReadAt<unsigned int>(bmp, 2), bmp.size());
    EXPECT_EQ(ReadAt<unsigned int>(bmp, 10), 54u);
    EXPECT_EQ(ReadAt<unsigned int>(bmp, 14), 40u);
    EXPECT_EQ(ReadAt<int>(bmp, 18), kWidth);
    EXPECT_EQ(ReadAt<int>(bmp, 22), kHeight);  // bottom-up rows
    EXPECT_EQ(ReadAt<unsigned short>(bmp, 28), 24);
    EXPECT_EQ(ReadAt<unsigned int>(bmp, 30), 0u);
    // The last row in the file is the top of the window; pixels are stored blue, green, red.
    auto pixelAt = [&](int x, int y) {
        size_t at =
            54 + rowBytes * static_cast<size_t>(kHeight - 1 - y) + 3 * static_cast<size_t>(x);
        return static_cast<unsigned int>(static_cast<unsigned char>(bmp[at + 2])) << 16 |
               static_cast<unsigned int>(static_cast<unsigned char>(bmp[at + 1])) << 8 |
               static_cast<unsigned int>(static_cast<unsigned char>(bmp[at]));
    };
    EXPECT_TRUE(krtest::ColourNear(pixelAt(0, 0), Expected(0, 0), 2));
    EXPECT_TRUE(
        krtest::ColourNear(pixelAt(kWidth - 1, kHeight - 1), Expected(kWidth - 1, kHeight - 1), 2));
    EXPECT_TRUE(krtest::ColourNear(pixelAt(0, kHeight - 1), Expected(0, kHeight - 1), 2));

    EXPECT_FALSE(window.CaptureClientPixels(nullptr, kWidth, kHeight));
    window.Destroy();
    EXPECT_FALSE(window.CaptureClientArea(path));
}
