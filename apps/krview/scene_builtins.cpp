// The built-in effectors at work: a lit floor with streamed indices, textured objects, lines and
// circles over the ground grid, and a 2-D overlay with a texture rewritten every frame.
#include <cmath>
#include <vector>

#include "device_objects.h"
#include "geometry.h"
#include "scene.h"

namespace krview {
namespace {

const int kDefaultEffector = 0;  // "ShaderDefault"
const char kBronze[] = "Media\\Textures\\gothic_floor\\metalbridge06_pent.jpg";
const char kBlueMetal[] = "Media\\Textures\\base_wall\\bluemetalsupport.jpg";
const unsigned int kDynamicSize = 64;
// The overlay panel that shows the dynamic texture, in pixels from the top-left corner.
const float kPanelX = 16.0f, kPanelY = 16.0f, kPanelSize = 128.0f;
// The lower half of the dynamic texture is this flat colour, so a picture can be checked there.
const uint32_t kPanelColour = 0xFFFF8000u;
const int kFloorCells = 16;
const int kIndexRing = 3;  // floors' worth of indices the ring holds before it restarts

class BuiltinsScene : public Scene {
  public:
    const char* Name() const override { return "builtins"; }

    bool Create(KrRenderBase* render, KrApplication& app) override {
        render_ = render;
        render->NearZ() = 1.0f;
        render->FarZ() = 1000.0f;
        render->GroundGrid() = true;
        app.Camera()->LookAt(KrVector(0.0f, 70.0f, -150.0f), KrVector(0.0f, 0.0f, 10.0f));

        std::vector<LitVertex> floor;
        Floor(kFloorCells, 100.0f, -0.5f, 4.0f, floor, floorIndices_);
        floorVertices_ = MakeVertexBuffer(render, floor, kLitFvf);
        floorVertexCount_ = static_cast<int>(floor.size());
        unsigned int ringBytes =
            static_cast<unsigned int>(floorIndices_.size() * sizeof(uint16_t)) * kIndexRing;
        if (!render->CreateIndexBuffer(&floorIndexBuffer_, ringBytes, eIDX16, eMemSystem)) {
            floorIndexBuffer_ = nullptr;
        }
        cube_ = MakeVertexBuffer(render, Cube(12.0f, 0xFFFFFFFFu), kDefaultFvf);
        if (floorVertices_ == nullptr || floorIndexBuffer_ == nullptr || cube_ == nullptr ||
            !secondStageOff_.Create(render)) {
            return false;
        }
        floorEffector_ =
            TexturedEffector(render, "Shader3d", "krview.floor", StaticTexture(render, kBronze), 0);
        bronzeEffector_ = TexturedEffector(render, "ShaderDefault", "krview.bronze",
                                           StaticTexture(render, kBronze), 0);
        blueEffector_ = TexturedEffector(render, "ShaderDefault", "krview.blue",
                                         StaticTexture(render, kBlueMetal), 0);
        if (!CreateDynamicTexture()) {
            return false;
        }
        dynamicEffector_ = TexturedEffector(render, "Shader2d", "krview.dynamic", dynamicIndex_,
                                            kPassDynamicTexture);
        return floorEffector_ >= 0 && bronzeEffector_ >= 0 && blueEffector_ >= 0 &&
               dynamicEffector_ >= 0 && BuildOverlay();
    }

    void Animate(KrApplication& app, int frame) override {
        float angle = 6.2831853f * static_cast<float>(frame % 240) / 240.0f;
        KrLightBase* light = app.Lights()->GetLight(0);
        if (light != nullptr) {
            light->SetPosition(KrVector(50.0f * std::cos(angle), 25.0f, 50.0f * std::sin(angle)));
            light->SetRange(300.0f);
        }
    }

    int Draw(KrRenderBase* render, KrApplication& app, int frame) override {
        // A reset, a toggle or the scene before may have left other values in both.
        render->SetPolyCullMode(eCullCCW);
        int draws = secondStageOff_.Apply(render);
        if (render->GetWidth() != overlayWidth_ || render->GetHeight() != overlayHeight_) {
            BuildOverlay();
        }
        draws += DrawFloor(render, frame);
        draws += DrawObjects(render, frame);
        draws += DrawLines(render, app);
        UpdateDynamicTexture(frame);
        draws += DrawOverlay(render);
        return draws;
    }

