// The draw benchmarks: a grid of K small textured cubes, each drawn the way the engine draws an
// object (SetTransform, SetEffector, SetTexture, SetStream, DrawPrimitive) with two effectors and
// eight textures taking turns, against a raw Direct3D 9 program drawing the same picture.
//
// What the picture is: a draw binds the texture of its effector's pass, replacing whatever the
// engine's own SetTexture bound just before. So the image shows the two pass textures, and the raw
// program, which sends the fewest calls for the same image, binds only those: per object the
// world matrix, the texture when it changes and the draw. Declaration, shader and stream are the
// same for every object and sent once.
#include <d3dx9.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "bench_support.h"
#include "kr_test_support.h"
#include "null_device.h"
#include "recording_d3d.h"
#include "scenarios.h"

namespace krbench {
namespace {

struct Vertex {
    float x, y, z;
    unsigned int colour;
    float u, v;
};
const unsigned long kFvf = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1;
const unsigned int kStride = sizeof(Vertex);
const int kTrianglesPerCube = 12;
const float kHalfSize = 1.0f;
const float kSpacing = 3.0f;

const char* const kTextures[8] = {
    "Media\\Textures\\floor.tga",
    "Media\\Textures\\ferrow\\floor_s.tga",
    "Media\\Textures\\ferrow\\bluemetalsupport3.tga",
    "Media\\Textures\\Q3A\\textures\\effects\\envmapblue.jpg",
    "Media\\Textures\\Q3A\\textures\\ferrow\\envmapblue.tga",
    "Media\\Textures\\Q3A\\textures\\ferrow\\lmap.bmp",
    "Media\\Textures\\gothic_floor\\metalbridge06_pent.jpg",
    "Media\\Textures\\base_wall\\bluemetalsupport.jpg",
};
// The pass textures of the two effectors: two of the eight.
const int kPassTexture[2] = {6, 7};

std::vector<Vertex> Cube() {
    // Six faces, two clockwise triangles each seen from outside; a grey per face so edges show.
    struct Face {
        float n[3], u[3], v[3];
        unsigned int shade;
    };
    const Face faces[6] = {
        {{0, 0, -1}, {1, 0, 0}, {0, 1, 0}, 0xFFFFFFFFu},
        {{0, 0, 1}, {-1, 0, 0}, {0, 1, 0}, 0xFFE0E0E0u},
        {{1, 0, 0}, {0, 0, 1}, {0, 1, 0}, 0xFFC8C8C8u},
        {{-1, 0, 0}, {0, 0, -1}, {0, 1, 0}, 0xFFB0B0B0u},
        {{0, 1, 0}, {1, 0, 0}, {0, 0, 1}, 0xFFF0F0F0u},
        {{0, -1, 0}, {1, 0, 0}, {0, 0, -1}, 0xFF909090u},
    };
    std::vector<Vertex> out;
    for (const Face& f : faces) {
        auto corner = [&](float a, float b, float tu, float tv) {
            Vertex vertex;
            vertex.x = kHalfSize * (f.n[0] + a * f.u[0] + b * f.v[0]);
            vertex.y = kHalfSize * (f.n[1] + a * f.u[1] + b * f.v[1]);
            vertex.z = kHalfSize * (f.n[2] + a * f.u[2] + b * f.v[2]);
            vertex.colour = f.shade;
            vertex.u = tu;
            vertex.v = tv;
            out.push_back(vertex);
        };
        corner(-1, -1, 0, 1);
        corner(-1, 1, 0, 0);
        corner(1, 1, 1, 0);
        corner(-1, -1, 0, 1);
        corner(1, 1, 1, 0);
        corner(1, -1, 1, 1);
    }
    return out;
}

std::vector<KrCoords> Grid(int objects) {
    int columns = static_cast<int>(std::ceil(std::sqrt(static_cast<double>(objects))));
    float origin = -0.5f * kSpacing * static_cast<float>(columns - 1);
    std::vector<KrCoords> frames(static_cast<size_t>(objects));
    for (int i = 0; i < objects; ++i) {
        float angle = 0.1f * static_cast<float>(i);
        KrCoords& frame = frames[static_cast<size_t>(i)];
        frame.X = KrVector(std::cos(angle), 0.0f, -std::sin(angle));
        frame.Z = KrVector(std::sin(angle), 0.0f, std::cos(angle));
        frame.P = KrVector(origin + kSpacing * static_cast<float>(i % columns), 0.0f,
                           origin + kSpacing * static_cast<float>(i / columns));
    }
    return frames;
}

void LookAtGrid(KrApplication& app, int objects) {
    float extent = kSpacing * std::ceil(std::sqrt(static_cast<float>(objects)));
    app.Camera()->LookAt(KrVector(0.0f, extent * 0.8f, -extent * 0.6f), KrVector(0.0f, 0.0f, 0.0f));
}

// The rendering device's side: made through the engine's interface only.
class ModuleScene {
  public:
    explicit ModuleScene(KrRenderBase* render) : render_(render) {}

