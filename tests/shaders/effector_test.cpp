// Effectors and the effector manager: passes compiled through the shader cache, copies that share
// shaders but not passes, registration by name and the refused script form.
#include "shader_device.h"

namespace {
const char kColourText[] =
    "vs.1.1\ndcl_position v0\ndcl_color0 v1\nm4x4 oPos, v0, c0\nmov oD0, v1\n";
const char kPlainText[] = "vs.1.1\ndcl_position v0\nm4x4 oPos, v0, c0\n";
const char kBrokenText[] = "vs.1.1\nthis is not assembly\n";

KrD3DRenderPass* PassOf(KrEffector* effector, int index) {
    return static_cast<KrD3DRenderPass*>(effector->GetPass(index));
}

// A registered effector with two passes: a textured one and an alpha one.
KrD3DEffector* TwoPassEffector(KrEffectorMgr* fx, unsigned int texture) {
    KrD3DEffector* effector = static_cast<KrD3DEffector*>(fx->CreateEffector());
    KrRenderPass* first = effector->AddPass(kColourText);
    first->textureIndex = texture;
    KrRenderPass* second = effector->AddPass(kPlainText);
    second->flags = kPassAlpha;
    return effector;
}
}  // namespace

TEST_F(ShaderDeviceTest, EffectorPassesComeFromTheShaderCacheAndBadIndexesAreRefused) {
    KrD3DEffector* effector = static_cast<KrD3DEffector*>(fx->CreateEffector());
    ASSERT_NE(nullptr, effector);
    EXPECT_FALSE(effector->IsProgrammable());
    EXPECT_EQ(nullptr, effector->GetPass(0));

    KrRenderPass* added = effector->AddPass(kColourText);
    ASSERT_NE(nullptr, added);
    KrD3DRenderPass* pass = PassOf(effector, 0);
    EXPECT_EQ(added, pass);
    IDirect3DVertexShader9* shader = nullptr;
    IDirect3DVertexDeclaration9* declaration = nullptr;
    Compile(kColourText, &shader, &declaration);
    EXPECT_EQ(shader, pass->shader);
    EXPECT_EQ(declaration, pass->declaration);
    EXPECT_EQ(1, AssemblerSeam::calls);

    // A text that does not assemble adds no pass.
    krtest::ClearLog();
    EXPECT_EQ(nullptr, effector->AddPass(kBrokenText));
    EXPECT_EQ(1, effector->PassCount());
    EXPECT_TRUE(krtest::ContainsRun(
        krtest::LogLines(true), {std::string("ERROR: Failed to add render pass ") + kBrokenText}))
        << krtest::Join(krtest::LogLines());
    // Asked again, the cache answers for the remembered failure: a pass without a shader.
    KrRenderPass* shaderless = effector->AddPass(kBrokenText);
    ASSERT_NE(nullptr, shaderless);
    EXPECT_EQ(nullptr, PassOf(effector, 1)->shader);
    EXPECT_EQ(2, effector->PassCount());
    EXPECT_TRUE(effector->IsProgrammable());

    krtest::ClearLog();
    EXPECT_EQ(nullptr, effector->GetPass(2));
    EXPECT_EQ(nullptr, effector->GetPass(-1));
    EXPECT_EQ((std::vector<std::string>{"ERROR: Requested invalid pass index from effector",
                                        "ERROR: Requested invalid pass index from effector"}),
              krtest::LogLines(true));

    // Reset forgets every pass; the cache keeps the shaders.
    effector->Reset();
    EXPECT_EQ(0, effector->PassCount());
    EXPECT_FALSE(effector->IsProgrammable());
    EXPECT_EQ(2, KrD3DRenDevProbe::SourceCount(*dev));
    delete effector;

    // Without a renderer nothing can be compiled.
    Engine().SetRender(nullptr);
    KrD3DEffector orphan;
    EXPECT_EQ(nullptr, orphan.AddPass(kColourText));
    EXPECT_EQ(0, orphan.PassCount());
}

TEST_F(ShaderDeviceTest, EffectorEqualityComparesOnlyItsOwnPasses) {
    KrD3DEffector* a = TwoPassEffector(fx, 3);
    KrD3DEffector* b = TwoPassEffector(fx, 3);
    EXPECT_TRUE(*a == *b);
    PassOf(b, 1)->flags = 0;
    EXPECT_FALSE(*a == *b);
    PassOf(b, 1)->flags = kPassAlpha;
    b->sortKey = 7;
    EXPECT_FALSE(*a == *b);
    b->sortKey = a->sortKey;

    // A shorter effector whose passes all match the other's is equal to it; the longer one is not
    // equal to the shorter (it has a pass the other lacks), and no pass beyond the shorter's end
    // is read.
    KrD3DEffector* shorter = static_cast<KrD3DEffector*>(fx->CreateEffector());
    shorter->AddPass(kColourText)->textureIndex = 3;
    EXPECT_TRUE(*shorter == *a);
    EXPECT_FALSE(*a == *shorter);
    KrD3DEffector empty;
    EXPECT_FALSE(*a == empty);
    EXPECT_TRUE(empty == *a);

    // A destroyed pass forgets its texture, order, shader and declaration, and keeps its flags.
    KrD3DRenderPass* pass = PassOf(b, 1);
    pass->Destroy();
    EXPECT_EQ(0xFFFFFFFFu, pass->textureIndex);
    EXPECT_EQ(-1, pass->sortOrder);
    EXPECT_EQ(static_cast<unsigned int>(kPassAlpha), pass->flags);
    EXPECT_EQ(nullptr, pass->shader);
    EXPECT_EQ(nullptr, pass->declaration);
    delete a;
    delete b;
    delete shorter;
}

