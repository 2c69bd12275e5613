// Pictures written as PNG by the platform's image encoder (the Windows Imaging Component), which
// compresses them; krview needs no encoder of its own.
#pragma once

#include <cstdint>
#include <string>

namespace krview {

// `pixels` are 0x00RRGGBB, rows top down; false (nothing usable written) when encoding fails.
bool WritePng(const std::string& path, const uint32_t* pixels, int width, int height);

}  // namespace krview
