// The engine objects a rendering device talks to: the effector manager's name lookup, the sprite
// daemon and the camera's frame.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "recording_render.h"

namespace {
typedef KrStringT<char> Str;

class PlainEffector : public KrEffector {
  public:
    void Reset() override {}
    KrRenderPass* AddPass(const Str&) override { return nullptr; }
    KrRenderPass* GetPass(int) override { return nullptr; }
    bool IsProgrammable() override { return false; }
};

// Registers as a device's manager does: append, then file the name in its bucket.
class NamingManager : public KrEffectorMgr {
  public:
    int AddEffector(Str& name, KrEffector* effector) override {
        int index = effectors.Add(effector);
        effectors.Compact();
        buckets[hasher.Bucket(name.Text())].Append(NamedIndex(name, index));
        return index;
    }
    int AddEffector(Str&, const Str&, eFXRep) override { return -1; }
    KrEffector* CreateEffector(const Str&) override { return nullptr; }
    KrEffector* CreateEffector() override { return new PlainEffector; }
    int Register(const char* name) {
        Str text(name);
        return AddEffector(text, CreateEffector());
    }
    int BucketOf(const char* name) { return hasher.Bucket(name); }
};

float Length(const KrVector& v) {
    return std::sqrt(v | v);
}

KrVector Cross(const KrVector& a, const KrVector& b) {
    return KrVector(a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x);
}
}  // namespace

TEST(EffectorNames, LookupGivesTheNewestIndexAndZeroForUnknownNames) {
    int blocks = krLiveBlocks();
    {
        NamingManager manager;
        EXPECT_EQ(manager.GetEffector(Str("ShaderDefault")), 0);
        EXPECT_EQ(manager.GetEffector(Str()), 0);
        EXPECT_EQ(manager.GetEffector(0u), nullptr);

        EXPECT_EQ(manager.Register("ShaderDefault"), 0);
        EXPECT_EQ(manager.Register("Shader3dLine"), 1);
        EXPECT_EQ(manager.Register("Glow"), 2);
        EXPECT_EQ(manager.GetEffector(Str("Shader3dLine")), 1);
        EXPECT_EQ(manager.GetEffector(Str("Glow")), 2);
        EXPECT_EQ(manager.GetEffector(Str("glow")), 0);
        EXPECT_EQ(manager.GetEffector(Str("Glo")), 0);

        EXPECT_EQ(manager.Register("Glow"), 3);
        EXPECT_EQ(manager.GetEffector(Str("Glow")), 3);

        // Two different names that share a bucket still find their own entries.
        std::string partner;
        for (int i = 0; partner.empty() && i < 10000; ++i) {
            std::string candidate = "fx" + std::to_string(i);
            if (manager.BucketOf(candidate.c_str()) == manager.BucketOf("Glow")) {
                partner = candidate;
            }
        }
        ASSERT_FALSE(partner.empty());
        EXPECT_EQ(manager.Register(partner.c_str()), 4);
        EXPECT_EQ(manager.GetEffector(Str("Glow")), 3);
        EXPECT_EQ(manager.GetEffector(Str(partner.c_str())), 4);

        ASSERT_NE(manager.GetEffector(4u), nullptr);
        EXPECT_NE(*manager.GetEffector(4u), nullptr);
        EXPECT_EQ(manager.GetEffector(5u), nullptr);
        EXPECT_EQ(manager.EffectorCount(), 5);
    }
    // The manager gives back its effectors, its name entries and its buckets.
    EXPECT_EQ(krLiveBlocks(), blocks);
}

TEST(SpriteDaemon, DrawsOnlyBetweenInitAndDestroy) {
    enginetest::RecordingRender render;
    KrSpriteDaemon daemon;
    render.SetSpriteDaemon(&daemon);
    daemon.AddSprite(0, 0, 16, 16, 3, KrARGB());
    daemon.AddSprite(32, 0, 16, 16, 4, KrARGB());

    daemon.DrawAll(&render);
    EXPECT_TRUE(render.calls.empty()) << "drawn before the device resources exist";

    render.Init();  // the device's base start-up makes the sprites ready
    EXPECT_TRUE(daemon.IsReady());
    render.Init();
    EXPECT_EQ(daemon.InitCount(), 1);
    daemon.DrawAll(&render);
    EXPECT_EQ(std::count(render.calls.begin(), render.calls.end(), "DrawPrimitive"), 2);
    EXPECT_EQ(render.texture, 4u);
    daemon.DrawAll(nullptr);

    render.Forget();
    render.Exit();
    EXPECT_FALSE(daemon.IsReady());
    EXPECT_EQ(daemon.DestroyCount(), 1);
    daemon.DrawAll(&render);
    EXPECT_TRUE(render.calls.empty()) << "drawn after the device resources went";

    for (int i = daemon.SpriteCount(); i < KrSpriteDaemon::kMaxSprites; ++i) {
        EXPECT_EQ(daemon.AddSprite(0, 0, 1, 1, 0, KrARGB()), i);
    }
    EXPECT_EQ(daemon.AddSprite(0, 0, 1, 1, 0, KrARGB()), -1);
    render.SetSpriteDaemon(nullptr);
}

TEST(Camera, LookAtGivesAnOrthonormalLeftHandedFrame) {
    const KrVector cases[][2] = {{KrVector(0, 0, -10), KrVector(0, 0, 0)},
                                 {KrVector(3, 4, 5), KrVector(-2, 1, 7)},
                                 {KrVector(0, 10, 0), KrVector(0, 0, 0)},   // straight down
                                 {KrVector(0, -5, 0), KrVector(0, 5, 0)}};  // straight up
    for (const auto& c : cases) {
        KrCamera camera;
        camera.LookAt(c[0], c[1]);
        const KrCoords& f = *camera.GetFrame();
        SCOPED_TRACE(testing::Message() << "eye " << c[0].x << "," << c[0].y << "," << c[0].z);
        EXPECT_NEAR(Length(f.X), 1.0f, 1e-5f);
        EXPECT_NEAR(Length(f.Y), 1.0f, 1e-5f);
        EXPECT_NEAR(Length(f.Z), 1.0f, 1e-5f);
        EXPECT_NEAR(f.X | f.Y, 0.0f, 1e-5f);
        EXPECT_NEAR(f.X | f.Z, 0.0f, 1e-5f);
        EXPECT_NEAR(f.Y | f.Z, 0.0f, 1e-5f);
        KrVector view = c[1] - c[0];
        EXPECT_NEAR(f.Z | view, Length(view), 1e-4f);
        KrVector z = Cross(f.X, f.Y);  // left-handed: X x Y = Z with the view along +Z
        EXPECT_NEAR(Length(z - f.Z), 0.0f, 1e-5f);
        EXPECT_GE(f.Y.y, 0.0f) << "camera upside down";
        EXPECT_EQ(f.P.x, c[0].x);
        EXPECT_EQ(f.P.y, c[0].y);
        EXPECT_EQ(f.P.z, c[0].z);
    }

    // Looking from a point at itself has no direction: the frame stays as it was.
    KrCamera camera;
    camera.LookAt(KrVector(1, 1, 1), KrVector(1, 1, 1));
    EXPECT_EQ(camera.GetFrame()->Z.z, 1.0f);
    EXPECT_EQ(camera.GetFrame()->P.x, 0.0f);
    EXPECT_EQ(camera.FOV(), 90.0f);
}
