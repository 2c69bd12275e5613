// The nine experimental paths side by side: each quad is shown in its own tile of a 3x3 grid by
// viewing it through a camera of its own.
#include <cmath>

#include "scene.h"

namespace krview {
namespace {

struct PathView {
    const char* name;
    float halfSize;  // the path's quad spans [-h, h] around the z axis
    float depth;     // and faces the camera at this z
    float distance;  // camera distance in quad half-sizes: the tilted quad needs more room
    void (*draw)(KrRenderBase*);
};

const PathView kPaths[9] = {
    {"NuDiffuse", 100, 0, 4.5f, [](KrRenderBase* r) { r->NuDiffuse(); }},
    {"NuDiffuseTex1", 100, 100, 4.5f, [](KrRenderBase* r) { r->NuDiffuseTex1(); }},
    {"NuDiffuseTex1Unlit", 100, 0, 6.0f, [](KrRenderBase* r) { r->NuDiffuseTex1Unlit(); }},
    {"NuRealDiffuseTex1Scroll", 100, 200, 4.5f,
     [](KrRenderBase* r) { r->NuRealDiffuseTex1Scroll(1.0f); }},
    {"NuRealDiffuseTex1RotScale", 1000, 300, 4.5f,
     [](KrRenderBase* r) { r->NuRealDiffuseTex1RotScale(); }},
    {"NuRealDiffuseTex2", 100, 400, 4.5f, [](KrRenderBase* r) { r->NuRealDiffuseTex2(); }},
    {"NuCheatEnvMapping", 500, 500, 4.5f, [](KrRenderBase* r) { r->NuCheatEnvMapping(); }},
    {"NuAlphaCheck", 500, 900, 4.5f, [](KrRenderBase* r) { r->NuAlphaCheck(); }},
    {"NuBumpMapping", 500, 1300, 4.5f, [](KrRenderBase* r) { r->NuBumpMapping(); }},
};

class PathsScene : public Scene {
  public:
    const char* Name() const override { return "paths"; }

    bool Create(KrRenderBase* render, KrApplication& app) override {
        render->GroundGrid() = false;
        // The farthest camera stands 4500 units from its quad.
        render->NearZ() = 1.0f;
        render->FarZ() = 20000.0f;
        app.Camera()->LookAt(KrVector(0.0f, 0.0f, -450.0f), KrVector(0.0f, 0.0f, 0.0f));
        return true;
    }

    void Animate(KrApplication&, int) override {}

    int Draw(KrRenderBase* render, KrApplication& app, int) override {
        // The path quads are wound counter-clockwise as seen from the cameras in front of them.
        // Every frame: a reset or a toggle puts the device's standard culling back.
        render->SetPolyCullMode(eCullNone);
        float tanHalf =
            static_cast<float>(std::tan(app.Camera()->FOV() * 0.5f * 3.14159265f / 180.0f));
        float aspect =
            static_cast<float>(render->GetHeight()) / static_cast<float>(render->GetWidth());
        for (int i = 0; i < 9; ++i) {
            const PathView& path = kPaths[i];
            // The tile's centre in normalised screen coordinates, rows from the top.
            float tileX = static_cast<float>(i % 3 - 1) * (2.0f / 3.0f);
            float tileY = static_cast<float>(1 - i / 3) * (2.0f / 3.0f);
            float distance = path.distance * path.halfSize;
            KrCoords camera;
            camera.P = KrVector(-tileX * distance * tanHalf, -tileY * distance * tanHalf * aspect,
                                path.depth - distance);
            render->SetView(&camera);
            path.draw(render);
        }
        return 9;
    }

    void Destroy(KrRenderBase* render) override {
        render->FarZ() = 1000.0f;
        render->SetPolyCullMode(eCullCCW);
    }
};

}  // namespace

std::unique_ptr<Scene> MakePathsScene() {
    return std::unique_ptr<Scene>(new PathsScene());
}

}  // namespace krview
