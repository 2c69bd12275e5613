// What the enumeration tests share: white-box access to the device, a device started on a
// scripted or a real Direct3D object, and the log compared line by line with its kind.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "d3d_ren_dev.h"
#include "kr_test_support.h"
#include "platform.h"
#include "scripted_d3d.h"

class KrD3DRenDevProbe {
  public:
    explicit KrD3DRenDevProbe(KrD3DRenDev& device) : device_(device) {}
    // Hands the device a Direct3D object of its own (one reference, released by ExitAPI).
    void UseDirect3D(IDirect3D9* d3d) {
        d3d->AddRef();
        device_.d3d = d3d;
    }
    bool EnumerateAdapter(unsigned int adapter) { return device_.EnumerateAdapter(adapter); }
    unsigned int ConfirmFormats(D3DDeviceInfo* deviceInfo, D3DAdapterInfo* adapterInfo,
                                TDArray<D3DFORMAT>& formats, TSArray<bool>& confirmed) {
        return device_.ConfirmFormats(deviceInfo, adapterInfo, 0, 0, formats, confirmed);
    }
    bool GetDisplayMode(D3DDISPLAYMODE& mode) { return device_.GetDisplayMode(mode); }
    D3DAdapterInfo& Adapter(int index) { return device_.adapters[index]; }
    int StreamCount() const { return device_.streamCount; }
    int SimultaneousTextures() const { return device_.simultaneousTextures; }
    int BlendStages() const { return device_.blendStages; }
    int TexCoordSets() const { return device_.texCoordSets; }
    bool LinearFilters() const {
        return device_.linearMinFilter == 1 && device_.linearMagFilter == 1 &&
               device_.linearMipFilter == 1;
    }
    bool NonPow2Textures() const { return device_.nonPow2Textures; }
    unsigned int ActiveLightLimit() const { return device_.activeLightLimit; }

  private:
    KrD3DRenDev& device_;
};

namespace enumtest {

// A log line and whether it went through a debug call.
typedef std::pair<bool, std::string> Line;
const bool kDebug = true;
const bool kPlain = false;

inline std::vector<Line> CapturedLines() {
    std::vector<Line> lines;
    for (int i = 0; i < GLog.CapturedCount(); ++i) {
        lines.emplace_back(GLog.CapturedIsDebug(i), GLog.CapturedLine(i));
    }
    return lines;
}

inline std::string Describe(const std::vector<Line>& lines) {
    std::string text;
    for (const Line& line : lines) {
        text += std::string(line.first ? "  D [" : "    [") + line.second + "]\n";
    }
    return text;
}

// An INI text for the enumeration: window or full screen, wanted size, depth keys.
inline std::string Ini(bool fullScreen, int width, int height, int depthBits = 24, int safe = 0,
                       int useZ = 1, int useW = 0) {
    std::string w = std::to_string(width);
    std::string h = std::to_string(height);
    return "[Display]\nStartFullScreen=" + std::string(fullScreen ? "1" : "0") +
           "\nWindowWidth=" + w + "\nWindowHeight=" + h + "\nScreenWidth=" + w +
           "\nScreenHeight=" + h + "\n\n[Engine]\nSafe=" + std::to_string(safe) +
           "\n\n[Render]\nUseZBuffer=" + std::to_string(useZ) +
           "\nUseWBuffer=" + std::to_string(useW) +
           "\nDepthBufferBitDepth=" + std::to_string(depthBits) + "\n";
}

// True when the INI file holds `key=value` inside `[section]`.
inline bool IniHolds(const std::string& ini, const std::string& section, const std::string& key,
                     int value) {
    size_t start = ini.find("[" + section + "]");
    if (start == std::string::npos) {
        return false;
    }
    size_t end = ini.find("\n[", start + 1);
    std::string body =
        ini.substr(start, end == std::string::npos ? std::string::npos : end - start);
    return body.find("\n" + key + "=" + std::to_string(value) + "\n") != std::string::npos;
}

// A device started on a scripted Direct3D object. The test scripts `d3d` first, then calls
// Start; tear-down shuts the device down and checks that nothing of it is left.
class ScriptedStart : public testing::Test {
  protected:
    void SetUp() override {
        d3d = krtest::ScriptedD3D::Create();
        krtest::ScriptedD3D::Install(d3d);
    }

    bool Start(const std::string& ini) {
        engine.reset(new krtest::EngineSetUp(ini));
        blocksAtStart = krLiveBlocks();
        device = new KrD3DRenDev();
        krtest::ClearLog();
        return device->InitAPI();
    }

    // A device that has not run InitAPI, for the phases run on their own.
    KrD3DRenDevProbe Bare(const std::string& ini) {
        engine.reset(new krtest::EngineSetUp(ini));
        blocksAtStart = krLiveBlocks();
        device = new KrD3DRenDev();
        KrD3DRenDevProbe probe(*device);
        probe.UseDirect3D(d3d);
        krtest::ClearLog();
        return probe;
    }

    // Shuts the device down, checks that nothing of it or of the scripted object is left, and
    // starts over with a fresh scripted object.
    void Renew() {
        Finish();
        SetUp();
    }

    void TearDown() override { Finish(); }

    void Finish() {
        if (device != nullptr) {
            device->Exit();
            delete device;
            device = nullptr;
            EXPECT_EQ(blocksAtStart, krLiveBlocks());
        }
        RestorePlatform();
        EXPECT_EQ(0u, d3d->Release());
        d3d = nullptr;
        EXPECT_EQ(0, krtest::ScriptedD3D::LiveObjects());
        engine.reset();
    }

    std::string IniText() const { return engine->IniText(); }

    krtest::ScriptedD3D* d3d = nullptr;
    KrD3DRenDev* device = nullptr;
    std::unique_ptr<krtest::EngineSetUp> engine;
    int blocksAtStart = 0;
};

// The usual sizes of a card, from below the floor to the desktop, in the desktop's format and
// the 16-bit one.
inline void AddUsualModes(krtest::ScriptedD3D& d3d, int adapter) {
    const UINT sizes[][2] = {{640, 480}, {800, 600}, {1024, 768}, {1280, 1024}};
    for (D3DFORMAT format : {D3DFMT_X8R8G8B8, D3DFMT_R5G6B5}) {
        for (const auto& size : sizes) {
            d3d.AddMode(adapter, size[0], size[1], format);
        }
    }
}

}  // namespace enumtest

namespace enumtest {

// Expects `expected` as a contiguous run of the captured log, kinds included, starting at the
// first line equal to the run's first line.
inline void ExpectRun(const std::vector<Line>& expected) {
    std::vector<Line> lines = CapturedLines();
    size_t start = 0;
    while (start < lines.size() && lines[start].second != expected.front().second) {
        ++start;
    }
    ASSERT_LT(start, lines.size()) << "missing [" << expected.front().second << "] in\n"
                                   << Describe(lines);
    std::vector<Line> actual(
        lines.begin() + static_cast<long>(start),
        lines.begin() + static_cast<long>(std::min(lines.size(), start + expected.size())));
    EXPECT_EQ(Describe(expected), Describe(actual));
}

}  // namespace enumtest
