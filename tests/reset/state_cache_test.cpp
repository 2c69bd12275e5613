// The render-state and texture-stage caches in front of a real device: what reaches Direct3D.
#include "reset_fixture.h"

namespace resettest {
namespace {

using StateCache = ResetTest;

int EntriesOf(const TDArray<RenderStateEntry>& cache, D3DRENDERSTATETYPE state) {
    int found = 0;
    for (int i = 0; i < cache.Count(); ++i) {
        found += cache[i].state == static_cast<unsigned int>(state);
    }
    return found;
}

TEST_F(StateCache, OnlyChangedValuesReachTheDevice) {
    KrD3DRenDev* device = MakeDevice({{800, 600}}, 0);
    KrD3DRenDevProbe probe(*device);

    probe.SetRenderState(D3DRS_FOGENABLE, TRUE);
    probe.SetRenderState(D3DRS_FOGENABLE, TRUE);
    EXPECT_EQ(recorder_.Count("SetRenderState"), 1u);
    probe.SetRenderState(D3DRS_FOGENABLE, FALSE);
    EXPECT_EQ(recorder_.Count("SetRenderState"), 2u);
    EXPECT_EQ(EntriesOf(probe.StateCache(), D3DRS_FOGENABLE), 1);
    // A failed call still counts as sent.
    recorder_.FailCall("SetRenderState", D3DERR_INVALIDCALL);
    probe.SetRenderState(D3DRS_FOGENABLE, TRUE);
    probe.SetRenderState(D3DRS_FOGENABLE, TRUE);
    EXPECT_EQ(recorder_.Count("SetRenderState"), 3u);

    // One entry per type for both stages; a stage never sent holds 666, so 666 is not sent.
    probe.SetStageState(0, D3DTSS_RESULTARG, D3DTA_TEMP);
    probe.SetStageState(1, D3DTSS_RESULTARG, D3DTA_TEMP);
    probe.SetStageState(1, D3DTSS_RESULTARG, D3DTA_TEMP);
    probe.SetStageState(0, D3DTSS_TEXCOORDINDEX, 1);
    probe.SetStageState(1, D3DTSS_TEXCOORDINDEX, kStageValueUnknown);
    EXPECT_EQ(recorder_.Count("SetTextureStageState"), 3u);
    const int entries = probe.StageCache().Count();
    const TextureStageEntry& result = probe.StageCache()[entries - 2];
    EXPECT_EQ(result.type, static_cast<unsigned int>(D3DTSS_RESULTARG));
    EXPECT_EQ(result.stage0, static_cast<unsigned int>(D3DTA_TEMP));
    EXPECT_EQ(result.stage1, static_cast<unsigned int>(D3DTA_TEMP));
    EXPECT_EQ(probe.StageCache()[entries - 1].stage1, kStageValueUnknown);

    // Stages above 1 have no slot: sent every time, and no entry changes.
    probe.SetStageState(2, D3DTSS_RESULTARG, D3DTA_CURRENT);
    probe.SetStageState(2, D3DTSS_RESULTARG, D3DTA_CURRENT);
    EXPECT_EQ(recorder_.Count("SetTextureStageState"), 5u);
    EXPECT_EQ(probe.StageCache().Count(), entries);
    EXPECT_EQ(result.stage0, static_cast<unsigned int>(D3DTA_TEMP));
    EXPECT_EQ(StageState(device, 2, D3DTSS_RESULTARG), static_cast<DWORD>(D3DTA_CURRENT));
    DeleteDevice(device);
}

TEST_F(StateCache, StandardStatesCullModeAndAlpha) {
    KrD3DRenDev bare;
    EXPECT_TRUE(bare.SetRenderStates());  // no device: nothing to do, no failure

    KrD3DRenDev* device = MakeDevice({{800, 600}}, 0);
    KrD3DRenDevProbe probe(*device);
    // Without filter caps only the mip bias is set, on both samplers; the render states are
    // cached since the device was created.
    EXPECT_TRUE(device->SetRenderStates());
    ASSERT_EQ(recorder_.Count("SetSamplerState"), 2u);
    for (size_t s = 0; s < 2; ++s) {
        EXPECT_EQ(Arg("SetSamplerState", s, 0), s);
        EXPECT_EQ(Arg("SetSamplerState", s, 1),
                  static_cast<unsigned long long>(D3DSAMP_MIPMAPLODBIAS));
        EXPECT_EQ(Arg("SetSamplerState", s, 2), 0xBF800000ull);
    }
    EXPECT_EQ(recorder_.Count("SetRenderState"), 0u);

    // A w-buffer wins over the z-buffer: both are sent, in that order.
    recorder_.Clear();
    probe.SetFilterCaps(1);
    probe.SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
    device->UsingWBuffer() = true;
    EXPECT_TRUE(device->SetRenderStates());
    EXPECT_EQ(Arg("SetRenderState", 1, 1), static_cast<unsigned long long>(D3DZB_TRUE));
    EXPECT_EQ(Arg("SetRenderState", 2, 1), static_cast<unsigned long long>(D3DZB_USEW));
    EXPECT_EQ(EntriesOf(probe.StateCache(), D3DRS_ZENABLE), 1);
    EXPECT_EQ(recorder_.Count("SetSamplerState"), 8u);
    // One failing sampler state fails the set-up; the rest are still sent.
    recorder_.Clear();
    recorder_.FailCall("SetSamplerState", D3DERR_INVALIDCALL, 2);
    EXPECT_FALSE(device->SetRenderStates());
    EXPECT_EQ(recorder_.Count("SetSamplerState"), 8u);
    EXPECT_EQ(krtest::LogLines(true),
              std::vector<std::string>{
                  "WARNING: Could not set all render states as required by renderer"});

    krtest::ClearLog();
    recorder_.Clear();
    device->SetPolyCullMode(eCullUnset);
    device->SetPolyCullMode(eCullNone);
    device->SetPolyCullMode(eCullCCW);
    device->SetPolyCullMode(eCullCCW);
    EXPECT_EQ(krtest::LogLines(true), std::vector<std::string>{"ERROR: Invalid poly cull mode"});
    EXPECT_EQ(recorder_.Count("SetRenderState"), 2u);
    EXPECT_EQ(Arg("SetRenderState", 0, 1), static_cast<unsigned long long>(D3DCULL_NONE));
    EXPECT_EQ(Arg("SetRenderState", 1, 1), static_cast<unsigned long long>(D3DCULL_CCW));

    // Alpha only ever switches on, whatever the argument says, and only once.
    recorder_.Clear();
    EXPECT_TRUE(device->SetAlpha(false));
    EXPECT_TRUE(device->SetAlpha(true));
    EXPECT_EQ(recorder_.Count("SetRenderState"), 6u);
    EXPECT_EQ(RenderState(device, D3DRS_ALPHABLENDENABLE), static_cast<DWORD>(TRUE));
    EXPECT_EQ(RenderState(device, D3DRS_ALPHAFUNC), static_cast<DWORD>(D3DCMP_GREATEREQUAL));
    DeleteDevice(device);
}

}  // namespace
}  // namespace resettest
