// The first frame of the process builds the black-background effector; later frames, even of
// another device object, do not build it again. Runs in a process of its own.
#include "frame_fixture.h"

namespace {

TEST(FirstFrame, BuildsBlackBackgroundOncePerProcess) {
    krtest::RunningDevice running;
    ASSERT_TRUE(running.Start());
    KrRenderBase* render = running.Render();
    KrEffectorMgr* effectors = render->FXMgr();
    KrStringT<char> name("ShaderBlackBack");
    EXPECT_EQ(0, effectors->GetEffector(name));
    int before = effectors->EffectorCount();
    ASSERT_EQ(S_OK, render->PreRender(ePreRenderClear));
    int index = effectors->GetEffector(name);
    ASSERT_EQ(before, index) << "registered after the four built-in effectors";
    KrRenderPass* pass = (*effectors->GetEffector(static_cast<unsigned int>(index)))->GetPass(0);
    KrRenderPass* builtIn2d = (*effectors->GetEffector(2u))->GetPass(0);
    EXPECT_EQ(kPassAlpha, pass->flags & kPassAlpha);
    EXPECT_EQ(0u, builtIn2d->flags & kPassAlpha) << "the copy, not the built-in effector, changed";
    EXPECT_EQ(render->TextureMgr()->GetTexture(KrStringT<char>("Textures\\ui\\blackback.jpg")),
              pass->textureIndex);
    ASSERT_EQ(S_OK, render->EndRender());
    ASSERT_EQ(S_OK, render->PreRender(ePreRenderClear));
    EXPECT_EQ(before + 1, effectors->EffectorCount());
    ASSERT_EQ(S_OK, render->EndRender());
    running.Stop();

    krtest::RunningDevice second;
    ASSERT_TRUE(second.Start());
    ASSERT_EQ(S_OK, second.Render()->PreRender(ePreRenderClear));
    EXPECT_EQ(0, second.Render()->FXMgr()->GetEffector(name));
    ASSERT_EQ(S_OK, second.Render()->EndRender());
}

}  // namespace
