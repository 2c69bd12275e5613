// The rendering device object: construction and destruction, and the start-up and shut-down
// sequences Init, Exit, InitAPI and ExitAPI.
#include "d3d_ren_dev.h"

#include "effectors.h"
#include "path_state.h"
#include "platform.h"
#include "texture_mgr.h"

namespace {
const unsigned int kD3DSdkVersion = 31;
const unsigned int kLineBufferBytes = 32;  // two vertices of position and colour
const unsigned long kLineVertexFvf = D3DFVF_XYZ | D3DFVF_DIFFUSE;
}  // namespace

KrD3DRenDev::KrD3DRenDev()
    : currentEffector(-1),
      lastTextureIndex(-1),
      lastTextureType(eTexStatic),
      adapterCount(1),
      d3d(nullptr),
      device(nullptr),
      currentAdapter(-1),
      lineBuffer(nullptr),
      linearMinFilter(0),
      linearMagFilter(0),
      linearMipFilter(0),
      simultaneousTextures(0),
      blendStages(0),
      texCoordSets(0),
      streamCount(0),
      nonPow2Textures(false),
      activeLightLimit(0) {
    krMemset(&presentParams, 0, sizeof presentParams);
    krMemset(&backBufferDesc, 0, sizeof backBufferDesc);
}

// Member by member, in declaration order, the base first; interface pointers as plain values.
KrD3DRenDev::KrD3DRenDev(const KrD3DRenDev& other) : KrD3DRenDev() {
    *this = other;
}

KrD3DRenDev& KrD3DRenDev::operator=(const KrD3DRenDev& other) {
    if (this == &other) {
        return *this;
    }
    KrRenderBase::operator=(other);
    currentEffector = other.currentEffector;
    lastTextureIndex = other.lastTextureIndex;
    lastTextureType = other.lastTextureType;
    presentParams = other.presentParams;
    backBufferDesc = other.backBufferDesc;
    for (int i = 0; i < kMaxAdapters; ++i) {
        adapters[i] = other.adapters[i];
    }
    adapterCount = other.adapterCount;
    d3d = other.d3d;
    device = other.device;
    currentAdapter = other.currentAdapter;
    lineBuffer = other.lineBuffer;
    shaders = other.shaders;
    sources = other.sources;
    declarations = other.declarations;
    stageCache = other.stageCache;
    stateCache = other.stateCache;
    statePositions = other.statePositions;
    linearMinFilter = other.linearMinFilter;
    linearMagFilter = other.linearMagFilter;
    linearMipFilter = other.linearMipFilter;
    simultaneousTextures = other.simultaneousTextures;
    blendStages = other.blendStages;
    texCoordSets = other.texCoordSets;
    streamCount = other.streamCount;
    nonPow2Textures = other.nonPow2Textures;
    activeLightLimit = other.activeLightLimit;
    sourceIndex = other.sourceIndex;
    // What the filter remembers describes the bindings of the device this object had before.
    bound.Forget();
    return *this;
}

KrD3DRenDev::~KrD3DRenDev() {
    // The class's own Exit: a device the engine already shut down only logs its first line again.
    KrD3DRenDev::Exit();
    // The line buffer object outlives ExitAPI (only its Direct3D buffer is released there).
    delete lineBuffer;
    lineBuffer = nullptr;
}

namespace {
// Times the whole of one start, whichever way it ends.
class ProfiledStart {
  public:
    explicit ProfiledStart(KrStartupProfile& profile) : profile_(profile) { profile_.Begin(); }
    ~ProfiledStart() { profile_.End(); }
    ProfiledStart(const ProfiledStart&) = delete;
    ProfiledStart& operator=(const ProfiledStart&) = delete;

  private:
    KrStartupProfile& profile_;
};
}  // namespace

bool KrD3DRenDev::Init() {
    ProfiledStart profiled(startupProfile);
    bool started = InitAPI() && Reset();
    if (!started) {
        GLog.WriteLine(
            "Failed to initialise Rendering device, specifying -safe mode restart in config file");
        KrStartPartScope writing(startupProfile, StartPart::ConfigWrites);
        Engine().GetConfig()->SetInteger("Engine", "Safe", 1);
        return false;
    }
    if (textureMgr == nullptr) {
        textureMgr = new KrD3DTextureMgr();
    }
    if (fxMgr == nullptr) {
        fxMgr = new KrD3DEffectorMgr();
    }
    if (!CreateDefaultShaders()) {
        GLog.DebugPrintf("ERROR: Failed to create default shaders");
        Engine().OnDeviceFailure();
        return false;
    }
    KrRenderBase::Init();
    CreateVertexBuffer(&lineBuffer, kLineBufferBytes, kLineVertexFvf, eMemManaged, eUsageStatic);
    return true;
}

bool KrD3DRenDev::InitAPI() {
    if (d3d != nullptr) {
        GLog.DebugWriteLine(
            "WARNING: Direct3D9 object already created, leaving KrD3DRenDev::InitAPI()");
        return false;
    }
    {
        KrStartPartScope creating(startupProfile, StartPart::Direct3D);
        d3d = Platform().Direct3DCreate9(kD3DSdkVersion);
    }
    if (d3d != nullptr) {
        int startFullScreen = 0;
        Engine().GetConfig()->GetInteger("Display", "StartFullScreen", startFullScreen);
        Windowed() = startFullScreen == 0;
        KrStartPartScope enumerating(startupProfile, StartPart::Enumeration);
        if (EnumAndCaps()) {
            return true;
        }
    }
    GLog.DebugWriteLine("WARNING: Critical error during KrD3DRenDev::InitAPI()");
    return false;
}

bool KrD3DRenDev::Exit() {
    GLog.WriteLine("\nRendering device requesting exit");
    if (exitFlag) {
        return false;
    }
    exitFlag = true;
    if (!ExitAPI()) {
        GLog.WriteLine("WARNING: Rendering device exited with leaked resources");
        return false;
    }
    if (textureMgr != nullptr) {
        delete textureMgr;
        textureMgr = nullptr;
    }
    if (fxMgr != nullptr) {
        delete fxMgr;
        fxMgr = nullptr;
    }
    if (shaders.Count() > 0) {
        ReleaseShaderCache();
    }
    KrRenderBase::Exit();
    GLog.WriteLine("Rendering device and resources safely released");
    return true;
}

bool KrD3DRenDev::ExitAPI() {
    for (int stage = 0; stage < blendStages; ++stage) {
        if (device != nullptr) {
            device->SetTexture(static_cast<DWORD>(stage), nullptr);
        }
    }
    for (int stream = 0; stream < streamCount; ++stream) {
        if (device != nullptr) {
            device->SetStreamSource(static_cast<UINT>(stream), nullptr, 0, 0);
        }
    }
    bound.Forget();  // the unbinding above went past the bind filter
    if (lineBuffer != nullptr) {
        lineBuffer->Release();
    }
    // The experimental paths' quads hold the device too; a later device builds its own.
    ReleaseExperimentalPaths(this);
    // Both pointers keep their values: the Direct3D object's pointer is what makes a later
    // InitAPI refuse to start this object again, and the exit flag keeps a second Exit from
    // releasing anything twice.
    if (device != nullptr) {
        device->Release();
    }
    if (d3d != nullptr) {
        d3d->Release();
    }
    return true;
}