    void Destroy(KrRenderBase* render) override {
        DropBuffer(floorVertices_);
        DropBuffer(floorIndexBuffer_);
        DropBuffer(cube_);
        secondStageOff_.Destroy();
        for (KrVertexBufferBase*& panel : panels_) {
            DropBuffer(panel);
        }
        render->GroundGrid() = false;
        render_ = nullptr;
    }

    // The device unlinks every dynamic texture when it resets; this one is made again after.
    void ReleaseDeviceObjects() override { dynamicHandle_ = -1; }
    void RestoreDeviceObjects() override {
        if (render_ != nullptr && CreateDynamicTexture()) {
            RetargetEffector(render_, dynamicEffector_, dynamicIndex_);
        }
    }

  private:
    bool CreateDynamicTexture() {
        KrTextureMgrBase* textures = render_->TextureMgr();
        dynamicHandle_ = textures != nullptr ? textures->CreateTexture(kDynamicSize, kDynamicSize,
                                                                       eResFmtA8R8G8B8, 1)
                                             : -1;
        int index = -1;
        if (dynamicHandle_ < 0 ||
            !textures->GetDynamic(static_cast<unsigned int>(dynamicHandle_), index)) {
            dynamicHandle_ = -1;
            return false;
        }
        dynamicIndex_ = static_cast<unsigned int>(index);
        return true;
    }

    // A moving pattern in the upper half, a flat panel colour in the lower half, a white rim.
    void UpdateDynamicTexture(int frame) {
        if (dynamicHandle_ < 0) {
            return;
        }
        KrTextureBase* texture =
            render_->TextureMgr()->GetDynamic(static_cast<unsigned int>(dynamicHandle_));
        uint32_t* texels =
            texture != nullptr ? static_cast<uint32_t*>(texture->Access(0)) : nullptr;
        if (texels == nullptr) {
            return;
        }
        const unsigned int n = kDynamicSize;
        for (unsigned int y = 0; y < n; ++y) {
            for (unsigned int x = 0; x < n; ++x) {
                uint32_t colour = kPanelColour;
                if (x < 2 || y < 2 || x >= n - 2 || y >= n - 2) {
                    colour = 0xFFFFFFFFu;
                } else if (y < n / 2) {
                    uint32_t r = (x * 4 + static_cast<uint32_t>(frame) * 3) & 0xFF;
                    uint32_t g = (y * 8 + static_cast<uint32_t>(frame) * 5) & 0xFF;
                    uint32_t b = ((x ^ y) * 4 + static_cast<uint32_t>(frame)) & 0xFF;
                    colour = 0xFF000000u | (r << 16) | (g << 8) | b;
                }
                texels[y * n + x] = colour;
            }
        }
        texture->Update(0);
    }

    bool BuildOverlay() {
        float width = static_cast<float>(render_->GetWidth());
        float height = static_cast<float>(render_->GetHeight());
        std::vector<ScreenVertex> rects[3] = {
            ScreenRect(kPanelX, kPanelY, kPanelSize, kPanelSize, 0xFFFFFFFFu),
            ScreenRect(width - 236.0f, 16.0f, 220.0f, 96.0f, 0xC0FFFFFFu),
            ScreenRect(16.0f, height - 40.0f, 256.0f, 24.0f, 0xFFFFFFFFu)};
        for (int i = 0; i < 3; ++i) {
            if (panels_[i] == nullptr) {
                panels_[i] = MakeVertexBuffer(render_, rects[i], kScreenFvf);
            } else {
                RefillVertexBuffer(panels_[i], rects[i]);
            }
            if (panels_[i] == nullptr) {
                return false;
            }
        }
        overlayWidth_ = render_->GetWidth();
        overlayHeight_ = render_->GetHeight();
        return true;
    }

    int DrawFloor(KrRenderBase* render, int frame) {
        // The indices are streamed every frame: appended behind the last ones while the ring has
        // room, from its start when it restarts. Where they landed decides the start index.
        unsigned int bytes = static_cast<unsigned int>(floorIndices_.size() * sizeof(uint16_t));
        eLockResult placed = floorIndexBuffer_->Populate(
            reinterpret_cast<unsigned char*>(floorIndices_.data()), bytes, frame == 0);
        if (placed == eLockFailed) {
            return 0;
        }
        int count = static_cast<int>(floorIndices_.size());
        unsigned int start =
            placed == eLockDiscarded
                ? 0u
                : static_cast<unsigned int>(floorIndexBuffer_->LastIndex() + 1 - count);
        render->SetTransform(nullptr);
        render->SetEffector(static_cast<unsigned int>(floorEffector_));
        render->DrawPrimitive(kTriangleList, floorVertices_, floorIndexBuffer_, sizeof(LitVertex),
                              0, floorVertexCount_, count / 3, 0, start);
        return 1;
    }

