#include "running_device.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <winternl.h>

#include <set>
#include <vector>

#include "device_probe.h"
#include "platform.h"

namespace krtest {

namespace {
std::string CurrentFolder() {
    char folder[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, folder);
    return folder;
}

// The files and folders the process holds open, from the system's list of every process's handles
// (a count, a reserved word, then entries of five words: object, process, handle ...). Wine's
// GetProcessHandleCount answers 0 whatever is open, and Wine keeps registry keys, threads and
// events of its own from the first device and the first use of each image codec on.
size_t OpenFiles() {
    static std::vector<ULONG_PTR> list(1 << 18);
    EXPECT_EQ(0,
              NtQuerySystemInformation(static_cast<SYSTEM_INFORMATION_CLASS>(64), list.data(),
                                       static_cast<ULONG>(list.size() * sizeof list[0]), nullptr));
    size_t files = 0;
    for (const ULONG_PTR* entry = &list[2]; entry < list.data() + 2 + 5 * list[0]; entry += 5)
        files += entry[1] == GetCurrentProcessId() &&
                 GetFileType(reinterpret_cast<HANDLE>(entry[2])) == FILE_TYPE_DISK;
    return files;
}
}  // namespace

RunningDevice::RunningDevice(D3DRecorder* recorder, const std::string& iniText, int width,
                             int height)
    : startFolder_(CurrentFolder()),
      iniPath_(startFolder_ + "\\running_device.ini"),
      recorder_(recorder != nullptr ? recorder : &ownRecorder_) {
    filesAtStart_ = OpenFiles();
    engine_.reset(new EngineSetUp(iniText, iniPath_.c_str()));
    // The built-in shader set-up names the fallback texture with the media dir already in front,
    // and the texture manager puts the media dir in front again: "." is the media dir under which
    // both resolve, with the media root as the current folder.
    SetCurrentDirectoryA(MediaRoot().c_str());
    Engine().SetMediaDir(".");
    // A test double of Direct3D behind the seam stays there, unrecorded.
    if (recorder != nullptr || Platform().Direct3DCreate9 == RealPlatform().Direct3DCreate9)
        recording_.reset(new RecordingPlatformScope(recorder_));
    recorder_->beforePresent = [this](IDirect3DDevice9* real) { Audit(real); };
    window_.Create("kr device test", width, height);
    blocksAtStart_ = krLiveBlocks();
    render_ = fnGetRenderingDevice();
    render_->ParentHandle() = window_.Handle();
    RECT client = {0, 0, width, height};
    render_->SetClientArea(client);
    render_->SetLightMgr(engine_->App().Lights());
    render_->SetSpriteDaemon(&sprites_);
    Engine().SetRender(render_);
    Engine().SetOSGUI(&window_);
}

void RunningDevice::Audit(IDirect3DDevice9* real) {
    KrD3DRenDevProbe probe(*Device());
    const auto twice = [](const auto& cache, auto key) {
        std::set<unsigned int> seen;
        for (int i = 0; i < cache.Count(); ++i)
            seen.insert(cache[i].*key);
        return static_cast<int>(seen.size()) != cache.Count();
    };
    EXPECT_FALSE(twice(probe.StateCache(), &RenderStateEntry::state) ||
                 twice(probe.StageCache(), &TextureStageEntry::type))
        << "a state cache holds a state twice";
    // The declaration, the shader, stream 0, then the textures of the stages from 0.
    UINT stride = 0, offset = 0, heldStride = 0;
    const std::vector<const void*> believed = probe.BelievedBindings(&stride);
    std::vector<IUnknown*> held(believed.size());
    real->GetVertexDeclaration(reinterpret_cast<IDirect3DVertexDeclaration9**>(&held[0]));
    real->GetVertexShader(reinterpret_cast<IDirect3DVertexShader9**>(&held[1]));
    real->GetStreamSource(0, reinterpret_cast<IDirect3DVertexBuffer9**>(&held[2]), &offset,
                          &heldStride);
    for (DWORD stage = 0; stage + 3 < held.size(); ++stage)
        real->GetTexture(stage, reinterpret_cast<IDirect3DBaseTexture9**>(&held[3 + stage]));
    for (size_t i = 0; i < held.size(); ++i) {
        EXPECT_TRUE(believed[i] == KrD3DRenDevProbe::kUnknown || believed[i] == held[i])
            << "binding " << i << ": the bind filter believes " << believed[i] << ", Direct3D "
            << held[i];
        if (held[i] != nullptr)
            held[i]->Release();  // the reference the question added
    }
    EXPECT_TRUE(believed[2] == KrD3DRenDevProbe::kUnknown || stride == heldStride);
}

bool RunningDevice::Start() {
    return render_ != nullptr && render_->Init();
}

void RunningDevice::Stop() {
    if (render_ == nullptr)
        return;
    // After an Exit of the test's own the pointers still name the objects the device released.
    const bool exited = render_->ExitRequested();
    IDirect3DDevice9* device = exited ? nullptr : Device()->Device();
    IDirect3D9* d3d = exited ? nullptr : Device()->Direct3D();
    if (device != nullptr)
        device->AddRef();
    if (d3d != nullptr)
        d3d->AddRef();
    render_->Exit();
    fnDeleteRenderingDevice(render_);
    render_ = nullptr;
    Engine().SetRender(nullptr);
    Engine().SetOSGUI(nullptr);
    EXPECT_EQ(0, krLiveBlocks() - blocksAtStart_) << "host blocks outlived the device";
    EXPECT_EQ(0ul, device != nullptr ? device->Release() : 0) << "the device outlived its owner";
    const unsigned long direct3D = d3d != nullptr ? d3d->Release() : 0;
    direct3DKeptByD3DX += d3dxMayKeepDirect3D && direct3D > 0 ? 1 : 0;
    EXPECT_TRUE(direct3D == 0 || d3dxMayKeepDirect3D) << "Direct3D outlived the device object";
    EXPECT_EQ(filesAtStart_, OpenFiles()) << "files or folders left open";
}

RunningDevice::~RunningDevice() {
    Stop();
    recorder_->beforePresent = nullptr;
    window_.Destroy();
    recording_.reset();
    SetCurrentDirectoryA(startFolder_.c_str());
    engine_.reset();
}

}  // namespace krtest
