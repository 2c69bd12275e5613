// The device object's life through the real plug-in: loaded by name, started, shut down, deleted.
#include <gtest/gtest.h>

#include <windows.h>

#include "d3d_ren_dev.h"
#include "kr_test_support.h"
#include "platform.h"

namespace {

using krtest::LogLines;

typedef KrRenderBase* (*GetDeviceFn)();
typedef void (*DeleteDeviceFn)(KrRenderBase*);

struct PluginEntry {
    HMODULE module = nullptr;
    GetDeviceFn get = nullptr;
    DeleteDeviceFn destroy = nullptr;
    bool Load() {
        module = LoadLibraryA("D3DDev.dll");
        if (module == nullptr)
            return false;
        get = reinterpret_cast<GetDeviceFn>(
            reinterpret_cast<void*>(GetProcAddress(module, "fnGetRenderingDevice")));
        destroy = reinterpret_cast<DeleteDeviceFn>(
            reinterpret_cast<void*>(GetProcAddress(module, "fnDeleteRenderingDevice")));
        return get != nullptr && destroy != nullptr;
    }
    ~PluginEntry() {
        if (module != nullptr)
            FreeLibrary(module);
    }
};

// The Direct3D object handed to the device, kept with one extra reference so the test can see
// what the device left of it.
IDirect3D9* g_created = nullptr;
IDirect3D9* WINAPI CreateAndKeep(UINT version) {
    g_created = RealPlatform().Direct3DCreate9(version);
    if (g_created != nullptr)
        g_created->AddRef();
    return g_created;
}
IDirect3D9* WINAPI CreateNothing(UINT) {
    return nullptr;
}

class DeviceLifecycle : public testing::Test {
  protected:
    void SetUp() override {
        krtest::ClearLog();
        g_created = nullptr;
    }
    void TearDown() override { RestorePlatform(); }
};

TEST_F(DeviceLifecycle, PluginExportsPlainEntryPointsAndNullDeletionIsIgnored) {
    PluginEntry plugin;
    ASSERT_TRUE(plugin.Load());
    int blocks = krLiveBlocks();
    plugin.destroy(nullptr);
    KrRenderBase* device = plugin.get();
    ASSERT_NE(nullptr, device);
    EXPECT_GT(krLiveBlocks(), blocks) << "the device object comes from the engine's allocator";
    EXPECT_EQ(nullptr, device->TextureMgr());
    EXPECT_EQ(nullptr, device->FXMgr());
    plugin.destroy(device);
    EXPECT_EQ(blocks, krLiveBlocks());
    // Deleting a never-started device runs its Exit once.
    EXPECT_EQ((std::vector<std::string>{"\nRendering device requesting exit",
                                        "Rendering device and resources safely released"}),
              LogLines());
}

TEST_F(DeviceLifecycle, StartWithoutDirect3DFailsAndRequestsSafeMode) {
    krtest::EngineSetUp engine;
    Platform().Direct3DCreate9 = CreateNothing;
    KrRenderBase* device = fnGetRenderingDevice();
    Engine().SetRender(device);
    int blocks = krLiveBlocks();
    EXPECT_FALSE(device->Init());
    EXPECT_EQ((std::vector<std::string>{
                  "WARNING: Critical error during KrD3DRenDev::InitAPI()",
                  "Failed to initialise Rendering device, specifying -safe mode restart in config "
                  "file"}),
              LogLines());
    EXPECT_TRUE(GLog.CapturedIsDebug(0));
    EXPECT_FALSE(GLog.CapturedIsDebug(1));
    // The request survives on disk for the next start.
    KrConfigCache reread;
    reread.Load(engine.IniPath().c_str());
    int safe = 0;
    EXPECT_TRUE(reread.GetInteger("Engine", "Safe", safe));
    EXPECT_EQ(1, safe);
    EXPECT_EQ(nullptr, device->TextureMgr());
    EXPECT_EQ(blocks, krLiveBlocks());
    fnDeleteRenderingDevice(device);
}

TEST_F(DeviceLifecycle, ShutDownReleasesDirect3DOnceAndOnlyOnce) {
    krtest::EngineSetUp engine;
    Platform().Direct3DCreate9 = CreateAndKeep;
    PluginEntry plugin;
    ASSERT_TRUE(plugin.Load());
    int blocks = krLiveBlocks();
    KrRenderBase* device = plugin.get();
    Engine().SetRender(device);
    // The real adapter: the enumeration decides the result, the object exists either way.
    device->InitAPI();
    ASSERT_NE(nullptr, g_created);

    krtest::ClearLog();
    EXPECT_FALSE(device->InitAPI()) << "a device object is started once";
    EXPECT_EQ((std::vector<std::string>{
                  "WARNING: Direct3D9 object already created, leaving KrD3DRenDev::InitAPI()"}),
              LogLines());

    krtest::ClearLog();
    EXPECT_TRUE(device->Exit());
    EXPECT_EQ((std::vector<std::string>{"\nRendering device requesting exit",
                                        "Rendering device and resources safely released"}),
              LogLines());
    EXPECT_EQ(nullptr, device->TextureMgr());
    EXPECT_EQ(nullptr, device->FXMgr());

    krtest::ClearLog();
    EXPECT_FALSE(device->Exit());
    EXPECT_EQ((std::vector<std::string>{"\nRendering device requesting exit"}), LogLines());

    krtest::ClearLog();
    Engine().SetRender(nullptr);
    plugin.destroy(device);
    EXPECT_EQ((std::vector<std::string>{"\nRendering device requesting exit"}), LogLines());
    EXPECT_EQ(blocks, krLiveBlocks());
    // Only the test's own reference is left.
    EXPECT_EQ(0u, g_created->Release());
}

}  // namespace
