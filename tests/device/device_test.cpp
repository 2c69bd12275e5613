// The plug-in's life as the engine leads it: found by name, started on Wine's adapter, shut down
// once whatever is asked twice; a start that fails leaves safe mode on disk for the next one.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>

#include "platform.h"
#include "running_device.h"

namespace {

using krtest::LogLines;

IDirect3D9* WINAPI CreateNothing(UINT) {
    return nullptr;
}

TEST(DeviceLife, EntryPointsAreFoundByNameAndNullDeletionIsIgnored) {
    HMODULE module = LoadLibraryA("D3DDev.dll");
    ASSERT_NE(module, nullptr);
    auto get = reinterpret_cast<KrRenderBase* (*)()>(
        reinterpret_cast<void*>(GetProcAddress(module, "fnGetRenderingDevice")));
    auto destroy = reinterpret_cast<void (*)(KrRenderBase*)>(
        reinterpret_cast<void*>(GetProcAddress(module, "fnDeleteRenderingDevice")));
    ASSERT_TRUE(get != nullptr && destroy != nullptr);
    const int blocks = krLiveBlocks();
    destroy(nullptr);
    KrRenderBase* device = get();
    EXPECT_GT(krLiveBlocks(), blocks) << "the device comes from the engine's allocator";
    destroy(device);
    EXPECT_EQ(krLiveBlocks(), blocks);
    FreeLibrary(module);
}

TEST(DeviceLife, StartsOnWinesAdapterAndShutsDownOnce) {
    krtest::RunningDevice run;
    ASSERT_TRUE(run.Start()) << krtest::Join(LogLines());
    // The virtual desktop offers seven sizes of at least 800x600 in two formats.
    std::vector<std::string> lines = LogLines();
    EXPECT_TRUE(krtest::ContainsRun(lines, {"\t\tDetected 14 display modes on HAL adapter"}));
    EXPECT_EQ(lines.back(), "\t\t\t800x600\tD3DFMT_X8R8G8B8\t-HW_VP-\tD3DFMT_D24X8");
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

TEST(DeviceLife, FailedStartAsksForSafeModeOnDisk) {
    krtest::RunningDevice run;
    Platform().Direct3DCreate9 = CreateNothing;
    krtest::ClearLog();
    EXPECT_FALSE(run.Start());
    RestorePlatform();
    EXPECT_EQ(LogLines(), (std::vector<std::string>{
                              "WARNING: Critical error during KrD3DRenDev::InitAPI()",
                              "Failed to initialise Rendering device, specifying -safe mode "
                              "restart in config file"}));
    EXPECT_NE(krtest::ReadFile(run.IniPath()).find("Safe=1\n"), std::string::npos);
}

}  // namespace
