// Many objects for benchmarks: every object changes transform, effector and texture, so the
// device's state caches and draw path are what the frame time measures.
#include <cmath>

#include "device_objects.h"
#include "geometry.h"
#include "scene.h"

namespace krview {
namespace {

const char* const kTextures[3] = {"Media\\Textures\\gothic_floor\\metalbridge06_pent.jpg",
                                  "Media\\Textures\\base_wall\\bluemetalsupport.jpg",
                                  "Media\\Textures\\floor.tga"};
const float kSpacing = 30.0f;

class StressScene : public Scene {
  public:
    explicit StressScene(int objects) : objects_(objects) {}
    const char* Name() const override { return "stress"; }

    bool Create(KrRenderBase* render, KrApplication& app) override {
        render->GroundGrid() = false;
        render->NearZ() = 1.0f;
        columns_ = static_cast<int>(std::ceil(std::sqrt(static_cast<double>(objects_))));
        float extent = kSpacing * static_cast<float>(columns_);
        render->FarZ() = 1000.0f + 4.0f * extent;
        app.Camera()->LookAt(KrVector(0.0f, extent * 0.45f, -extent * 0.75f),
                             KrVector(0.0f, 0.0f, extent * 0.05f));
        cube_ = MakeVertexBuffer(render, Cube(9.0f, 0xFFFFFFFFu), kDefaultFvf);
        litCube_ = MakeVertexBuffer(render, LitCube(9.0f, 0xFFFFFFFFu), kLitFvf);
        if (cube_ == nullptr || litCube_ == nullptr || !secondStageOff_.Create(render)) {
            return false;
        }
        // Alternating effectors: the built-in default and lit ones, and textured copies.
        effectors_[0] = 0;
        effectors_[1] = TexturedEffector(render, "ShaderDefault", "krview.stress.a",
                                         StaticTexture(render, kTextures[0]), 0);
        effectors_[2] = TexturedEffector(render, "ShaderDefault", "krview.stress.b",
                                         StaticTexture(render, kTextures[1]), 0);
        effectors_[3] = TexturedEffector(render, "Shader3d", "krview.stress.lit",
                                         StaticTexture(render, kTextures[2]), 0);
        for (int i = 0; i < 3; ++i) {
            textures_[i] = StaticTexture(render, kTextures[i]);
        }
        return effectors_[1] >= 0 && effectors_[2] >= 0 && effectors_[3] >= 0;
    }

    void Animate(KrApplication& app, int frame) override {
        KrLightBase* light = app.Lights()->GetLight(0);
        if (light != nullptr) {
            float angle = 0.03f * static_cast<float>(frame);
            float radius = kSpacing * static_cast<float>(columns_) * 0.35f;
            light->SetPosition(KrVector(radius * std::cos(angle), 30.0f, radius * std::sin(angle)));
            light->SetRange(kSpacing * static_cast<float>(columns_) * 1.2f + 60.0f);
        }
    }

    int Draw(KrRenderBase* render, KrApplication&, int frame) override {
        // A reset, a toggle or the scene before may have left other values in both.
        render->SetPolyCullMode(eCullCCW);
        int draws = secondStageOff_.Apply(render);
        float origin = -0.5f * kSpacing * static_cast<float>(columns_ - 1);
        for (int i = 0; i < objects_; ++i) {
            KrVector place(origin + kSpacing * static_cast<float>(i % columns_), 10.0f,
                           origin + kSpacing * static_cast<float>(i / columns_));
            KrCoords frameOfObject = TurnedFrame(place, 0.03f * static_cast<float>(frame + i));
            render->SetTransform(&frameOfObject);
            int kind = i % 4;
            render->SetEffector(static_cast<unsigned int>(effectors_[kind]));
            render->SetTexture(textures_[i % 3], eTexStatic, 0);
            if (kind == 3) {
                render->DrawPrimitive(kTriangleList, litCube_, sizeof(LitVertex), 12);
            } else {
                render->DrawPrimitive(kTriangleList, cube_, sizeof(DefaultVertex), 12);
            }
        }
        return draws + objects_;
    }

    void Destroy(KrRenderBase* render) override {
        DropBuffer(cube_);
        DropBuffer(litCube_);
        secondStageOff_.Destroy();
        render->FarZ() = 1000.0f;
    }

  private:
    int objects_;
    int columns_ = 1;
    KrVertexBufferBase* cube_ = nullptr;
    KrVertexBufferBase* litCube_ = nullptr;
    SecondStageOff secondStageOff_;
    int effectors_[4] = {0, -1, -1, -1};
    unsigned int textures_[3] = {0, 0, 0};
};

}  // namespace

std::unique_ptr<Scene> MakeStressScene(int objects) {
    return std::unique_ptr<Scene>(new StressScene(objects));
}

}  // namespace krview
