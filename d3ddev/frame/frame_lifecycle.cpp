// The frame: PreRender clears, sets the camera and the lighting constants and opens the scene;
// EndRender lets the sprites draw, closes the scene and presents. Both hand the deciding HRESULT
// back to the engine, which is where a lost device shows.
#include "d3d_ren_dev.h"
#include "effectors.h"

namespace {
// Process-wide: the black-background effector is built once, by the first frame of the process.
bool g_firstFrame = true;

const UINT kFrameConstantRegister = 8;
const UINT kLightPositionRegister = 9;
const UINT kLightRangeRegister = 10;
const UINT kLightColourRegister = 11;
const float kFrameConstants[4] = {1.0f, 1.0f, 0.0f, 0.5f};
const float kLightColour[4] = {1.0f, 1.0f, 1.0f, 0.0f};
}  // namespace

// Builds "ShaderBlackBack": a copy of the built-in 2-D effector drawing the black backdrop with
// alpha.
static void BuildBlackBackEffector(KrEffectorMgr* effectors, KrTextureMgrBase* textures) {
    if (effectors == nullptr) {
        return;
    }
    KrEffector* blackBack = effectors->CreateEffector(KrStringT<char>("Shader2d"));
    if (blackBack == nullptr) {
        return;
    }
    KrRenderPass* pass = blackBack->GetPass(0);
    if (pass != nullptr) {
        if (textures != nullptr) {
            pass->textureIndex =
                textures->GetTexture(KrStringT<char>("Textures\\ui\\blackback.jpg"));
        }
        pass->flags |= kPassAlpha;
    }
    KrStringT<char> name("ShaderBlackBack");
    effectors->AddEffector(name, blackBack);
}

long KrD3DRenDev::PreRender(ePreRenderClearFlag clear) {
    if (device == nullptr) {
        return E_FAIL;
    }
    if (g_firstFrame) {
        BuildBlackBackEffector(FXMgr(), TextureMgr());
        g_firstFrame = false;
    }
    if (clear == ePreRenderClear) {
        DWORD flags = D3DCLEAR_TARGET;
        if (UsingZBuffer() || UsingWBuffer()) {
            flags |= D3DCLEAR_ZBUFFER;
        }
        HRESULT cleared = device->Clear(0, nullptr, flags, 0x00000000, 1.0f, 0);
        if (FAILED(cleared)) {
            return cleared;
        }
    }
    KrApplication* app = Engine().App();
    KrRenderBase* render = Engine().Render();
    if (app != nullptr && render != nullptr) {
        render->SetView(app->Camera()->GetFrame());
    }
    device->SetVertexShaderConstantF(kFrameConstantRegister, kFrameConstants, 1);
    KrLightMgr* lights = LightMgr();
    // The count is asked again after every light: every light writes the same registers, so the
    // last one that exists wins.
    for (int index = 0; lights != nullptr && index < lights->GetNumLights(); ++index) {
        KrLightBase* light = lights->GetLight(index);
        if (light == nullptr) {
            continue;
        }
        KrVector position = light->GetPosition();
        const float lightPosition[4] = {position.x, position.y, position.z, 0.0f};
        const float lightRange[4] = {light->GetRange(), 0.0f, 0.0f, 0.0f};
        device->SetVertexShaderConstantF(kLightPositionRegister, lightPosition, 1);
        device->SetVertexShaderConstantF(kLightRangeRegister, lightRange, 1);
        device->SetVertexShaderConstantF(kLightColourRegister, kLightColour, 1);
    }
    SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    HRESULT begun = device->BeginScene();
    if (GroundGrid()) {
        DrawGroundGrid(KrARGB(GroundGridColour()));
    }
    return begun;
}

long KrD3DRenDev::EndRender() {
    if (device == nullptr) {
        return E_FAIL;
    }
    if (SpriteDaemon() != nullptr) {
        SpriteDaemon()->DrawAll(Engine().Render());
    }
    HRESULT ended = device->EndScene();
    if (FAILED(ended)) {
        return ended;
    }
    return device->Present(nullptr, nullptr, nullptr, nullptr);
}
