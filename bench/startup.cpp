// Start-up: the rendering device's Init (enumeration, device creation, states, the texture and
// effector managers, the fallback texture, the four built-in shaders, the line buffer) against a
// raw program that creates the same device and the same four shaders and declarations.
#include <d3dx9.h>

#include <algorithm>
#include <cmath>
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

// The parts of a start, as the device's profile names them; the raw program has three of them.
const int kParts = static_cast<int>(StartPart::Count);
const char* const kPartNames[kParts] = {"Direct3D object",
                                        "enumeration",
                                        "format checks",
                                        "configuration write-back",
                                        "log",
                                        "device creation",
                                        "device set-up",
                                        "fallback texture",
                                        "built-in shaders",
                                        "the rest (managers, engine, line buffer)"};
using PartSeconds = std::vector<double>;  // by StartPart

// One Init of a new rendering device, timed, with its parts; the recipe is taken from it when
// asked.
double ModuleStart(const std::string& ini, DeviceRecipe* recipe, PartSeconds* parts = nullptr) {
    // The plug-in cannot ask the engine's log for its clock; the benchmark, an engine program,
    // hands it over so that the log's lines get a part of their own.
    KrStartupProfile::SetLogClock([] { return GLog.SecondsWriting(); });
    krtest::RunningDevice running(nullptr, ini, kSceneWidth, kSceneHeight);
    double start = Now();
    bool started = running.Start();
    double seconds = Now() - start;
    if (!started) {
        return -1.0;
    }
    if (parts != nullptr) {
        const KrStartupProfile& profile = KrD3DRenDevProbe::StartupProfile(running.Device());
        parts->assign(kParts, 0.0);
        for (int p = 0; p < kParts; ++p) {
            (*parts)[p] = profile.Seconds(static_cast<StartPart>(p));
        }
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

// The raw start-up, timed up to the last declaration, with its three parts; everything is
// released afterwards. Like the rendering device's start, it renders into a window made for it
// just before, untimed: Wine sets a new window up for rendering in CreateDevice, and a window
// used before would spare the raw side that work.
double RawStart(const DeviceRecipe& recipe, PartSeconds* parts = nullptr) {
    KrWindowBase owned;
    owned.Create("kr raw program", kSceneWidth, kSceneHeight);
    HWND window = owned.Handle();
    IDirect3DVertexShader9* shaders[4] = {};
    IDirect3DVertexDeclaration9* declarations[4] = {};
    IDirect3DDevice9* device = nullptr;
    double start = Now();
    IDirect3D9* d3d = Direct3DCreate9(D3D_SDK_VERSION);
    double created = Now();
    D3DPRESENT_PARAMETERS params = recipe.present;
    params.hDeviceWindow = window;
    bool ok = d3d != nullptr && SUCCEEDED(d3d->CreateDevice(
                                    recipe.creation.AdapterOrdinal, recipe.creation.DeviceType,
                                    window, recipe.creation.BehaviorFlags, &params, &device));
    double deviceMade = Now();
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
    double end = Now();
    if (parts != nullptr) {
        parts->assign(kParts, 0.0);
        (*parts)[static_cast<int>(StartPart::Direct3D)] = created - start;
        (*parts)[static_cast<int>(StartPart::DeviceCreation)] = deviceMade - created;
        (*parts)[static_cast<int>(StartPart::Shaders)] = end - deviceMade;
    }
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
    return ok ? end - start : -1.0;
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
    if (ModuleStart(SceneIni(), &recipe) < 0.0 || recipe.texts.size() != 4) {
        ReportNote("startup", "the rendering device did not start");
        return;
    }
    if (RawStart(recipe) < 0.0) {
        ReportNote("startup", "the raw program could not make its device");
        return;
    }
    // A start whose configuration already holds what the mode search writes back, as every start
    // after the first does; and a first start, whose configuration holds the window only, so
    // that the depth and safe-mode settings are written back.
    const std::string firstStartIni =
        "[Display]\nStartFullScreen=0\nWindowWidth=" + std::to_string(kSceneWidth) +
        "\nWindowHeight=" + std::to_string(kSceneHeight) + "\n";
    const struct {
        const char* label;
        const char* partRows;
        std::string ini;
    } starts[] = {{"Init", "startup-part", SceneIni()},
                  {"Init, first start", "startup-first-part", firstStartIni}};
    // One part's milliseconds over the runs of one side.
    auto column = [](const std::vector<PartSeconds>& runs, int part) {
        std::vector<double> ms;
        for (const PartSeconds& run : runs) {
            ms.push_back(run.empty() ? 0.0 : run[part] * 1e3);
        }
        return ms;
    };
    for (const auto& start : starts) {
        std::vector<double> moduleMs, rawMs;
        std::vector<PartSeconds> moduleParts, rawParts;
        Alternate(
            options.runs,
            [&] {
                moduleParts.emplace_back();
                return ModuleStart(start.ini, nullptr, &moduleParts.back()) * 1e3;
            },
            [&] {
                rawParts.emplace_back();
                return RawStart(recipe, &rawParts.back()) * 1e3;
            },
            moduleMs, rawMs);
        ReportRow("startup", start.label, "ms", Summarise(moduleMs), Summarise(rawMs));
        // The profile's parts must account for the whole Init, or its table misleads.
        double worst = 0.0;
        for (size_t run = 0; run < moduleParts.size() && run < moduleMs.size(); ++run) {
            double sum = 0.0;
            for (double part : moduleParts[run]) {
                sum += part * 1e3;
            }
            worst = std::max(worst, std::fabs(sum - moduleMs[run]));
        }
        char line[160];
        std::snprintf(
            line, sizeof line,
            "%s: the profile's parts add up to the whole Init within %.3f ms in every run",
            start.label, worst);
        ReportNote("startup", line);
        for (int p = 0; p < kParts; ++p) {
            ReportRow(start.partRows, kPartNames[p], "ms", Summarise(column(moduleParts, p)),
                      Summarise(column(rawParts, p)));
        }
    }
    Progress("startup done");
}

}  // namespace krbench
