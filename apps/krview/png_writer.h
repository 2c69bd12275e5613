// A small PNG writer: 8-bit RGB, the image data in uncompressed (stored) deflate blocks, which
// every PNG reader accepts. Pictures are written rarely, so size matters less than having no
// dependency.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace krview {

// `pixels` are 0x00RRGGBB, rows top down.
bool WritePng(const std::string& path, const uint32_t* pixels, int width, int height);

// The encoded file, for tests.
std::vector<uint8_t> EncodePng(const uint32_t* pixels, int width, int height);

uint32_t Crc32(const uint8_t* data, size_t size, uint32_t crc = 0);

}  // namespace krview
