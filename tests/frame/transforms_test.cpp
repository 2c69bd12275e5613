// View, projection and world transforms arrive in the shader constants the built-in shaders read.
#include "frame_fixture.h"

namespace {

void ExpectRegister(IDirect3DDevice9* device, UINT reg, float x, float y, float z, float w) {
    float value[4] = {};
    device->GetVertexShaderConstantF(reg, value, 1);
    EXPECT_NEAR(x, value[0], 1e-5f) << "c" << reg << ".x";
    EXPECT_NEAR(y, value[1], 1e-5f) << "c" << reg << ".y";
    EXPECT_NEAR(z, value[2], 1e-5f) << "c" << reg << ".z";
    EXPECT_NEAR(w, value[3], 1e-5f) << "c" << reg << ".w";
}

TEST(ViewAndWorldConstants, CameraAndObjectFramesBecomeTransposedMatrices) {
    krtest::RunningDevice running;
    ASSERT_TRUE(running.Start());
    KrRenderBase* render = running.Render();
    IDirect3DDevice9* device = running.Direct3DDevice();
    RECT area = {0, 0, 640, 480};
    render->SetClientArea(area);
    frametest::PlaceCamera(running);

    // fov 90 over a 640x480 area: t = 1, view 2 x 1.5 at the near plane, q = 1.01.
    render->SetView(running.App().Camera()->GetFrame());
    ExpectRegister(device, 0, 1.0f, 0.0f, 0.0f, 0.0f);
    ExpectRegister(device, 1, 0.0f, 4.0f / 3.0f, 0.0f, 0.0f);
    ExpectRegister(device, 2, 0.0f, 0.0f, 1.01f, 10.0f * 1.01f - 1.01f);
    ExpectRegister(device, 3, 0.0f, 0.0f, 1.0f, 10.0f);
    const KrViewRecord& view = render->View();
    EXPECT_FLOAT_EQ(2.0f, view.viewWidth);
    EXPECT_FLOAT_EQ(1.5f, view.viewHeight);
    EXPECT_NEAR(73.7398f, view.verticalFov, 1e-3f);
    EXPECT_FLOAT_EQ(-10.0f, view.position.z);

    // The near distance written through the engine's accessor is the one the next view uses.
    render->NearZ() = 2.0f;
    render->SetView(running.App().Camera()->GetFrame());
    EXPECT_FLOAT_EQ(4.0f, render->View().viewWidth);

    render->SetTransform(nullptr);
    ExpectRegister(device, 4, 1, 0, 0, 0);
    ExpectRegister(device, 5, 0, 1, 0, 0);
    ExpectRegister(device, 6, 0, 0, 1, 0);
    ExpectRegister(device, 7, 0, 0, 0, 1);
    KrCoords object;
    object.P = KrVector(1.0f, 2.0f, 3.0f);
    render->SetTransform(&object);
    ExpectRegister(device, 4, 1, 0, 0, 1);
    ExpectRegister(device, 5, 0, 1, 0, 2);
    ExpectRegister(device, 6, 0, 0, 1, 3);
    ExpectRegister(device, 7, 0, 0, 0, 1);

    RECT window = {0, 0, 800, 600};
    render->SetClientArea(window);
    EXPECT_EQ(800u, render->GetWidth());
    EXPECT_EQ(600u, render->GetHeight());
    EXPECT_EQ(1.3333334f, render->GetAspectRatio());
}

}  // namespace
