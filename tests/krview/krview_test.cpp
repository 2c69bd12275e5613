// krview as a program: its command line, its start in safe mode, its scenes on screen, and its
// window changes, each run kept to a few seconds.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>

#include "krview_run.h"
#include "png_writer.h"

namespace {

using krviewtest::LitShare;
using krviewtest::Picture;
using krviewtest::RunKrview;

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool Near(uint32_t actual, uint32_t expected, int tolerance) {
    for (int shift = 0; shift <= 16; shift += 8) {
        int a = static_cast<int>((actual >> shift) & 0xFF);
        int e = static_cast<int>((expected >> shift) & 0xFF);
        if (a - e > tolerance || e - a > tolerance) {
            return false;
        }
    }
    return true;
}

std::string Describe(const krviewtest::Run& run) {
    return "exit " + std::to_string(run.exitCode) + " after " + std::to_string(run.seconds) +
           " s, output:\n" + run.output;
}

// Options for one short, self-contained run with fresh configuration and log.
std::string Common(const std::string& tag) {
    return "--config " + krviewtest::Fresh("krview_test_" + tag + ".ini") + " --log " +
           krviewtest::Fresh("krview_test_" + tag + ".log");
}

TEST(KrviewCommandLine, BadOptionsExitWith64AndNameTheOption) {
    const struct {
        const char* arguments;
        const char* named;
    } cases[] = {
        {"--bogus", "--bogus"},
        {"--scene nowhere", "--scene"},
        {"--frames 0", "--frames"},
        {"--frames ten", "--frames"},
        {"--size 800", "--size"},
        {"--size 0x600", "--size"},
        {"--toggle-every", "--toggle-every"},
        {"--objects -5", "--objects"},
        {"--windowed=yes", "--windowed"},
        {"--media no_such_folder", "--media"},
    };
    for (const auto& c : cases) {
        krviewtest::Run run = RunKrview(c.arguments);
        EXPECT_EQ(64, run.exitCode) << c.arguments << ": " << Describe(run);
        EXPECT_NE(std::string::npos, run.output.find(c.named)) << c.arguments << ": " << run.output;
        // One line, and nothing started: no device report.
        EXPECT_EQ(1, std::count(run.output.begin(), run.output.end(), '\n')) << run.output;
    }
    krviewtest::Run help = RunKrview("--help");
    EXPECT_EQ(0, help.exitCode);
    EXPECT_NE(std::string::npos, help.output.find("--toggle-every")) << help.output;
}

TEST(KrviewStart, ImpossibleSizeFailsAndTheNextStartIsSafe) {
    std::string config = krviewtest::Fresh("krview_test_safe.ini");
    std::string log = krviewtest::Fresh("krview_test_safe.log");
    // No mode below 800x600 is ever taken, so a 640x480 window cannot start.
    krviewtest::Run failed = RunKrview(
        "--scene builtins --frames 5 --windowed --size 640x480 "
        "--config " +
        config + " --log " + log);
    EXPECT_EQ(2, failed.exitCode) << Describe(failed);
    EXPECT_NE(std::string::npos, failed.output.find("could not start")) << failed.output;
    EXPECT_NE(std::string::npos, failed.output.find(log)) << "the message names the log";
    EXPECT_NE(std::string::npos, failed.output.find("Safe = 1")) << failed.output;
    EXPECT_NE(std::string::npos, ReadText(config).find("Safe=1")) << ReadText(config);

    krviewtest::Run safe =
        RunKrview("--scene builtins --frames 5 --config " + config + " --log " + log);
    EXPECT_EQ(0, safe.exitCode) << Describe(safe);
    EXPECT_NE(std::string::npos, safe.output.find("drawing 800x600 in a window")) << safe.output;
    std::string after = ReadText(config);
    EXPECT_NE(std::string::npos, after.find("Safe=0")) << after;
    EXPECT_NE(std::string::npos, after.find("WindowWidth=800")) << after;
    EXPECT_NE(std::string::npos, after.find("WindowHeight=600")) << after;
}

TEST(KrviewScenes, BuiltinsCaptureShowsFloorObjectsLinesAndOverlay) {
    std::string capture = krviewtest::Fresh("krview_test_builtins.png");
    krviewtest::Run run =
        RunKrview("--scene builtins --frames 60 --capture " + capture + " " + Common("builtins"));
    ASSERT_EQ(0, run.exitCode) << Describe(run);
    EXPECT_NE(std::string::npos, run.output.find("host live blocks at exit: 0")) << run.output;
    Picture picture;
    ASSERT_TRUE(krviewtest::ReadPng(capture, picture));
    ASSERT_EQ(800, picture.width);
    ASSERT_EQ(600, picture.height);

    // The dynamic texture's lower half is flat orange inside a white rim; its panel is drawn at
    // (16, 16), 128 pixels square, so it is rewritten and bound every frame.
    EXPECT_TRUE(Near(picture.At(80, 118), 0xFF8000, 24)) << std::hex << picture.At(80, 118);
    EXPECT_TRUE(Near(picture.At(40, 130), 0xFF8000, 24)) << std::hex << picture.At(40, 130);
    EXPECT_GT(LitShare(picture, 20, 20, 140, 76, 40), 0.5) << "the moving upper half";
    // Outside the panel, left of it, the clear colour or the scene, never orange.
    EXPECT_FALSE(Near(picture.At(8, 118), 0xFF8000, 24));

    // The floor spans the lower middle of the view and is lit: bronze texture times the light.
    double floorLit = LitShare(picture, 200, 380, 600, 560, 60);
    EXPECT_GT(floorLit, 0.3) << "lit floor share " << floorLit;

    // The effector-2 strip along the bottom shows its checker texture: magenta cells.
    int magenta = 0;
    for (int x = 20; x < 268; ++x) {
        uint32_t c = picture.At(x, 600 - 28);
        magenta += ((c >> 16) & 0xFF) > 150 && ((c >> 8) & 0xFF) < 80 && (c & 0xFF) > 150;
    }
    EXPECT_GT(magenta, 60) << "checker strip pixels in magenta";

    // Above the horizon nothing but lines and the objects: most of the sky stays black.
    EXPECT_LT(LitShare(picture, 300, 140, 500, 160, 30), 0.5);
}

TEST(KrviewScenes, PathsCaptureShowsEveryPathInItsOwnTile) {
    std::string capture = krviewtest::Fresh("krview_test_paths.png");
    krviewtest::Run run =
        RunKrview("--scene paths --frames 30 --capture " + capture + " " + Common("paths"));
    ASSERT_EQ(0, run.exitCode) << Describe(run);
    Picture picture;
    ASSERT_TRUE(krviewtest::ReadPng(capture, picture));
    ASSERT_EQ(800, picture.width);
    int tileWidth = picture.width / 3, tileHeight = picture.height / 3;
    for (int tile = 0; tile < 9; ++tile) {
        int x0 = (tile % 3) * tileWidth, y0 = (tile / 3) * tileHeight;
        // The middle of the tile holds the path's quad; the tile's corners show the clear colour.
        double middle = LitShare(picture, x0 + tileWidth / 2 - 20, y0 + tileHeight / 2 - 20,
                                 x0 + tileWidth / 2 + 20, y0 + tileHeight / 2 + 20, 24);
        EXPECT_GT(middle, 0.9) << "tile " << tile << " middle lit share " << middle;
        double corner = LitShare(picture, x0 + 2, y0 + 2, x0 + 12, y0 + 12, 24);
        EXPECT_LT(corner, 0.1) << "tile " << tile << " corner lit share " << corner;
    }
}

TEST(KrviewScenes, AllScenesPlayInTurnWithACapturePerSceneAndOneScreenshot) {
    krviewtest::Fresh("krview_test_all-builtins.png");
    krviewtest::Fresh("krview_test_all-paths.png");
    krviewtest::Fresh("krview_test_all-stress.png");
    std::string shot = krviewtest::Fresh("krview_test_all.bmp");
    krviewtest::Run run = RunKrview(
        "--frames 8 --objects 37 --capture krview_test_all.png "
        "--screenshot " +
        shot + " " + Common("all"));
    ASSERT_EQ(0, run.exitCode) << Describe(run);
    size_t builtins = run.output.find("scene builtins");
    size_t paths = run.output.find("scene paths");
    size_t stress = run.output.find("scene stress");
    ASSERT_NE(std::string::npos, stress) << run.output;
    EXPECT_LT(builtins, paths);
    EXPECT_LT(paths, stress);
    // Every stress object is one draw, whatever the count asked for.
    EXPECT_NE(std::string::npos, run.output.find("37 draws/frame")) << run.output;
    for (const char* scene : {"builtins", "paths", "stress"}) {
        Picture picture;
        std::string name = std::string("krview_test_all-") + scene + ".png";
        ASSERT_TRUE(krviewtest::ReadPng(name, picture)) << name;
        EXPECT_GT(LitShare(picture, 0, 0, picture.width, picture.height, 40), 0.05) << name;
    }
    // The device's screenshot is a Windows bitmap (of the front buffer, so its pixels are not
    // checked).
    std::string bitmap = ReadText(shot);
    ASSERT_GT(bitmap.size(), 54u) << shot;
    EXPECT_EQ("BM", bitmap.substr(0, 2));
    EXPECT_NE(std::string::npos, run.output.find(shot)) << "the summary names the screenshot";
}

TEST(KrviewWindowChanges, ToggleAndResetEveryFewFramesEndCleanly) {
    // Toggles at frames 20 and 40 end back in the window; resets at 15, 30 and 45. Every reset
    // unlinks the dynamic textures, so the overlay panel shows orange at the end only if the scene
    // made its texture again and pointed its effector at it.
    std::string capture = krviewtest::Fresh("krview_test_changes.png");
    krviewtest::Run run = RunKrview(
        "--scene builtins --frames 60 --toggle-every 20 "
        "--reset-every 15 --capture " +
        capture + " " + Common("changes"));
    EXPECT_EQ(0, run.exitCode) << Describe(run);
    EXPECT_NE(std::string::npos, run.output.find("2 toggles, 3 resets, 0 refused")) << run.output;
    EXPECT_NE(std::string::npos, run.output.find("host live blocks at exit: 0")) << run.output;
    Picture picture;
    ASSERT_TRUE(krviewtest::ReadPng(capture, picture));
    ASSERT_EQ(800, picture.width) << "back in a window of the first size";
    ASSERT_EQ(600, picture.height);
    EXPECT_TRUE(Near(picture.At(80, 118), 0xFF8000, 24)) << std::hex << picture.At(80, 118);
}

TEST(KrviewPictures, PngFilesCarryValidChecksumsAndTheExactPixels) {
    // The checksum of an empty IEND chunk is fixed by the format.
    const uint8_t iend[4] = {'I', 'E', 'N', 'D'};
    EXPECT_EQ(0xAE426082u, krview::Crc32(iend, 4));
    // Wider than one stored block (65535 bytes) so that the block split is exercised.
    const int width = 200, height = 120;
    std::vector<uint32_t> pixels(width * height);
    for (int i = 0; i < width * height; ++i) {
        pixels[i] = (static_cast<uint32_t>(i * 7) & 0xFFFFFFu);
    }
    std::string path = krviewtest::Fresh("krview_test_roundtrip.png");
    ASSERT_TRUE(krview::WritePng(path, pixels.data(), width, height));
    Picture back;
    ASSERT_TRUE(krviewtest::ReadPng(path, back));
    EXPECT_EQ(width, back.width);
    EXPECT_EQ(height, back.height);
    EXPECT_EQ(pixels, back.pixels);
}

}  // namespace