    bool Create() {
        std::vector<Vertex> cube = Cube();
        unsigned int bytes = static_cast<unsigned int>(cube.size() * sizeof(Vertex));
        if (!render_->CreateVertexBuffer(&cube_, bytes, kFvf, eMemManaged, eUsageStatic) ||
            !cube_->Populate(0, reinterpret_cast<unsigned char*>(cube.data()), bytes)) {
            return false;
        }
        for (int t = 0; t < 8; ++t) {
            textures_[t] = render_->TextureMgr()->GetTexture(KrStringT<char>(kTextures[t]));
            if (textures_[t] == 0) {
                return false;
            }
        }
        for (int e = 0; e < 2; ++e) {
            KrEffector* copy = render_->FXMgr()->CreateEffector(KrStringT<char>("ShaderDefault"));
            if (copy == nullptr || copy->GetPass(0) == nullptr) {
                return false;
            }
            copy->GetPass(0)->textureIndex = textures_[kPassTexture[e]];
            KrStringT<char> name(e == 0 ? "bench.a" : "bench.b");
            effectors_[e] = render_->FXMgr()->AddEffector(name, copy);
        }
        return true;
    }

    void Destroy() {
        if (cube_ != nullptr) {
            cube_->Release();
            delete cube_;
            cube_ = nullptr;
        }
    }

    // The engine's calls per object; `calls` leaves out the later ones, so that the cost of each
    // call can be told from the difference of two runs.
    void DrawObjects(std::vector<KrCoords>& frames, int calls = 5) {
        DrawObjects(frames, calls, [](bool) {});
    }

    // The same, with `aroundSetTexture(ended)` called before and after each of the engine's
    // SetTexture calls (a no-op compiles away for the timed runs).
    template <typename Around>
    void DrawObjects(std::vector<KrCoords>& frames, int calls, Around aroundSetTexture) {
        int objects = static_cast<int>(frames.size());
        for (int i = 0; i < objects; ++i) {
            render_->SetTransform(&frames[static_cast<size_t>(i)]);
            if (calls > 1) {
                render_->SetEffector(static_cast<unsigned int>(effectors_[i % 2]));
            }
            if (calls > 2) {
                aroundSetTexture(false);
                render_->SetTexture(textures_[i % 8], eTexStatic, 0);
                aroundSetTexture(true);
            }
            if (calls > 3) {
                render_->SetStream(0, kFvf, cube_);
            }
            if (calls > 4) {
                render_->DrawPrimitive(D3DPT_TRIANGLELIST, cube_, kStride, kTrianglesPerCube);
            }
        }
    }

    // With `counting`, the objects' Direct3D calls go through the recording proxy into it, and
    // `askedByEngine` receives how many of them the engine's own SetTexture calls sent.
    void Frame(std::vector<KrCoords>& frames, std::vector<unsigned int>* picture,
               krtest::D3DRecorder* counting = nullptr, size_t* askedByEngine = nullptr) {
        render_->PreRender(ePreRenderClear);
        IDirect3DDevice9*& behind = KrD3DRenDevProbe::Device(static_cast<KrD3DRenDev*>(render_));
        IDirect3DDevice9* real = behind;
        if (counting != nullptr) {
            behind = krtest::WrapDevice(real, counting);
        }
        size_t before = 0;
        size_t asked = 0;
        DrawObjects(frames, 5, [&](bool ended) {
            const size_t sent = counting != nullptr ? counting->calls.size() : 0;
            asked += ended ? sent - before : 0;
            before = sent;
        });
        if (askedByEngine != nullptr) {
            *askedByEngine = asked;
        }
        behind = real;
        if (picture != nullptr) {
            krtest::ReadBackBuffer(static_cast<KrD3DRenDev*>(render_)->Device(), *picture, width_,
                                   height_);
        }
        render_->EndRender();
    }

