// The resources' tests run against a real Direct3D device on Wine's adapter, handed to a
// KrD3DRenDev that the engine sees as its rendering device, with a texture manager of its own.
// Every test ends with the host allocator and the device's reference count back where they
// started, so a texture or buffer left behind fails the test that leaked it.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "buffers.h"
#include "d3d_ren_dev.h"
#include "kr_test_support.h"
#include "platform.h"
#include "texture_mgr.h"

class KrD3DRenDevProbe {
  public:
    static void Attach(KrD3DRenDev& dev, IDirect3DDevice9* device, KrTextureMgrBase* textures) {
        dev.device = device;
        dev.textureMgr = textures;
    }
    static void SetNonPow2Textures(KrD3DRenDev& dev, bool allowed) {
        dev.nonPow2Textures = allowed;
    }
    // The test keeps its own reference to the device: the device object must not release it.
    static void Detach(KrD3DRenDev& dev) { dev.device = nullptr; }
};

class KrD3DBufferProbe {
  public:
    static void SetInterface(KrD3DVertexBuffer& buffer, IDirect3DVertexBuffer9* object) {
        buffer.buffer = object;
    }
    static void SetInterface(KrD3DIndexBuffer& buffer, IDirect3DIndexBuffer9* object) {
        buffer.buffer = object;
    }
};

class ResourceTest : public ::testing::Test {
  protected:
    // One real device serves the whole program: creating one costs more than most tests.
    static void SetUpTestSuite() { ASSERT_TRUE(real.Create(256, 256)); }
    static void TearDownTestSuite() {
        unsigned long deviceCount = 1, d3dCount = 1;
        real.Release(&deviceCount, &d3dCount);
        EXPECT_EQ(0ul, deviceCount) << "a Direct3D resource outlived the tests";
        EXPECT_EQ(0ul, d3dCount);
    }

    void SetUp() override {
        ASSERT_NE(nullptr, real.device);
        engine.reset(new krtest::EngineSetUp());
        startBlocks = krLiveBlocks();
        startReferences = References();
        dev = new KrD3DRenDev();
        mgr = new KrD3DTextureMgr();
        KrD3DRenDevProbe::Attach(*dev, real.device, mgr);
        Engine().SetRender(dev);
        krtest::ClearLog();
    }

    void TearDown() override {
        RestorePlatform();
        if (dev != nullptr) {
            KrD3DRenDevProbe::Detach(*dev);
            delete dev;  // deletes the texture manager, which releases every texture
        }
        Engine().SetRender(nullptr);
        // Every resource holds a reference on its device.
        EXPECT_EQ(startReferences, References()) << "a Direct3D resource outlived the test";
        EXPECT_EQ(startBlocks, krLiveBlocks()) << "host memory leaked";
        Engine().SetMediaDir(krtest::MediaRoot().c_str());
        engine.reset();
    }

    static unsigned long References() {
        real.device->AddRef();
        return real.device->Release();
    }
    // The log lines written since the last ClearLog, as one text for failure messages.
    static std::string Log() { return krtest::Join(krtest::LogLines()); }

    static inline krtest::RealDevice real;
    std::unique_ptr<krtest::EngineSetUp> engine;
    KrD3DRenDev* dev = nullptr;
    KrD3DTextureMgr* mgr = nullptr;
    int startBlocks = 0;
    unsigned long startReferences = 0;
};
