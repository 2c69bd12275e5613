// The plug-in's life as the engine leads it: found by name, started on Wine's adapter, shut down
// once whatever is asked twice. A start that fails is in the enumeration's tests.
#include <gtest/gtest.h>

#include <windows.h>

#include "device_probe.h"
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
TEST(DeviceLife, StartsOnWinesAdapterOnceAndShutsDownOnce) {
    const std::string ini = "; as the player left it\n" + krtest::EngineSetUp::DefaultIni();
    krtest::D3DRecorder recorder;
    krtest::RunningDevice run(&recorder, ini);
    ASSERT_TRUE(run.Start()) << krtest::Join(LogLines());
    EXPECT_EQ(ini, krtest::ReadFile(run.IniPath()));
    // The virtual desktop offers seven sizes of at least 800x600.
    EXPECT_EQ(run.Render()->GetNumResolutions(), 7);

    // An object assigned from another forgets what its bind filter sent for its old bindings.
    // Assigned a never-started object, it is shut down harmlessly.
    KrRenderBase* blank = fnGetRenderingDevice();
    KrRenderBase* copy = fnGetRenderingDevice();
    KrD3DRenDev& assigned = *static_cast<KrD3DRenDev*>(copy);
    assigned = *run.Device();
    assigned.SetTexture(run.Render()->TextureMgr()->GetTexture("Textures\\ui\\blackback.jpg"),
                        eTexStatic, 0);
    assigned = *run.Device();
    UINT stride = 0;
    for (const void* believed : KrD3DRenDevProbe(assigned).BelievedBindings(&stride))
        EXPECT_EQ(believed, KrD3DRenDevProbe::kUnknown);
    assigned = *static_cast<KrD3DRenDev*>(blank);
    fnDeleteRenderingDevice(copy);
    fnDeleteRenderingDevice(blank);

    krtest::ClearLog();
    EXPECT_FALSE(run.Render()->InitAPI());
    // A device object is started once: after its Exit a new Init finds the Direct3D object it
    // released and fails as a start fails, asking for safe mode, without a second Direct3D.
    EXPECT_TRUE(run.Render()->Exit());
    EXPECT_FALSE(run.Render()->Init());
    EXPECT_EQ(recorder.Count("Direct3DCreate9"), 1u);
    EXPECT_NE(krtest::ReadFile(run.IniPath()).find("Safe=1\n"), std::string::npos);
    // Stop ends the device as the engine does, with Exit and then deletion, whose own Exit finds
    // the device already shut down.
    run.Stop();
    const std::string refused =
        "WARNING: Direct3D9 object already created, leaving "
        "KrD3DRenDev::InitAPI()";
    EXPECT_EQ(
        LogLines(),
        (std::vector<std::string>{
            refused, "\nRendering device requesting exit", "Cached shader binaries safely released",
            "Rendering device and resources safely released", refused,
            "Failed to initialise Rendering device, specifying -safe mode restart in config "
            "file",
            "\nRendering device requesting exit", "\nRendering device requesting exit"}));
}

}  // namespace