  private:
    KrRenderBase* render_;
    KrVertexBufferBase* cube_ = nullptr;
    unsigned int textures_[8] = {};
    int effectors_[2] = {0, 0};
    int width_ = 0;
    int height_ = 0;
};

// The raw program: its own device on a window of the same size, made with the rendering device's
// presentation parameters and behaviour, with the states the rendering device leaves set.
class RawScene {
  public:
    ~RawScene() { Destroy(); }

    bool Create(IDirect3DDevice9* model, HWND window, const D3DPRESENT_PARAMETERS& modelParams,
                const std::string& shaderText) {
        D3DDEVICE_CREATION_PARAMETERS creation;
        if (FAILED(model->GetCreationParameters(&creation))) {
            return false;
        }
        d3d_ = Direct3DCreate9(D3D_SDK_VERSION);
        D3DPRESENT_PARAMETERS params = modelParams;
        params.hDeviceWindow = window;
        params.PresentationInterval = kPresentationInterval;
        if (d3d_ == nullptr ||
            FAILED(d3d_->CreateDevice(creation.AdapterOrdinal, creation.DeviceType, window,
                                      creation.BehaviorFlags, &params, &device_))) {
            return false;
        }
        ID3DXBuffer* code = nullptr;
        if (FAILED(D3DXAssembleShader(shaderText.c_str(), static_cast<UINT>(shaderText.size()),
                                      nullptr, nullptr, 0, &code, nullptr)) ||
            FAILED(device_->CreateVertexShader(static_cast<const DWORD*>(code->GetBufferPointer()),
                                               &shader_))) {
            if (code != nullptr) {
                code->Release();
            }
            return false;
        }
        code->Release();
        const D3DVERTEXELEMENT9 elements[] = {
            {0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
            {0, 12, D3DDECLTYPE_D3DCOLOR, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_COLOR, 0},
            {0, 16, D3DDECLTYPE_FLOAT2, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 0},
            D3DDECL_END()};
        std::vector<Vertex> cube = Cube();
        UINT bytes = static_cast<UINT>(cube.size() * sizeof(Vertex));
        void* data = nullptr;
        if (FAILED(device_->CreateVertexDeclaration(elements, &declaration_)) ||
            FAILED(device_->CreateVertexBuffer(bytes, 0, kFvf, D3DPOOL_MANAGED, &cube_, nullptr)) ||
            FAILED(cube_->Lock(0, bytes, &data, 0))) {
            return false;
        }
        memcpy(data, cube.data(), bytes);
        cube_->Unlock();
        for (int t = 0; t < 8; ++t) {
            std::string path = std::string(".\\") + kTextures[t];
            if (FAILED(D3DXCreateTextureFromFileA(device_, path.c_str(), &textures_[t]))) {
                return false;
            }
        }
        CopyStates(model);
        return true;
    }

    void Destroy() {
        for (IDirect3DTexture9*& texture : textures_) {
            if (texture != nullptr) {
                texture->Release();
                texture = nullptr;
            }
        }
        IUnknown* objects[] = {cube_, declaration_, shader_, device_, d3d_};
        for (IUnknown* object : objects) {
            if (object != nullptr) {
                object->Release();
            }
        }
        cube_ = nullptr;
        declaration_ = nullptr;
        shader_ = nullptr;
        device_ = nullptr;
        d3d_ = nullptr;
    }

    IDirect3DDevice9* Device() const { return device_; }

    // Everything that stays the same for the whole frame.
    static void BindShared(IDirect3DDevice9* device, IDirect3DVertexDeclaration9* declaration,
                           IDirect3DVertexShader9* shader, IDirect3DVertexBuffer9* cube) {
        device->SetVertexDeclaration(declaration);
        device->SetVertexShader(shader);
        device->SetStreamSource(0, cube, 0, kStride);
    }
    void BindShared(IDirect3DDevice9* device) { BindShared(device, declaration_, shader_, cube_); }

    // With `on`, the raw program also binds, per object, the texture the engine asks the
    // rendering device for before the pass's texture replaces it: the same bindings the device
    // must send, so that what they cost Wine can be told from the device's own cost.
    void BindEngineTextures(bool on) { bindEngineTextures_ = on; }

    // Per object: world matrix (transposed, as the shader reads it), texture when it changes,
    // draw.
    void DrawObjects(IDirect3DDevice9* device, const std::vector<KrCoords>& frames) {
        IDirect3DBaseTexture9* bound = nullptr;
        size_t objects = frames.size();
        for (size_t i = 0; i < objects; ++i) {
            const KrCoords& f = frames[i];
            const float world[16] = {f.X.x, f.Y.x, f.Z.x, f.P.x, f.X.y, f.Y.y, f.Z.y, f.P.y,
                                     f.X.z, f.Y.z, f.Z.z, f.P.z, 0.0f,  0.0f,  0.0f,  1.0f};
            device->SetVertexShaderConstantF(4, world, 4);
            if (bindEngineTextures_ && textures_[i % 8] != bound) {
                device->SetTexture(0, textures_[i % 8]);
                bound = textures_[i % 8];
            }
            IDirect3DBaseTexture9* texture = textures_[kPassTexture[i % 2]];
            if (texture != bound) {
                device->SetTexture(0, texture);
                bound = texture;
            }
            device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, kTrianglesPerCube);
        }
    }

