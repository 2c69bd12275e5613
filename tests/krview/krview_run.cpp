// Process launching and PNG reading for the krview tests.
#include "krview_run.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>

#include "child_process.h"
#include "png_writer.h"

namespace krviewtest {
namespace {

std::string ProgramFolder() {
    char path[MAX_PATH] = {};
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string text(path, length);
    return text.substr(0, text.find_last_of("\\/"));
}

uint32_t Big32(const uint8_t* p) {
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}

}  // namespace

std::string Fresh(const std::string& name) {
    std::remove(name.c_str());
    return name;
}

Run RunKrview(const std::string& arguments, int timeoutSeconds) {
    Run run;
    // A new file per run: Wine may still hold the previous one while the finished process is
    // being torn down, and then it can be neither removed nor truncated.
    static int runs = 0;
    std::string outputPath = Fresh("krview_test_output_" + std::to_string(GetCurrentProcessId()) +
                                   "_" + std::to_string(++runs) + ".txt");
    std::string program = ProgramFolder() + "\\krview.exe";
    DWORD started = GetTickCount();
    {
        krtest::ChildProcess child;
        if (!child.Start("\"" + program + "\" " + arguments, outputPath)) {
            return run;
        }
        if (!child.Wait(static_cast<DWORD>(timeoutSeconds) * 1000)) {
            child.Terminate(99);
        }
        run.exitCode = static_cast<int>(child.ExitCode());
    }
    run.seconds = (GetTickCount() - started) / 1000.0;
    std::ifstream in(outputPath, std::ios::binary);
    run.output.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return run;
}

bool ReadPng(const std::string& path, Picture& picture) {
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> file((std::istreambuf_iterator<char>(in)),
                              std::istreambuf_iterator<char>());
    const uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (file.size() < 8 || !std::equal(signature, signature + 8, file.begin())) {
        return false;
    }
    std::vector<uint8_t> zlib;
    size_t at = 8;
    while (at + 12 <= file.size()) {
        uint32_t length = Big32(&file[at]);
        std::string type(reinterpret_cast<const char*>(&file[at + 4]), 4);
        if (at + 12 + length > file.size()) {
            return false;
        }
        const uint8_t* data = &file[at + 8];
        // Every chunk's checksum must hold, or the file is not what a reader would accept.
        if (krview::Crc32(&file[at + 4], length + 4) != Big32(data + length)) {
            return false;
        }
        if (type == "IHDR") {
            picture.width = static_cast<int>(Big32(data));
            picture.height = static_cast<int>(Big32(data + 4));
            if (data[8] != 8 || data[9] != 2) {
                return false;
            }
        } else if (type == "IDAT") {
            zlib.insert(zlib.end(), data, data + length);
        }
        at += 12 + length;
    }
    // Stored blocks only: a header byte, the length and its complement, then the bytes.
    std::vector<uint8_t> raw;
    size_t z = 2;
    bool last = false;
    while (!last && z + 5 <= zlib.size()) {
        last = (zlib[z] & 1) != 0;
        if ((zlib[z] & 6) != 0) {
            return false;
        }
        unsigned length = zlib[z + 1] | (zlib[z + 2] << 8);
        unsigned complement = zlib[z + 3] | (zlib[z + 4] << 8);
        if ((length ^ 0xFFFFu) != complement || z + 5 + length > zlib.size()) {
            return false;
        }
        raw.insert(raw.end(), zlib.begin() + z + 5, zlib.begin() + z + 5 + length);
        z += 5 + length;
    }
    size_t rowBytes = static_cast<size_t>(picture.width) * 3 + 1;
    if (!last || picture.width <= 0 || raw.size() != rowBytes * picture.height) {
        return false;
    }
    picture.pixels.resize(static_cast<size_t>(picture.width) * picture.height);
    for (int y = 0; y < picture.height; ++y) {
        const uint8_t* row = &raw[y * rowBytes];
        if (row[0] != 0) {
            return false;
        }
        for (int x = 0; x < picture.width; ++x) {
            const uint8_t* p = row + 1 + x * 3;
            picture.pixels[static_cast<size_t>(y) * picture.width + x] =
                (uint32_t(p[0]) << 16) | (uint32_t(p[1]) << 8) | p[2];
        }
    }
    return true;
}

double LitShare(const Picture& picture, int x0, int y0, int x1, int y1, int threshold) {
    int lit = 0, total = 0;
    for (int y = std::max(0, y0); y < std::min(picture.height, y1); ++y) {
        for (int x = std::max(0, x0); x < std::min(picture.width, x1); ++x) {
            uint32_t c = picture.At(x, y);
            int brightest = std::max({int(c >> 16) & 0xFF, int(c >> 8) & 0xFF, int(c) & 0xFF});
            lit += brightest > threshold ? 1 : 0;
            ++total;
        }
    }
    return total > 0 ? static_cast<double>(lit) / total : 0.0;
}

}  // namespace krviewtest
