// KrD3DRenDev: the engine's rendering device on Direct3D 9. One class; its member functions are
// defined in the files of the subsystems that own them (enum/, reset/, frame/, resources/,
// shaders/, experimental/).
#pragma once

#include <d3d9.h>

#include "bind_filter.h"
#include "d3ddev_api.h"
#include "enum_records.h"
#include "krngn.h"
#include "name_index.h"
#include "startup_profile.h"
#include "state_entries.h"

class D3DDEV_API KrD3DRenDev : public KrRenderBase {
  public:
    KrD3DRenDev();
    KrD3DRenDev(const KrD3DRenDev& other);
    KrD3DRenDev& operator=(const KrD3DRenDev& other);
    ~KrD3DRenDev() override;

    // Start-up and shut-down.
    bool Init() override;
    bool Exit() override;
    // Frame lifecycle.
    long PreRender(ePreRenderClearFlag clear) override;
    long EndRender() override;
    bool InitAPI() override;
    bool ExitAPI() override;
    // Device reset and window modes.
    bool Reset() override;
    bool ToggleFullScreen(bool toggle) override;
    bool SetAlpha(bool enable) override;
    void SaveCurrWinPos() override;
    bool UpdateDimensions() override;
    // Buffers.
    bool CreateVertexBuffer(KrVertexBufferBase** out, unsigned int size, unsigned long fvf,
                            eMemPool pool, eResUsage usage) override;
    bool CreateIndexBuffer(KrIndexBufferBase** out, unsigned int size, eIDXFormat format,
                           eMemPool pool) override;
    // Draws and bindings.
    long DrawPrimitive(unsigned long type, KrVertexBufferBase* buffer, KrIndexBufferBase* indices,
                       unsigned int stride, unsigned long extra, int vertexCount,
                       int primitiveCount, unsigned int baseVertexIndex,
                       unsigned int startIndex) override;
    long DrawPrimitive(unsigned long type, KrVertexBufferBase* buffer, unsigned int stride,
                       int primitiveCount) override;
    bool SetTexture(unsigned int index, eTextureType type, unsigned int stage) override;
    bool SetEffector(unsigned int index) override;
    void SetTransform(KrCoords* object) override;
    void SetView(KrCoords* camera) override;
    bool SetStream(unsigned int stream, unsigned long fvf, KrVertexBufferBase* buffer) override;
    int GetCurrShader() override;
    unsigned int GetWidth() override;
    unsigned int GetHeight() override;
    float GetAspectRatio() override;
    float& NearZ() override;
    float& FarZ() override;
    bool Draw3DLine(KrVector* from, KrVector* to, KrARGB colour) override;
    bool CompileShader(KrStringT<char>& source, void** shader, void** declaration) override;
    bool SetRenderStates() override;
    void SetPolyCullMode(ePolyCullMode mode) override;
    void takeScreenshot(const KrStringT<char>& fileName) override;
    // The experimental shading paths.
    void NuDiffuse() override;
    void NuDiffuseTex1() override;
    void NuDiffuseTex1Unlit() override;
    void NuRealDiffuseTex1Scroll(float speed) override;
    void NuRealDiffuseTex1RotScale() override;
    void NuRealDiffuseTex2() override;
    void NuCheatEnvMapping() override;
    void NuAlphaCheck() override;
    void NuBumpMapping() override;

    // Read access for the engine's tools and the tests.
    IDirect3D9* Direct3D() const { return d3d; }
    IDirect3DDevice9* Device() const { return device; }
    const D3DPRESENT_PARAMETERS& PresentParameters() const { return presentParams; }
    const D3DSURFACE_DESC& BackBufferDesc() const { return backBufferDesc; }
    int CurrentAdapter() const { return currentAdapter; }
    unsigned int AdapterCount() const { return adapterCount; }
    const D3DAdapterInfo& Adapter(int index) const { return adapters[index]; }
    KrVertexBufferBase* LineBuffer() const { return lineBuffer; }
    int ShaderCacheCount() const { return shaders.Count(); }
    bool NonPow2Textures() const { return nonPow2Textures; }

  protected:
    bool EnumAndCaps();
    bool GetDisplayMode(D3DDISPLAYMODE& mode);
    bool RefreshRes();
    bool ReleaseDependants();
    bool CreateDependants();

  private:
    friend class KrD3DRenDevProbe;  // white-box access for the device's own tests

    unsigned int ConfirmFormats(D3DDeviceInfo* deviceInfo, D3DAdapterInfo* adapterInfo, int adapter,
                                int deviceNumber, TDArray<D3DFORMAT>& formats,
                                TSArray<bool>& confirmed);
    bool DepthAndRenderFormatOK(D3DDeviceInfo* deviceInfo, int adapter, int deviceNumber,
                                D3DFORMAT adapterFormat, D3DFORMAT renderFormat,
                                D3DFORMAT depthFormat);
    bool CreateDefaultShaders();
    bool CreateVertexDecl(const KrStringT<char>& source);
    void SetRenderState(D3DRENDERSTATETYPE state, unsigned long value);
    void SetTextureStageState(int stage, D3DTEXTURESTAGESTATETYPE type, unsigned long value);

    // Enumeration helpers (enum/).
    bool EnumerateAdapter(unsigned int adapter);
    void ScanCapabilities(D3DDeviceInfo& deviceInfo);
    bool SelectDisplayMode();
    // The shader cache is emptied by Exit (shaders/).
    void ReleaseShaderCache();
    // Binds a pass before a draw (frame/).
    void SetUpPass(KrRenderPass* pass, int passIndex);

    int currentEffector;
    int lastTextureIndex;
    eTextureType lastTextureType;
    D3DPRESENT_PARAMETERS presentParams;
    D3DSURFACE_DESC backBufferDesc;
    D3DAdapterInfo adapters[kMaxAdapters];
    unsigned int adapterCount;
    IDirect3D9* d3d;
    IDirect3DDevice9* device;
    int currentAdapter;
    KrVertexBufferBase* lineBuffer;
    TDArray<IDirect3DVertexShader9*> shaders;
    TDArray<KrStringT<char>> sources;
    TDArray<IDirect3DVertexDeclaration9*> declarations;
    TDArray<TextureStageEntry> stageCache;
    TDArray<RenderStateEntry> stateCache;
    StateCachePositions statePositions;
    int linearMinFilter;
    int linearMagFilter;
    int linearMipFilter;
    int simultaneousTextures;
    int blendStages;
    int texCoordSets;
    int streamCount;
    bool nonPow2Textures;
    unsigned int activeLightLimit;
    // The first position of each text in the shader cache, so that a cache hit costs the same
    // however many texts are cached (shaders/).
    KrNameIndex sourceIndex;
    // What was last sent of the bindings that repeat between draws (frame/).
    KrBindFilter bound;
    // Where the last Init's time went, part by part, for the benchmark (device/).
    KrStartupProfile startupProfile;
};

extern "C" {
D3DDEV_API KrRenderBase* fnGetRenderingDevice();
D3DDEV_API void fnDeleteRenderingDevice(KrRenderBase* device);
}
