// The render-state and texture-stage caches in front of a real device: what reaches Direct3D, and
// what the device then holds.
#include "reset_fixture.h"

namespace resettest {
namespace {

class StateCacheTest : public ResetTest {
  protected:
    KrD3DRenDev* Started() {
        KrD3DRenDev* device = MakeDevice({{800, 600}}, 0);
        if (device == nullptr || !device->Reset()) {
            ADD_FAILURE() << "no device";
            return device;
        }
        recorder_.Clear();
        krtest::ClearLog();
        return device;
    }
    DWORD RenderState(KrD3DRenDev* device, D3DRENDERSTATETYPE state) {
        DWORD value = 0;
        device->Device()->GetRenderState(state, &value);
        return value;
    }
    DWORD StageState(KrD3DRenDev* device, DWORD stage, D3DTEXTURESTAGESTATETYPE type) {
        DWORD value = 0;
        device->Device()->GetTextureStageState(stage, type, &value);
        return value;
    }
};

int EntriesFor(const TDArray<RenderStateEntry>& cache, D3DRENDERSTATETYPE state) {
    int found = 0;
    for (int i = 0; i < cache.Count(); ++i) {
        found += cache[i].state == static_cast<unsigned int>(state);
    }
    return found;
}

const TextureStageEntry* StageEntry(const TDArray<TextureStageEntry>& cache,
                                    D3DTEXTURESTAGESTATETYPE type) {
    for (int i = 0; i < cache.Count(); ++i) {
        if (cache[i].type == static_cast<unsigned int>(type)) {
            return &cache[i];
        }
    }
    return nullptr;
}

TEST_F(StateCacheTest, OnlyChangedValuesReachTheDevice) {
    KrD3DRenDev* device = Started();
    ASSERT_NE(device, nullptr);
    KrD3DRenDevProbe probe(*device);

    probe.SetRenderState(D3DRS_FOGENABLE, TRUE);
    probe.SetRenderState(D3DRS_FOGENABLE, TRUE);
    EXPECT_EQ(recorder_.Count("SetRenderState"), 1u);
    probe.SetRenderState(D3DRS_FOGENABLE, FALSE);
    EXPECT_EQ(recorder_.Count("SetRenderState"), 2u);
    EXPECT_EQ(EntriesFor(probe.StateCache(), D3DRS_FOGENABLE), 1);
    EXPECT_EQ(RenderState(device, D3DRS_FOGENABLE), static_cast<DWORD>(FALSE));

    // A failed call still counts as sent: the same value is not tried again.
    recorder_.FailCall("SetRenderState", D3DERR_INVALIDCALL);
    probe.SetRenderState(D3DRS_FOGENABLE, TRUE);
    probe.SetRenderState(D3DRS_FOGENABLE, TRUE);
    EXPECT_EQ(recorder_.Count("SetRenderState"), 3u);

    // Both stages share one entry per state type; an unknown stage value is 666.
    recorder_.Clear();
    probe.SetTextureStageState(0, D3DTSS_RESULTARG, D3DTA_TEMP);
    probe.SetTextureStageState(1, D3DTSS_RESULTARG, D3DTA_TEMP);
    probe.SetTextureStageState(1, D3DTSS_RESULTARG, D3DTA_TEMP);
    EXPECT_EQ(recorder_.Count("SetTextureStageState"), 2u);
    const TextureStageEntry* entry = StageEntry(probe.StageCache(), D3DTSS_RESULTARG);
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->stage0, static_cast<unsigned int>(D3DTA_TEMP));
    EXPECT_EQ(entry->stage1, static_cast<unsigned int>(D3DTA_TEMP));
    EXPECT_EQ(StageState(device, 1, D3DTSS_RESULTARG), static_cast<DWORD>(D3DTA_TEMP));

    probe.SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 1);
    entry = StageEntry(probe.StageCache(), D3DTSS_TEXCOORDINDEX);
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->stage1, kStageValueUnknown);
    probe.SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, kStageValueUnknown);
    EXPECT_EQ(recorder_.Count("SetTextureStageState"), 3u);

    // Stages above 1 have no place in an entry: sent every time, the entries untouched.
    int entries = probe.StageCache().Count();
    probe.SetTextureStageState(2, D3DTSS_RESULTARG, D3DTA_CURRENT);
    probe.SetTextureStageState(2, D3DTSS_RESULTARG, D3DTA_CURRENT);
    EXPECT_EQ(recorder_.Count("SetTextureStageState"), 5u);
    EXPECT_EQ(probe.StageCache().Count(), entries);
    entry = StageEntry(probe.StageCache(), D3DTSS_RESULTARG);
    EXPECT_EQ(entry->stage0, static_cast<unsigned int>(D3DTA_TEMP));
    EXPECT_EQ(entry->stage1, static_cast<unsigned int>(D3DTA_TEMP));
    EXPECT_EQ(StageState(device, 2, D3DTSS_RESULTARG), static_cast<DWORD>(D3DTA_CURRENT));

    EXPECT_TRUE(DeleteDevice(device));
}