TEST_F(ShaderDeviceTest, EffectorManagerRegistersByNameAndKeepsItsListExact) {
    KrStringT<char> first("First");
    KrStringT<char> water("Water");
    EXPECT_EQ(0, fx->AddEffector(first, TwoPassEffector(fx, 1)));
    EXPECT_EQ(1, fx->Capacity());
    EXPECT_EQ(1, fx->AddEffector(water, TwoPassEffector(fx, 5)));
    EXPECT_EQ(2, fx->Capacity());

    // The same effector under the same name again: the old index, the newcomer destroyed (the
    // live-block check of the fixture sees it go).
    int blocks = krLiveBlocks();
    KrD3DEffector* duplicate = TwoPassEffector(fx, 5);
    EXPECT_EQ(1, fx->AddEffector(water, duplicate));
    EXPECT_EQ(blocks, krLiveBlocks());
    EXPECT_EQ(2, fx->EffectorCount());
    EXPECT_EQ(1, fx->NameEntries("Water"));

    // A different effector under a known name gets an index and a name entry of its own.
    EXPECT_EQ(2, fx->AddEffector(water, TwoPassEffector(fx, 6)));
    EXPECT_EQ(3, fx->Capacity());
    EXPECT_EQ(2, fx->NameEntries("Water"));
    // Index 0 reads as "no such name", so a repeat of the first registration is added again.
    EXPECT_EQ(3, fx->AddEffector(first, TwoPassEffector(fx, 1)));
    EXPECT_EQ(4, fx->Capacity());
    EXPECT_EQ(4, fx->EffectorCount());
    // A missing effector is registered as missing, and repeats of it are not added.
    KrStringT<char> nothing("Nothing");
    EXPECT_EQ(4, fx->AddEffector(nothing, nullptr));
    EXPECT_EQ(4, fx->AddEffector(nothing, nullptr));
    EXPECT_EQ(5, fx->Capacity());
    EXPECT_EQ(nullptr, fx->CreateEffector(nothing));
    EXPECT_EQ(nullptr, fx->Clone(99));
    EXPECT_EQ(nullptr, fx->Clone(-1));
}

TEST_F(ShaderDeviceTest, EffectorCopiesByNameShareShadersButNotPasses) {
    // Indexes 0-2 answer to the built-in names without a lookup.
    KrStringT<char> names[] = {"ShaderDefault", "Shader3dLine", "Shader2d", "Sky"};
    for (int i = 0; i < 4; ++i) {
        fx->AddEffector(names[i], TwoPassEffector(fx, static_cast<unsigned int>(10 + i)));
    }
    for (int i = 0; i < 4; ++i) {
        KrEffector* copy = fx->CreateEffector(names[i]);
        ASSERT_NE(nullptr, copy);
        KrD3DEffector* registered = fx->At(static_cast<unsigned int>(i));
        EXPECT_NE(registered, copy);
        EXPECT_TRUE(*static_cast<KrD3DEffector*>(copy) == *registered);
        EXPECT_EQ(static_cast<unsigned int>(10 + i), PassOf(copy, 0)->textureIndex);
        EXPECT_EQ(PassOf(registered, 0)->shader, PassOf(copy, 0)->shader);
        EXPECT_EQ(PassOf(registered, 1)->declaration, PassOf(copy, 1)->declaration);

        // Changing the copy's pass, or destroying the copy, leaves the registered one intact.
        PassOf(copy, 0)->textureIndex = 99;
        PassOf(copy, 1)->flags = kPassDynamicTexture;
        copy->Reset();
        delete copy;
        EXPECT_EQ(2, registered->PassCount());
        EXPECT_EQ(static_cast<unsigned int>(10 + i), PassOf(registered, 0)->textureIndex);
        EXPECT_EQ(static_cast<unsigned int>(kPassAlpha), PassOf(registered, 1)->flags);
        EXPECT_NE(nullptr, PassOf(registered, 0)->shader);
    }
    // A name nobody registered is a copy of effector 0.
    KrEffector* unknown = fx->CreateEffector(KrStringT<char>("Nowhere"));
    ASSERT_NE(nullptr, unknown);
    EXPECT_EQ(10u, PassOf(unknown, 0)->textureIndex);
    delete unknown;
}

TEST_F(ShaderDeviceTest, EffectorManagerOnEmptyRegistryAndScriptsIsRefused) {
    EXPECT_EQ(nullptr, fx->CreateEffector(KrStringT<char>("ShaderDefault")));
    EXPECT_EQ(nullptr, fx->CreateEffector(KrStringT<char>("Anything")));

    KrStringT<char> name("Scripted");
    KrStringT<char> empty;
    KrStringT<char> script("textures/base_wall/metal\n{\n\tmap $lightmap\n}");
    EXPECT_EQ(-1, fx->AddEffector(name, empty, eFXRepQ3A));
    EXPECT_EQ(-1, fx->AddEffector(name, script, eFXRepQ3A));
    EXPECT_EQ(-1, fx->AddEffector(name, script, static_cast<eFXRep>(2)));
    EXPECT_EQ(-1, fx->AddEffector(name, empty, static_cast<eFXRep>(0)));
    EXPECT_EQ((std::vector<std::string>{
                  "ERROR: Empty script sent to KrEffectorMgr::AddEffector(...)",
                  "*** Q3A Shader script:\n\ttextures/base_wall/metal\n{\n\tmap $lightmap\n}",
                  "ERROR: Unknown script format passed to KrEffectorMgr::AddEffector(...)",
                  "ERROR: Empty script sent to KrEffectorMgr::AddEffector(...)"}),
              krtest::LogLines(true));
    EXPECT_EQ(0, fx->EffectorCount());
    EXPECT_EQ(0, fx->NameEntries("Scripted"));
}
