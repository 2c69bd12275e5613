// Look-ups against the number of cached entries: a texture by name in the texture manager, and a
// text already in the shader cache. A raw program keeps its own pointers and has no look-up, so
// these rows have no raw figure; what they show is how the cost grows with the count.
//
// The names and texts are of one length and differ only near their end, the slowest case for a
// comparison of whole strings: every entry passed on the way costs a full compare.
#include <cstdio>
#include <string>
#include <vector>

#include "bench_support.h"
#include "d3d_texture.h"
#include "null_device.h"
#include "platform.h"
#include "scenarios.h"
#include "texture_mgr.h"

namespace krbench {
namespace {

const int kCounts[3] = {10, 100, 1000};

// Stands in for the texture file loader while the cache is filled: a tiny texture, without
// reading a thousand files. Only the look-up is measured, never the load.
HRESULT WINAPI TinyTexture(LPDIRECT3DDEVICE9 device, LPCSTR, LPDIRECT3DTEXTURE9* texture) {
    return device->CreateTexture(1, 1, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, texture, nullptr);
}

std::string Numbered(const char* format, int n) {
    char text[128];
    std::snprintf(text, sizeof text, format, n);
    return text;
}

// Mean ns per call of `lookUp` over every key, repeated until the run lasts long enough.
template <class LookUp>
double NsPerCall(const std::vector<KrStringT<char>>& keys, double seconds, LookUp lookUp) {
    long long calls = 0;
    double start = Now();
    double elapsed = 0.0;
    unsigned int sink = 0;
    do {
        for (const KrStringT<char>& key : keys) {
            sink += lookUp(key);
        }
        calls += static_cast<long long>(keys.size());
        elapsed = Now() - start;
    } while (elapsed < seconds);
    // Keeps the results alive so the calls cannot be dropped.
    if (sink == 0xFFFFFFFFu) {
        Progress("(unlikely sum)");
    }
    return elapsed * 1e9 / static_cast<double>(calls);
}

void TextureLookUps(krtest::RunningDevice& running, const Options& options) {
    KrTextureMgrBase* textures = running.Render()->TextureMgr();
    std::vector<KrStringT<char>> names;
    Platform().D3DXCreateTextureFromFileA = TinyTexture;
    int added = 0;
    for (int count : kCounts) {
        while (textures->CachedTextureCount(eTexStatic) < count) {
            textures->GetTexture(KrStringT<char>(
                Numbered("Media\\Textures\\lookup\\texture_%04d.png", added++).c_str()));
        }
        names.clear();
        count = textures->CachedTextureCount(eTexStatic);
        for (int i = 0; i < count; ++i) {
            KrD3DTexture* entry = static_cast<KrD3DTexture*>(textures->GetTexture(i));
            names.push_back(entry->Name());
        }
        std::vector<double> ns;
        for (int run = 0; run < options.runs; ++run) {
            ns.push_back(
                NsPerCall(names, options.secondsPerRun / 4.0,
                          [&](const KrStringT<char>& name) { return textures->GetTexture(name); }));
        }
        Figure figure = Summarise(ns);
        ReportRow("lookup", "GetTexture by name, " + std::to_string(count) + " cached", "ns",
                  figure, Figure());
    }
    RestorePlatform();
}

void ShaderLookUps(krtest::RunningDevice& running, const Options& options) {
    KrD3DRenDev* render = running.Device();
    // The texts are assembled for real; the shaders and declarations are made on the null device,
    // so a thousand of them cost Wine nothing. The cache keeps the null pointers it is given.
    IDirect3DDevice9* null = NewNullDevice();
    IDirect3DDevice9*& behind = KrD3DRenDevProbe::Device(render);
    IDirect3DDevice9* real = behind;
    behind = null;
    const TDArray<KrStringT<char>>& cached = KrD3DRenDevProbe::ShaderTexts(render);
    const std::string base(cached[0].Text(), static_cast<size_t>(cached[0].Length()));
    int added = 0;
    std::vector<KrStringT<char>> texts;
    for (int count : kCounts) {
        while (render->ShaderCacheCount() < count) {
            KrStringT<char> text((base + Numbered("; variant %04d\n", added++)).c_str());
            void* shader = nullptr;
            void* declaration = nullptr;
            render->CompileShader(text, &shader, &declaration);
        }
        texts.clear();
        count = cached.Count();
        for (int i = 0; i < count; ++i) {
            texts.push_back(cached[i]);
        }
        std::vector<double> ns;
        for (int run = 0; run < options.runs; ++run) {
            ns.push_back(
                NsPerCall(texts, options.secondsPerRun / 4.0, [&](const KrStringT<char>& text) {
                    void* shader = nullptr;
                    void* declaration = nullptr;
                    return render->CompileShader(const_cast<KrStringT<char>&>(text), &shader,
                                                 &declaration)
                               ? 1u
                               : 0u;
                }));
        }
        Figure figure = Summarise(ns);
        ReportRow("lookup", "CompileShader hit, " + std::to_string(count) + " cached", "ns", figure,
                  Figure());
    }
    behind = real;
    DeleteNullDevice(null);
}

// What the check before every texture load costs: the texture manager's header check of media
// textures, per file, against loading the same files whole.
void FileChecks(krtest::RunningDevice& running, const Options& options) {
    const char* const files[] = {"Textures\\noshader.bmp", "Media\\Textures\\floor.tga",
                                 "Media\\Textures\\base_wall\\bluemetalsupport.jpg"};
    const auto perFile = [&](auto call) {
        std::vector<double> us;
        for (int run = 0; run < options.runs; ++run) {
            const double start = Now();
            int calls = 0;
            for (; Now() - start < options.secondsPerRun / 4.0; calls += 3) {
                for (const char* file : files) {
                    call(file);
                }
            }
            us.push_back((Now() - start) * 1e6 / calls);
        }
        return Summarise(us);
    };
    ReportRow("lookup", "header check of a texture file (bmp, tga, jpg)", "us",
              perFile([](const char* file) { KrD3DTextureMgr::FileSafeForD3DX(file); }), Figure());
    ReportRow("lookup", "the same files loaded whole", "us", perFile([&](const char* file) {
                  IDirect3DTexture9* texture = nullptr;
                  Platform().D3DXCreateTextureFromFileA(running.Direct3DDevice(), file, &texture);
                  if (texture != nullptr) {
                      texture->Release();
                  }
              }),
              Figure());
}

}  // namespace

void LookUps(krtest::RunningDevice& running, const Options& options) {
    TextureLookUps(running, options);
    Progress("texture look-ups done");
    ShaderLookUps(running, options);
    Progress("shader look-ups done");
    FileChecks(running, options);
    Progress("texture file checks done");
}

}  // namespace krbench
