// krview's long runs: a soak that keeps toggling and resetting while it samples what must stay
// flat, and the loss drill, where krview gives up the foreground again and again and checks each
// recovery of its full-screen device.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "krview_run.h"

namespace {

struct Sample {
    int frame = 0;
    long liveBlocks = 0;
    long deviceReferences = 0;
    long direct3dReferences = 0;
    long long logLines = 0;
};

// The health samples krview printed, by scene, in order.
std::map<std::string, std::vector<Sample>> ReadSamples(const std::string& output) {
    std::map<std::string, std::vector<Sample>> samples;
    std::istringstream lines(output);
    std::string line;
    while (std::getline(lines, line)) {
        char scene[32] = {};
        Sample s;
        if (std::sscanf(line.c_str(),
                        "krview: sample %31s frame %d: live blocks %ld, device references %ld, "
                        "Direct3D references %ld, log lines %lld",
                        scene, &s.frame, &s.liveBlocks, &s.deviceReferences, &s.direct3dReferences,
                        &s.logLines) == 6) {
            samples[scene].push_back(s);
        }
    }
    return samples;
}

std::string Options(const std::string& tag) {
    return " --config " + krviewtest::Fresh("krview_long_" + tag + ".ini") + " --log " +
           krviewtest::Fresh("krview_long_" + tag + ".log");
}

TEST(KrviewLongRuns, SoakKeepsMemoryReferencesAndLogGrowthFlat) {
    const int frames = 3000, every = 1000;
    krviewtest::Run run =
        krviewtest::RunKrview("--scene all --frames " + std::to_string(frames) +
                                  " --toggle-every 500 --reset-every 250 --sample-every " +
                                  std::to_string(every) + Options("soak"),
                              1200);
    ASSERT_EQ(0, run.exitCode) << run.output;
    EXPECT_NE(std::string::npos, run.output.find("host live blocks at exit: 0")) << run.output;
    std::map<std::string, std::vector<Sample>> samples = ReadSamples(run.output);
    ASSERT_EQ(3u, samples.size()) << run.output;
    for (const auto& [scene, series] : samples) {
        ASSERT_EQ(static_cast<size_t>(frames / every), series.size()) << scene;
        const Sample& first = series.front();
        EXPECT_GT(first.deviceReferences, 0) << scene << ": the device could not be reached";
        EXPECT_GT(first.direct3dReferences, 0) << scene;
        // Every stretch between samples has the same toggles and resets, so each one after the
        // first writes as many log lines as the one before.
        long long growth = series.size() > 1 ? series[1].logLines - series[0].logLines : 0;
        for (const Sample& s : series) {
            EXPECT_EQ(first.liveBlocks, s.liveBlocks) << scene << " frame " << s.frame;
            EXPECT_EQ(first.deviceReferences, s.deviceReferences) << scene << " frame " << s.frame;
            EXPECT_EQ(first.direct3dReferences, s.direct3dReferences)
                << scene << " frame " << s.frame;
        }
        for (size_t i = 2; i < series.size(); ++i) {
            EXPECT_EQ(growth, series[i].logLines - series[i - 1].logLines)
                << scene << " log lines from frame " << series[i - 1].frame << " to "
                << series[i].frame;
        }
        std::printf(
            "soak %-8s samples %zu: live blocks %ld, device references %ld, Direct3D "
            "references %ld, log lines per %d frames %lld\n",
            scene.c_str(), series.size(), first.liveBlocks, first.deviceReferences,
            first.direct3dReferences, every, growth);
    }
}

TEST(KrviewLongRuns, HundredLostDevicesComeBackDrawingTheSameFrame) {
    // After every fourth frame krview switches away; three frames later it comes back, the
    // recovery loop resets the device, and the frame before the loss is drawn again and compared.
    // A cycle takes eight frames, so 802 frames hold exactly 100. Full screen at the desktop's
    // size, so that switching away changes no display mode and costs less.
    krviewtest::Run run = krviewtest::RunKrview(
        "--scene builtins --fullscreen --size 1280x1024 --frames 802 --lose-every 4" +
            Options("losses"),
        900);
    ASSERT_EQ(0, run.exitCode) << run.output;
    EXPECT_NE(std::string::npos, run.output.find("100 lost-device recoveries")) << run.output;
    EXPECT_NE(std::string::npos,
              run.output.find("loss drill: 100 switches away, 100 devices lost, 100 recoveries "
                              "drawn again identically; 0 pictures differed, 0 unreadable, 0 "
                              "times statics missing, 0 times dynamics not re-made as before"))
        << run.output;
    EXPECT_NE(std::string::npos, run.output.find("host live blocks at exit: 0")) << run.output;
}

}  // namespace
