// Running krview.exe from a test: its exit code, everything it printed, and its files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace krviewtest {

struct Run {
    int exitCode = -1;
    std::string output;  // standard output and standard error together
    double seconds = 0.0;
};

// Starts krview.exe (beside the test program) with `arguments` and waits for it.
Run RunKrview(const std::string& arguments, int timeoutSeconds = 120);

// A file name for this test's outputs in the current folder; any old file of that name is gone.
std::string Fresh(const std::string& name);

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;  // 0x00RRGGBB, rows top down
    uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// Reads a PNG written by krview (8-bit RGB, stored deflate blocks, no filters).
bool ReadPng(const std::string& path, Picture& picture);

// The share of pixels in a rectangle whose brightest channel exceeds `threshold`.
double LitShare(const Picture& picture, int x0, int y0, int x1, int y1, int threshold);

}  // namespace krviewtest