    void Frame(const float* viewProjection, const std::vector<KrCoords>& frames,
               std::vector<unsigned int>* picture, krtest::D3DRecorder* counting = nullptr) {
        device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
        device_->SetVertexShaderConstantF(0, viewProjection, 4);
        device_->BeginScene();
        DrawObjects(counting != nullptr ? krtest::WrapDevice(device_, counting) : device_, frames);
        if (picture != nullptr) {
            int width = 0, height = 0;
            krtest::ReadBackBuffer(device_, *picture, width, height);
        }
        device_->EndScene();
        device_->Present(nullptr, nullptr, nullptr, nullptr);
    }

  private:
    // The states that decide the picture, taken from the rendering device after it drew a frame;
    // only those that differ from a new device's are sent.
    void CopyStates(IDirect3DDevice9* model) {
        const D3DRENDERSTATETYPE states[] = {D3DRS_ZENABLE,          D3DRS_CULLMODE,
                                             D3DRS_ALPHABLENDENABLE, D3DRS_SRCBLEND,
                                             D3DRS_DESTBLEND,        D3DRS_ALPHATESTENABLE,
                                             D3DRS_ALPHAREF,         D3DRS_ALPHAFUNC,
                                             D3DRS_ZWRITEENABLE,     D3DRS_ZFUNC};
        for (D3DRENDERSTATETYPE state : states) {
            DWORD wanted = 0, current = 0;
            model->GetRenderState(state, &wanted);
            device_->GetRenderState(state, &current);
            if (wanted != current) {
                device_->SetRenderState(state, wanted);
            }
        }
        const D3DSAMPLERSTATETYPE samplers[] = {D3DSAMP_MAGFILTER, D3DSAMP_MINFILTER,
                                                D3DSAMP_MIPFILTER, D3DSAMP_MIPMAPLODBIAS};
        for (D3DSAMPLERSTATETYPE type : samplers) {
            DWORD wanted = 0, current = 0;
            model->GetSamplerState(0, type, &wanted);
            device_->GetSamplerState(0, type, &current);
            if (wanted != current) {
                device_->SetSamplerState(0, type, wanted);
            }
        }
        const D3DTEXTURESTAGESTATETYPE stages[] = {D3DTSS_COLOROP,   D3DTSS_COLORARG1,
                                                   D3DTSS_COLORARG2, D3DTSS_ALPHAOP,
                                                   D3DTSS_ALPHAARG1, D3DTSS_ALPHAARG2};
        for (DWORD stage = 0; stage < 2; ++stage) {
            for (D3DTEXTURESTAGESTATETYPE type : stages) {
                DWORD wanted = 0, current = 0;
                model->GetTextureStageState(stage, type, &wanted);
                device_->GetTextureStageState(stage, type, &current);
                if (wanted != current) {
                    device_->SetTextureStageState(stage, type, wanted);
                }
            }
        }
    }