    int DrawObjects(KrRenderBase* render, int frame) {
        const int effectors[3] = {kDefaultEffector, bronzeEffector_, blueEffector_};
        const KrVector places[3] = {KrVector(-50.0f, 14.0f, 10.0f), KrVector(0.0f, 14.0f, 40.0f),
                                    KrVector(50.0f, 14.0f, 10.0f)};
        for (int i = 0; i < 3; ++i) {
            KrCoords frameOfObject = TurnedFrame(
                places[i], 0.02f * static_cast<float>(frame) + 0.7f * static_cast<float>(i));
            render->SetTransform(&frameOfObject);
            render->SetEffector(static_cast<unsigned int>(effectors[i]));
            render->DrawPrimitive(kTriangleList, cube_, sizeof(DefaultVertex), 12);
        }
        return 3;
    }

    int DrawLines(KrRenderBase* render, KrApplication& app) {
        KrVector origin(0.0f, 0.5f, 0.0f);
        KrVector axes[3] = {KrVector(40.0f, 0.5f, 0.0f), KrVector(0.0f, 40.5f, 0.0f),
                            KrVector(0.0f, 0.5f, 40.0f)};
        KrARGB colours[3] = {KrARGB(255, 255, 40, 40), KrARGB(255, 40, 255, 40),
                             KrARGB(255, 60, 120, 255)};
        for (int i = 0; i < 3; ++i) {
            render->Draw3DLine(&origin, &axes[i], colours[i]);
        }
        KrLightBase* light = app.Lights()->GetLight(0);
        if (light != nullptr) {
            KrVector at = light->GetPosition();
            KrVector below(at.x, 0.5f, at.z);
            render->Draw3DLine(&at, &below, KrARGB(255, 255, 255, 0));
            render->Draw3DCircle(&below, nullptr, 10.0f, KrARGB(255, 255, 255, 0));
            KrPlane upright;
            upright.normal = KrVector(0.0f, 0.0f, 1.0f);
            upright.d = 0.0f;
            render->Draw3DCircle(&at, &upright, 4.0f, KrARGB(255, 255, 255, 255));
            return 3 + 32 + 32;  // a circle is 32 lines
        }
        return 3;
    }

    int DrawOverlay(KrRenderBase* render) {
        render->SetTransform(nullptr);
        // The texture the panel's pass names is bound again by the draw; binding it here first
        // makes that a cached no-op.
        render->SetTexture(dynamicIndex_, eTexDynamic, 0);
        render->SetEffector(static_cast<unsigned int>(dynamicEffector_));
        render->DrawPrimitive(kTriangleFan, panels_[0], sizeof(ScreenVertex), 2);
        // The device registers its black-back effector on the first frame of the process, so it
        // is looked up by name here rather than when the scene is made.
        int blackBack = render->FXMgr()->GetEffector(KrStringT<char>("ShaderBlackBack"));
        if (blackBack > 0) {
            render->SetEffector(static_cast<unsigned int>(blackBack));
            render->DrawPrimitive(kTriangleFan, panels_[1], sizeof(ScreenVertex), 2);
        }
        render->SetEffector(2);  // "Shader2d" with its own texture
        render->DrawPrimitive(kTriangleFan, panels_[2], sizeof(ScreenVertex), 2);
        return 3;
    }

    KrRenderBase* render_ = nullptr;
    KrVertexBufferBase* floorVertices_ = nullptr;
    KrIndexBufferBase* floorIndexBuffer_ = nullptr;
    std::vector<uint16_t> floorIndices_;
    int floorVertexCount_ = 0;
    KrVertexBufferBase* cube_ = nullptr;
    SecondStageOff secondStageOff_;
    KrVertexBufferBase* panels_[3] = {nullptr, nullptr, nullptr};
    unsigned int overlayWidth_ = 0, overlayHeight_ = 0;
    int floorEffector_ = -1, bronzeEffector_ = -1, blueEffector_ = -1, dynamicEffector_ = -1;
    int dynamicHandle_ = -1;
    unsigned int dynamicIndex_ = 0;
};

}  // namespace

std::unique_ptr<Scene> MakeBuiltinsScene() {
    return std::unique_ptr<Scene>(new BuiltinsScene());
}

}  // namespace krview
