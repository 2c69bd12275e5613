// Start-up: the rendering device's Init (enumeration, device creation, states, the texture and
// effector managers, the fallback texture, the four built-in shaders, the line buffer) against a
// raw program that creates the same device and the same four shaders and declarations.
#include <d3dx9.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench_support.h"
#include "kr_test_support.h"
#include "scenarios.h"

namespace krbench {
namespace {

// What the raw program needs to know to make the same device.
struct DeviceRecipe {
    D3DDEVICE_CREATION_PARAMETERS creation{};
    D3DPRESENT_PARAMETERS present{};
    std::vector<std::string> texts;  // the four built-in shader texts, in cache order
};

// One Init of a new rendering device, timed; the recipe is taken from it when asked.
double ModuleStart(DeviceRecipe* recipe) {
    krtest::RunningDevice running(nullptr, SceneIni(), kSceneWidth, kSceneHeight);
    double start = Now();
    bool started = running.Start();
    double seconds = Now() - start;
    if (!started) {
        return -1.0;
    }
    if (recipe != nullptr) {
        running.Direct3DDevice()->GetCreationParameters(&recipe->creation);
        recipe->present = running.Device()->PresentParameters();
        const TDArray<KrStringT<char>>& texts = KrD3DRenDevProbe::ShaderTexts(running.Device());
        for (int i = 0; i < texts.Count() && i < 4; ++i) {
            recipe->texts.push_back(
                std::string(texts[i].Text(), static_cast<size_t>(texts[i].Length())));
        }
    }
    running.Stop();
    return seconds;
}

// The declarations of the four built-in shaders, written out as a raw program would.
const D3DVERTEXELEMENT9 kDefaultElements[] = {
    {0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
    {0, 12, D3DDECLTYPE_D3DCOLOR, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_COLOR, 0},
    {0, 16, D3DDECLTYPE_FLOAT2, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 0},
    D3DDECL_END()};
const D3DVERTEXELEMENT9 kLineElements[] = {
    {0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
    {0, 12, D3DDECLTYPE_D3DCOLOR, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_COLOR, 0},
    D3DDECL_END()};
const D3DVERTEXELEMENT9 kScreenElements[] = {
    {0, 0, D3DDECLTYPE_FLOAT4, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITIONT, 0},
    {0, 16, D3DDECLTYPE_D3DCOLOR, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_COLOR, 0},
    {0, 20, D3DDECLTYPE_FLOAT2, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 0},
    D3DDECL_END()};
const D3DVERTEXELEMENT9 kLitElements[] = {
    {0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
    {0, 12, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_NORMAL, 0},
    {0, 24, D3DDECLTYPE_D3DCOLOR, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_COLOR, 0},
    {0, 28, D3DDECLTYPE_FLOAT2, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 0},
    D3DDECL_END()};
const D3DVERTEXELEMENT9* const kElements[4] = {kDefaultElements, kLineElements, kScreenElements,
                                               kLitElements};

// The raw start-up, timed up to the last declaration; everything is released afterwards.
double RawStart(const DeviceRecipe& recipe, HWND window) {
    IDirect3DVertexShader9* shaders[4] = {};
    IDirect3DVertexDeclaration9* declarations[4] = {};
    IDirect3DDevice9* device = nullptr;
    double start = Now();
    IDirect3D9* d3d = Direct3DCreate9(D3D_SDK_VERSION);
    D3DPRESENT_PARAMETERS params = recipe.present;
    params.hDeviceWindow = window;
    bool ok = d3d != nullptr && SUCCEEDED(d3d->CreateDevice(
                                    recipe.creation.AdapterOrdinal, recipe.creation.DeviceType,
                                    window, recipe.creation.BehaviorFlags, &params, &device));
    for (size_t i = 0; ok && i < recipe.texts.size(); ++i) {
        ID3DXBuffer* code = nullptr;
        ok = SUCCEEDED(D3DXAssembleShader(recipe.texts[i].c_str(),
                                          static_cast<UINT>(recipe.texts[i].size()), nullptr,
                                          nullptr, 0, &code, nullptr)) &&
             SUCCEEDED(device->CreateVertexShader(
                 static_cast<const DWORD*>(code->GetBufferPointer()), &shaders[i])) &&
             SUCCEEDED(device->CreateVertexDeclaration(kElements[i], &declarations[i]));
        if (code != nullptr) {
            code->Release();
        }
    }
    double seconds = Now() - start;
    for (int i = 0; i < 4; ++i) {
        if (shaders[i] != nullptr) {
            shaders[i]->Release();
        }
        if (declarations[i] != nullptr) {
            declarations[i]->Release();
        }
    }
    if (device != nullptr) {
        device->Release();
    }
    if (d3d != nullptr) {
        d3d->Release();
    }
    return ok ? seconds : -1.0;
}

}  // namespace

std::string SceneIni() {
    return "[Display]\nStartFullScreen=0\nWindowWidth=" + std::to_string(kSceneWidth) +
           "\nWindowHeight=" + std::to_string(kSceneHeight) +
           "\nScreenWidth=1024\nScreenHeight=768\n\n[Engine]\nSafe=0\n\n[Render]\nUseZBuffer=1\n"
           "UseWBuffer=0\nDepthBufferBitDepth=24\n";
}

void StartUp(const Options& options) {
    // The first start of the process loads Wine's Direct3D and GL libraries: not counted.
    DeviceRecipe recipe;
    if (ModuleStart(&recipe) < 0.0 || recipe.texts.size() != 4) {
        ReportNote("startup", "the rendering device did not start");
        return;
    }
    KrWindowBase window;
    window.Create("kr raw program", kSceneWidth, kSceneHeight);
    if (RawStart(recipe, window.Handle()) < 0.0) {
        ReportNote("startup", "the raw program could not make its device");
        window.Destroy();
        return;
    }
    std::vector<double> moduleMs, rawMs;
    Alternate(
        options.runs, [&] { return ModuleStart(nullptr) * 1e3; },
        [&] { return RawStart(recipe, window.Handle()) * 1e3; }, moduleMs, rawMs);
    window.Destroy();
    ReportRow("startup", "Init", "ms", Summarise(moduleMs), Summarise(rawMs));
    Progress("startup done");
}

}  // namespace krbench
