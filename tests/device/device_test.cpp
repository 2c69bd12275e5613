// The plug-in's life as the engine leads it: found by name, started on Wine's adapter, shut down
// once whatever is asked twice. A start that fails is in the enumeration's tests.
#include <algorithm>
#include <gtest/gtest.h>

#include <windows.h>

#include "running_device.h"

namespace {

using krtest::LogLines;

TEST(DeviceLife, EntryPointsAreFoundByNameAndTheDeviceComesFromTheEnginesAllocator) {
    HMODULE module = GetModuleHandleA("D3DDev.dll");
    EXPECT_NE(GetProcAddress(module, "fnGetRenderingDevice"), nullptr);
    EXPECT_NE(GetProcAddress(module, "fnDeleteRenderingDevice"), nullptr);
    const int blocks = krLiveBlocks();
    KrRenderBase* device = fnGetRenderingDevice();
    EXPECT_GT(krLiveBlocks(), blocks);
    fnDeleteRenderingDevice(device);
    fnDeleteRenderingDevice(nullptr);  // ignored
    EXPECT_EQ(krLiveBlocks(), blocks);
}

// A start whose settings the file already holds leaves the file as it was, hand-made comment too.
TEST(DeviceLife, StartsOnWinesAdapterAndShutsDownOnce) {
    const std::string ini = "; as the player left it\n" + krtest::EngineSetUp::DefaultIni();
    krtest::RunningDevice run(nullptr, ini);
    ASSERT_TRUE(run.Start()) << krtest::Join(LogLines());
    EXPECT_EQ(ini, krtest::ReadFile(run.IniPath()));
    // The virtual desktop offers seven sizes of at least 800x600 in two formats.
    std::vector<std::string> lines = LogLines();
    for (const char* line : {"\t\tDetected 14 display modes on HAL adapter",
                             "\t\t\t800x600\tD3DFMT_X8R8G8B8\t-HW_VP-\tD3DFMT_D24X8"})
        EXPECT_EQ(1, std::count(lines.begin(), lines.end(), line)) << line;
    EXPECT_EQ(run.Render()->GetNumResolutions(), 7);
    EXPECT_NE(run.Direct3DDevice(), nullptr);
    EXPECT_NE(run.Render()->TextureMgr(), nullptr);

    krtest::ClearLog();
    EXPECT_FALSE(run.Render()->InitAPI());
    // Stop ends the device as the engine does, with Exit and then deletion, whose own Exit finds
    // the device already shut down.
    run.Stop();
    EXPECT_EQ(LogLines(),
              (std::vector<std::string>{"WARNING: Direct3D9 object already created, leaving "
                                        "KrD3DRenDev::InitAPI()",
                                        "\nRendering device requesting exit",
                                        "Cached shader binaries safely released",
                                        "Rendering device and resources safely released",
                                        "\nRendering device requesting exit"}));
}

}  // namespace