TEST_F(StateCacheTest, CullModeAndAlphaGoThroughTheCache) {
    KrD3DRenDev* device = Started();
    ASSERT_NE(device, nullptr);

    device->SetPolyCullMode(eCullUnset);
    device->SetPolyCullMode(static_cast<ePolyCullMode>(7));
    EXPECT_EQ(recorder_.Count("SetRenderState"), 0u);
    EXPECT_EQ(krtest::LogLines(true), std::vector<std::string>(2, "ERROR: Invalid poly cull mode"));
    device->SetPolyCullMode(eCullNone);
    EXPECT_EQ(RenderState(device, D3DRS_CULLMODE), static_cast<DWORD>(D3DCULL_NONE));
    device->SetPolyCullMode(eCullCCW);
    device->SetPolyCullMode(eCullCCW);
    EXPECT_EQ(RenderState(device, D3DRS_CULLMODE), static_cast<DWORD>(D3DCULL_CCW));
    EXPECT_EQ(recorder_.Count("SetRenderState"), 2u);

    // Alpha only ever switches on, whatever the argument says.
    recorder_.Clear();
    EXPECT_TRUE(device->SetAlpha(false));
    const std::vector<std::pair<D3DRENDERSTATETYPE, DWORD>> expected = {
        {D3DRS_ALPHABLENDENABLE, TRUE},
        {D3DRS_SRCBLEND, D3DBLEND_SRCALPHA},
        {D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA},
        {D3DRS_ALPHATESTENABLE, TRUE},
        {D3DRS_ALPHAREF, 1},
        {D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL}};
    std::vector<krtest::RecordedCall> sent = recorder_.CallsOf("SetRenderState");
    ASSERT_EQ(sent.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(sent[i].args[0], static_cast<unsigned long long>(expected[i].first));
        EXPECT_EQ(sent[i].args[1], static_cast<unsigned long long>(expected[i].second));
        EXPECT_EQ(RenderState(device, expected[i].first), expected[i].second);
    }
    EXPECT_TRUE(device->SetAlpha(true));
    EXPECT_EQ(recorder_.Count("SetRenderState"), expected.size());

    EXPECT_TRUE(DeleteDevice(device));
}

TEST_F(StateCacheTest, StandardStatesFollowTheDepthBufferAndFilterCaps) {
    // Without a device there is nothing to set up, and that is no failure.
    KrD3DRenDev bare;
    EXPECT_TRUE(bare.SetRenderStates());

    KrD3DRenDev* device = Started();
    ASSERT_NE(device, nullptr);
    KrD3DRenDevProbe probe(*device);

    probe.SetFilterCaps(false);
    EXPECT_TRUE(device->SetRenderStates());
    std::vector<krtest::RecordedCall> samplers = recorder_.CallsOf("SetSamplerState");
    ASSERT_EQ(samplers.size(), 2u);
    for (size_t s = 0; s < 2; ++s) {
        EXPECT_EQ(samplers[s].args[0], s);
        EXPECT_EQ(samplers[s].args[1], static_cast<unsigned long long>(D3DSAMP_MIPMAPLODBIAS));
        EXPECT_EQ(samplers[s].args[2], 0xBF800000ull);
    }
    // The render states are cached from the device's creation: nothing to send again.
    EXPECT_EQ(recorder_.Count("SetRenderState"), 0u);

    recorder_.Clear();
    probe.SetFilterCaps(true);
    probe.SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
    device->UsingWBuffer() = true;
    EXPECT_TRUE(device->SetRenderStates());
    std::vector<krtest::RecordedCall> depth = recorder_.CallsOf("SetRenderState");
    ASSERT_EQ(depth.size(), 3u);
    EXPECT_EQ(depth[1].args[1], static_cast<unsigned long long>(D3DZB_TRUE));
    EXPECT_EQ(depth[2].args[1], static_cast<unsigned long long>(D3DZB_USEW));
    EXPECT_EQ(EntriesFor(probe.StateCache(), D3DRS_ZENABLE), 1);
    EXPECT_EQ(recorder_.Count("SetSamplerState"), 8u);
    DWORD filter = 0;
    device->Device()->GetSamplerState(1, D3DSAMP_MIPFILTER, &filter);
    EXPECT_EQ(filter, static_cast<DWORD>(D3DTEXF_LINEAR));
    EXPECT_TRUE(krtest::LogLines().empty()) << krtest::Join(krtest::LogLines());

    // One failing sampler state fails the set-up, and the rest are still sent.
    recorder_.Clear();
    recorder_.FailCall("SetSamplerState", D3DERR_INVALIDCALL, 2);
    EXPECT_FALSE(device->SetRenderStates());
    EXPECT_EQ(recorder_.Count("SetSamplerState"), 8u);
    EXPECT_EQ(krtest::LogLines(true),
              std::vector<std::string>{
                  "WARNING: Could not set all render states as required by renderer"});

    EXPECT_TRUE(DeleteDevice(device));
}

}  // namespace
}  // namespace resettest