    IDirect3D9* d3d_ = nullptr;
    IDirect3DDevice9* device_ = nullptr;
    IDirect3DVertexShader9* shader_ = nullptr;
    IDirect3DVertexDeclaration9* declaration_ = nullptr;
    IDirect3DVertexBuffer9* cube_ = nullptr;
    IDirect3DTexture9* textures_[8] = {};
    bool bindEngineTextures_ = false;
};

std::string Format(const char* format, double a, double b = 0.0, double c = 0.0) {
    char text[256];
    std::snprintf(text, sizeof text, format, a, b, c);
    return text;
}

void WarmUp(krtest::RunningDevice& running, ModuleScene& module, RawScene& raw) {
    const double kSeconds = 1.5;
    std::vector<KrCoords> frames = Grid(200);
    LookAtGrid(running.App(), 200);
    module.Frame(frames, nullptr);
    float viewProjection[16] = {};
    running.Direct3DDevice()->GetVertexShaderConstantF(0, viewProjection, 4);
    raw.BindShared(raw.Device());
    for (double start = Now(); Now() - start < kSeconds;) {
        module.Frame(frames, nullptr);
    }
    for (double start = Now(); Now() - start < kSeconds;) {
        raw.Frame(viewProjection, frames, nullptr);
    }
}

// The Direct3D calls each side sends for the objects of a steady frame (after frames that drew the
// same objects), counted by the recording proxy around the real devices.
void CountCalls(ModuleScene& module, RawScene& raw, std::vector<KrCoords>& frames,
                const float* viewProjection) {
    krtest::D3DRecorder moduleCalls, rawCalls;
    size_t askedByEngine = 0;
    module.Frame(frames, nullptr, &moduleCalls, &askedByEngine);
    raw.Frame(viewProjection, frames, nullptr, &rawCalls);
    const double objects = static_cast<double>(frames.size());
    const double modulePerObject = static_cast<double>(moduleCalls.calls.size()) / objects;
    const double rawPerObject = static_cast<double>(rawCalls.calls.size()) / objects;
    const std::string label = "K = " + std::to_string(frames.size());
    ReportRow("calls", label, "calls/object",
              Figure{modulePerObject, modulePerObject, modulePerObject},
              Figure{rawPerObject, rawPerObject, rawPerObject});
    // The engine's SetTexture binds when asked and answers whether it did; the calls the device
    // chooses itself are the rest.
    const double asked = static_cast<double>(askedByEngine) / objects;
    ReportRow("calls-asked", label, "calls/object", Figure{asked, asked, asked}, Figure{});
    for (const auto& [side, recorder] :
         {std::make_pair("module", &moduleCalls), std::make_pair("raw", &rawCalls)}) {
        std::vector<std::string> seen;
        std::string methods;
        for (const krtest::RecordedCall& call : recorder->calls) {
            if (std::find(seen.begin(), seen.end(), call.method) != seen.end()) {
                continue;
            }
            seen.push_back(call.method);
            char part[96];
            std::snprintf(part, sizeof part, "%s%s %.2f", methods.empty() ? "" : ", ", call.method,
                          static_cast<double>(recorder->Count(call.method)) / objects);
            methods += part;
        }
        ReportNote("calls", label + ", " + side + ": " + methods);
    }
}

// Frames of K objects on Wine's device: frames per second of both sides.
void DrawOnWine(krtest::RunningDevice& running, ModuleScene& module, RawScene& raw, HWND rawWindow,
                int objects, const Options& options) {
    const HWND moduleWindow = running.Device()->PresentParameters().hDeviceWindow;
    std::vector<KrCoords> frames = Grid(objects);
    LookAtGrid(running.App(), objects);
    // The camera as the rendering device puts it into the shader constants.
    for (int warm = 0; warm < 3; ++warm) {
        module.Frame(frames, nullptr);
    }
    float viewProjection[16] = {};
    running.Direct3DDevice()->GetVertexShaderConstantF(0, viewProjection, 4);
    raw.BindShared(raw.Device());
    for (int warm = 0; warm < 3; ++warm) {
        raw.Frame(viewProjection, frames, nullptr);
    }

    // Same picture? Both back buffers, read before presenting.
    std::vector<unsigned int> modulePicture, rawPicture;
    module.Frame(frames, &modulePicture);
    raw.Frame(viewProjection, frames, &rawPicture);
    int differing = DifferingPixels(modulePicture, rawPicture, 2);
    ReportNote("draw", "K = " + std::to_string(objects) + ": " + std::to_string(differing) +
                           " of " + std::to_string(modulePicture.size()) +
                           " pixels differ between the two pictures");

    CountCalls(module, raw, frames, viewProjection);

    double start = Now();
    module.Frame(frames, nullptr);
    module.Frame(frames, nullptr);
    double frameSeconds = (Now() - start) / 2.0;
    // Many short runs: the frame rate swings with the machine's load, and more turns of each
    // side give the medians more to go on.
    int runs = 3 * options.runs;
    int framesPerRun = static_cast<int>(options.secondsPerRun / 2.0 / frameSeconds) + 1;
    framesPerRun = framesPerRun < 2 ? 2 : framesPerRun;

    // Each side's run also gives the process's CPU time per frame (this thread, Wine's command
    // stream thread and llvmpipe's threads): steadier than the wall clock when the machine is
    // shared, since time the process waits for the CPU does not count.
    std::vector<double> moduleFps, rawFps, moduleCpu, rawCpu;
    auto run = [&](HWND window, const std::function<void()>& frame, std::vector<double>& cpu) {
        SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        double t0 = Now();
        double c0 = ProcessCpuSeconds();
        for (int f = 0; f < framesPerRun; ++f) {
            frame();
        }
        cpu.push_back((ProcessCpuSeconds() - c0) * 1e3 / framesPerRun);
        return framesPerRun / (Now() - t0);
    };
    auto compare = [&](std::vector<double>& moduleRate, std::vector<double>& rawRate,
                       std::vector<double>& moduleTime, std::vector<double>& rawTime) {
        Alternate(
            runs,
            [&] {
                return run(
                    moduleWindow, [&] { module.Frame(frames, nullptr); }, moduleTime);
            },
            [&] {
                return run(
                    rawWindow, [&] { raw.Frame(viewProjection, frames, nullptr); }, rawTime);
            },
            moduleRate, rawRate);
    };
    compare(moduleFps, rawFps, moduleCpu, rawCpu);
    ReportRow("draw", "K = " + std::to_string(objects), "frames/s", Summarise(moduleFps),
              Summarise(rawFps));
    ReportRow("drawcpu", "K = " + std::to_string(objects), "CPU ms/frame", Summarise(moduleCpu),
              Summarise(rawCpu));
    // The same comparisons run by run: each module run against the raw run made beside it.
    ReportRow("drawpair", "K = " + std::to_string(objects), "module/raw frames/s",
              PairedRatio(moduleFps, rawFps), Figure{});
    ReportRow("drawcpupair", "K = " + std::to_string(objects), "module/raw CPU ms/frame",
              PairedRatio(moduleCpu, rawCpu), Figure{});
    // Again against a raw program that sends the engine's bindings too: frames/s and CPU time.
    std::vector<double> moduleFpsAgain, bindingFps, moduleCpuAgain, bindingCpu;
    raw.BindEngineTextures(true);
    compare(moduleFpsAgain, bindingFps, moduleCpuAgain, bindingCpu);
    raw.BindEngineTextures(false);
    ReportRow("drawbindpair", "K = " + std::to_string(objects), "module/raw",
              PairedRatio(moduleFpsAgain, bindingFps), PairedRatio(moduleCpuAgain, bindingCpu));
    Progress("draw K=%d: %d frames per run", objects, framesPerRun);
}

// The same objects against the null device: only the work of the calls remains.
void DrawOnNullDevice(krtest::RunningDevice& running, ModuleScene& module, RawScene& raw,
                      const Options& options) {
    const int objects = 1000;
    std::vector<KrCoords> frames = Grid(objects);
    IDirect3DDevice9* null = NewNullDevice();
    KrD3DRenDev* render = running.Device();
    IDirect3DDevice9*& behind = KrD3DRenDevProbe::Device(render);
    IDirect3DDevice9* real = behind;
    behind = null;

    double start = Now();
    module.DrawObjects(frames);
    double perRound = Now() - start;
    // Many short runs, as for the frame rates: a run that another process interrupts is one
    // of many.
    int runs = 3 * options.runs;
    int rounds = static_cast<int>(options.secondsPerRun / 4.0 / perRound) + 1;

    std::vector<double> moduleNs, rawNs;
    Alternate(
        runs,
        [&] {
            double t0 = Now();
            for (int r = 0; r < rounds; ++r) {
                module.DrawObjects(frames);
            }
            return (Now() - t0) * 1e9 / (static_cast<double>(rounds) * objects);
        },
        [&] {
            double t0 = Now();
            for (int r = 0; r < rounds; ++r) {
                raw.DrawObjects(null, frames);
            }
            return (Now() - t0) * 1e9 / (static_cast<double>(rounds) * objects);
        },
        moduleNs, rawNs);

    // Where the module's time goes: each call's share from runs that stop after it.
    const char* const kCalls[5] = {"SetTransform", "SetEffector", "SetTexture", "SetStream",
                                   "DrawPrimitive"};
    double previous = 0.0;
    std::string shares = "per call (null device, ns):";
    for (int calls = 1; calls <= 5; ++calls) {
        std::vector<double> ns;
        for (int run = 0; run < runs; ++run) {
            double t0 = Now();
            for (int r = 0; r < rounds; ++r) {
                module.DrawObjects(frames, calls);
            }
            ns.push_back((Now() - t0) * 1e9 / (static_cast<double>(rounds) * objects));
        }
        double upTo = Summarise(ns).median;
        shares += std::string(" ") + kCalls[calls - 1] + Format(" %.0f;", upTo - previous);
        previous = upTo;
    }
    behind = real;
    DeleteNullDevice(null);
    ReportNote("null", shares);
    Figure moduleFigure = Summarise(moduleNs);
    Figure rawFigure = Summarise(rawNs);
    ReportRow("null", "per draw", "ns", moduleFigure, rawFigure);
    ReportNote("null", Format("the rendering device's own cost: %.0f ns per draw above the raw "
                              "sequence",
                              moduleFigure.median - rawFigure.median));
}

}  // namespace

void DrawScenes(krtest::RunningDevice& running, const Options& options) {
    KrD3DRenDev* render = running.Device();
    ModuleScene module(render);
    if (!module.Create()) {
        ReportNote("draw", "the rendering device could not make the scene");
        return;
    }
    // The raw program's window lies on the engine's, the same size: two windows side by side do
    // not fit on the desktop, and presenting into a window partly off the screen costs the X
    // server less (the raw side's window used to lose 360 of its 800 columns). Each side's window
    // is raised before its run, so both present into a whole visible window.
    KrWindowBase window;
    window.Create("kr raw program", kSceneWidth, kSceneHeight);
    RECT engineWindow{};
    GetWindowRect(render->PresentParameters().hDeviceWindow, &engineWindow);
    SetWindowPos(window.Handle(), nullptr, engineWindow.left, engineWindow.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER);
    // One frame first, so that the states the raw program copies are those of a frame.
    std::vector<KrCoords> one = Grid(1);
    module.Frame(one, nullptr);
    const TDArray<KrStringT<char>>& texts = KrD3DRenDevProbe::ShaderTexts(render);
    RawScene raw;
    if (texts.Count() == 0 ||
        !raw.Create(running.Direct3DDevice(), window.Handle(), render->PresentParameters(),
                    std::string(texts[0].Text(), static_cast<size_t>(texts[0].Length())))) {
        ReportNote("draw", "the raw program could not make its device");
        module.Destroy();
        return;
    }
    const D3DSURFACE_DESC& back = render->BackBufferDesc();
    ReportNote("draw", "back buffer " + std::to_string(back.Width) + "x" +
                           std::to_string(back.Height) + ", presentation interval " +
                           std::to_string(render->PresentParameters().PresentationInterval) +
                           " (D3DPRESENT_INTERVAL_DEFAULT, what a windowed rendering device asks "
                           "for) on both sides");
    // Wine and llvmpipe do work of their own during the first second of drawing (the first
    // frames of a new scene ran several times slower than the same scene later): both sides
    // draw a while before anything is measured.
    WarmUp(running, module, raw);
    for (int objects : {200, 1000, 5000}) {
        DrawOnWine(running, module, raw, window.Handle(), objects, options);
    }
    DrawOnNullDevice(running, module, raw, options);
    raw.Destroy();
    window.Destroy();
    module.Destroy();
}

}  // namespace krbench
