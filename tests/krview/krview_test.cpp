// krview as the person running it sees it: the program is started as a process, and its exit code,
// output and configuration are checked. Its window captures are compared by captures.sh.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "kr_test_support.h"
#include "krview_run.h"

namespace {

using krviewtest::RunKrview;

std::string ReadText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool Holds(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

int Count(const std::string& text, const std::string& part) {
    int count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

// Options for one short, self-contained run with fresh configuration and log.
std::string Common(const std::string& tag) {
    return " --config " + krviewtest::Fresh("krview_test_" + tag + ".ini") + " --log " +
           krviewtest::Fresh("krview_test_" + tag + ".log");
}

const char kNoLeaks[] = "host live blocks at exit: 0";

TEST(KrviewCommandLine, BadOptionsExitWith64AndNameTheOption) {
    const struct {
        const char* arguments;
        const char* named;
    } cases[] = {{"--bogus", "--bogus"},
                 {"--scene nowhere", "--scene"},
                 {"--frames 0", "--frames"},
                 {"--size 0x600", "--size"},
                 {"--toggle-every", "--toggle-every"},
                 {"--windowed=yes", "--windowed"},
                 {"--media no_such_folder", "--media"}};
    for (const auto& c : cases) {
        krviewtest::Run run = RunKrview(c.arguments);
        EXPECT_EQ(64, run.exitCode) << c.arguments << ": " << run.output;
        EXPECT_TRUE(Holds(run.output, c.named)) << c.arguments << ": " << run.output;
        // One line, and nothing started: no device report.
        EXPECT_EQ(1, std::count(run.output.begin(), run.output.end(), '\n')) << run.output;
    }
    krviewtest::Run help = RunKrview("--help");
    EXPECT_EQ(0, help.exitCode);
    EXPECT_TRUE(Holds(help.output, "70 krview")) << help.output;
}

TEST(KrviewStart, ImpossibleSizeFailsAndTheNextStartIsSafe) {
    std::string config = krviewtest::Fresh("krview_test_safe.ini");
    std::string log = krviewtest::Fresh("krview_test_safe.log");
    std::string files = " --config " + config + " --log " + log;
    // No mode below 800x600 is ever taken, so a 640x480 window cannot start.
    krviewtest::Run failed =
        RunKrview("--scene builtins --frames 5 --windowed --size 640x480" + files);
    EXPECT_EQ(2, failed.exitCode) << failed.output;
    EXPECT_TRUE(Holds(failed.output, log)) << "the message names the log: " << failed.output;
    EXPECT_TRUE(Holds(krtest::ReadFile(config), "Safe=1")) << krtest::ReadFile(config);

    krviewtest::Run safe = RunKrview("--scene builtins --frames 5" + files);
    EXPECT_EQ(0, safe.exitCode) << safe.output;
    EXPECT_TRUE(Holds(safe.output, "drawing 800x600 in a window")) << safe.output;
    EXPECT_TRUE(Holds(krtest::ReadFile(config), "Safe=0")) << krtest::ReadFile(config);
}

// krview copied without its plug-in, with a media root holding DLLs named like the plug-in and
// like D3DX that say so when they are loaded (built by tests.cmake into krview_planted).
TEST(KrviewPlugin, CodeIsLoadedOnlyFromKrviewsOwnFolder) {
    char full[MAX_PATH] = {};
    GetFullPathNameA("krview_install", MAX_PATH, full, nullptr);
    const std::string install = full, program = install + "\\krview.exe";
    CreateDirectoryA(install.c_str(), nullptr);
    for (const char* file : {"krview.exe", "krcr.dll", "krngn.dll"}) {
        std::string from = krviewtest::ProgramFolder() + "\\" + file;
        ASSERT_TRUE(CopyFileA(from.c_str(), (install + "\\" + file).c_str(), FALSE)) << from;
    }
    DeleteFileA((install + "\\D3DDev.dll").c_str());
    const std::string media = " --media krview_planted --scene builtins --frames 3";

    krviewtest::Run missing = RunKrview(media + Common("missing"), 60, program);
    EXPECT_EQ(2, missing.exitCode) << missing.output;
    EXPECT_TRUE(Holds(missing.output, "D3DDev.dll from " + install)) << missing.output;
    EXPECT_FALSE(Holds(missing.output, "PLANTED")) << missing.output;

    std::string plugin = krviewtest::ProgramFolder() + "\\D3DDev.dll";
    ASSERT_TRUE(CopyFileA(plugin.c_str(), (install + "\\D3DDev.dll").c_str(), FALSE));
    krviewtest::Run installed = RunKrview(media + Common("installed"), 60, program);
    EXPECT_EQ(0, installed.exitCode) << installed.output;
    EXPECT_TRUE(Holds(installed.output, kNoLeaks)) << installed.output;
    EXPECT_FALSE(Holds(installed.output, "PLANTED")) << installed.output;

    // A plug-in that loads by bare name a DLL that only the media root holds.
    ASSERT_TRUE(CopyFileA("krview_planted\\D3DDev.dll", (install + "\\D3DDev.dll").c_str(), FALSE));
    krviewtest::Run probe = RunKrview(media + Common("probe"), 60, program);
    EXPECT_TRUE(Holds(probe.output, "PLANTED D3DDev.dll RAN")) << probe.output;
    EXPECT_FALSE(Holds(probe.output, "PLANTED krplanted.dll RAN")) << probe.output;
}

// The runs whose captures captures.sh compares: all scenes in turn, with resets and with toggles
// (back in the window by the last frame), and two scenes alone. Resets at frames 7, 14, 21 and 28
// of each scene, toggles at 10 and 20. Names with letters outside ASCII are written as given.
TEST(KrviewCaptures, EveryRunEndsCleanlyWithACapturePerScene) {
    const struct {
        const char* name;
        const char* arguments;
        const char* changes;
    } runs[] = {{"all", "--scene all --screenshot krview_captures\\последний-é.bmp", nullptr},
                {"réset-Жж", "--scene all --reset-every 7", "0 toggles, 4 resets, 0 refused"},
                {"toggle", "--scene all --toggle-every 10", "2 toggles, 0 resets, 0 refused"},
                {"paths", "--scene paths", nullptr},
                {"stress", "--scene stress", nullptr}};
    CreateDirectoryA("krview_captures", nullptr);
    DeleteFileW(L"krview_captures\\последний-é.bmp");
    for (const auto& r : runs) {
        // No capture of an earlier run may stand in for one this run failed to write.
        for (const char* scene : {"", "-builtins", "-paths", "-stress"}) {
            DeleteFileA(("krview_captures\\" + std::string(r.name) + scene + ".png").c_str());
        }
        krviewtest::Run run = RunKrview(std::string(r.arguments) +
                                        " --frames 30 --objects 64 --capture krview_captures\\" +
                                        r.name + ".png" + Common(r.name));
        EXPECT_EQ(0, run.exitCode) << r.name << ": " << run.output;
        EXPECT_TRUE(Holds(run.output, kNoLeaks)) << r.name << ": " << run.output;
        EXPECT_FALSE(Holds(run.output, "(FAILED)")) << r.name << ": " << run.output;
        if (r.changes != nullptr) {
            EXPECT_EQ(3, Count(run.output, r.changes)) << r.name << ": " << run.output;
        }
    }
    // The device's screenshot of the very last frame: a bitmap (of the front buffer, black here).
    EXPECT_EQ("BM", ReadText(L"krview_captures\\последний-é.bmp").substr(0, 2));
}

TEST(KrviewLosses, AFewLostDevicesComeBackDrawingTheSameFrame) {
    // After every fourth frame krview switches away; three frames later it comes back, the
    // recovery loop resets the device, and the frame before the loss is drawn again and compared.
    // A cycle takes eight frames, so 42 frames hold 5. Full screen at the desktop's size, so that
    // switching away changes no display mode.
    krviewtest::Run run =
        RunKrview("--scene builtins --fullscreen --size 1280x1024 --frames 42 --lose-every 4" +
                  Common("loss"));
    EXPECT_EQ(0, run.exitCode) << run.output;
    EXPECT_TRUE(Holds(run.output,
                      "loss drill: 5 switches away, 5 devices lost, 5 recoveries drawn again "
                      "identically; 0 pictures differed, 0 unreadable, 0 times statics missing, 0 "
                      "times dynamics not re-made as before"))
        << run.output;
    EXPECT_TRUE(Holds(run.output, kNoLeaks)) << run.output;
}

}  // namespace
