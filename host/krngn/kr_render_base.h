// KrRenderBase: the engine's abstract rendering device. A plug-in derives it; the order of the
// virtual operations below is the engine's binary interface and must not change.
#pragma once

struct KrRect {
    float width;
    float height;
    KrRect() : width(0.0f), height(0.0f) {}
    KrRect(float w, float h) : width(w), height(h) {}
    bool operator==(const KrRect& o) const { return width == o.width && height == o.height; }
};

struct KrPlane {
    KrVector normal;
    float d;
};

// What the last SetView saw: the engine reads it for culling and picking.
struct KrViewRecord {
    float nearZ;
    float farZ;
    float fov;
    float verticalFov;
    float viewWidth;
    float viewHeight;
    KrMatrix3 orientation;
    KrVector position;
    KrViewRecord() : nearZ(0), farZ(0), fov(0), verticalFov(0), viewWidth(0), viewHeight(0) {}
};

class KRNGN_API KrRenderBase {
  public:
    KR_HEAP_OBJECT
    KrRenderBase();
    KrRenderBase(const KrRenderBase& other);
    KrRenderBase& operator=(const KrRenderBase& other);
    virtual ~KrRenderBase();

    // The virtual interface, in the engine's slot order.
    virtual bool Init();
    virtual bool Exit();
    virtual long PreRender(ePreRenderClearFlag clear) = 0;
    virtual long EndRender() = 0;
    virtual bool InitAPI() = 0;
    virtual bool ExitAPI() = 0;
    virtual bool Reset() = 0;
    virtual bool ToggleFullScreen(bool toggle) = 0;
    virtual bool SetAlpha(bool enable) = 0;
    virtual void SaveCurrWinPos() = 0;
    virtual bool UpdateDimensions() = 0;
    virtual bool CreateVertexBuffer(KrVertexBufferBase** out, unsigned int size, unsigned long fvf,
                                    eMemPool pool, eResUsage usage) = 0;
    virtual bool CreateIndexBuffer(KrIndexBufferBase** out, unsigned int size, eIDXFormat format,
                                   eMemPool pool) = 0;
    virtual long DrawPrimitive(unsigned long type, KrVertexBufferBase* buffer,
                               KrIndexBufferBase* indices, unsigned int stride, unsigned long extra,
                               int vertexCount, int primitiveCount, unsigned int baseVertexIndex,
                               unsigned int startIndex) = 0;
    virtual long DrawPrimitive(unsigned long type, KrVertexBufferBase* buffer, unsigned int stride,
                               int primitiveCount) = 0;
    virtual bool SetTexture(unsigned int index, eTextureType type, unsigned int stage) = 0;
    virtual bool SetEffector(unsigned int index) = 0;
    virtual void SetTransform(KrCoords* object) = 0;
    virtual void SetView(KrCoords* camera) = 0;
    virtual bool SetStream(unsigned int stream, unsigned long fvf, KrVertexBufferBase* buffer) = 0;
    virtual int GetCurrShader() = 0;
    virtual unsigned int GetWidth() = 0;
    virtual unsigned int GetHeight() = 0;
    virtual float GetAspectRatio() = 0;
    virtual float& NearZ() = 0;
    virtual float& FarZ() = 0;
    virtual bool DrawSprite(float x, float y, float width, float height, unsigned int texture,
                            float depth, KrARGB& colour, float u0, float v0, float u1, float v1,
                            float rotation);
    virtual void Draw3DCircle(KrVector* centre, KrPlane* plane, float radius, KrARGB colour);
    virtual void Draw3DCylinder(KrVector* base, KrVector* top, float baseRadius, float topRadius,
                                KrARGB colour);
    virtual void DrawFadeTile(float x, float y);
    virtual void DrawColourTile(float x, float y, KrARGB colour);
    virtual bool Draw3DLine(KrVector* from, KrVector* to, KrARGB colour) = 0;
    virtual void DrawTextA(float x, float y, KrARGB& colour, eFontFormatFlags flags, char* text);
    virtual void DrawTextf(float x, float y, KrARGB& colour, eFontFormatFlags flags, char* format,
                           ...);
    virtual bool CompileShader(KrStringT<char>& source, void** shader, void** declaration) = 0;
    virtual bool SetRenderStates() = 0;
    virtual void SetPolyCullMode(ePolyCullMode mode) = 0;
    virtual void takeScreenshot(const KrStringT<char>& fileName) = 0;
    virtual int GetNumResolutions();
    virtual void GetResolution(int index, int& width, int& height);
    virtual void NuDiffuse() = 0;
    virtual void NuDiffuseTex1() = 0;
    virtual void NuDiffuseTex1Unlit() = 0;
    virtual void NuRealDiffuseTex1Scroll(float speed) = 0;
    virtual void NuRealDiffuseTex1RotScale() = 0;
    virtual void NuRealDiffuseTex2() = 0;
    virtual void NuCheatEnvMapping() = 0;
    virtual void NuAlphaCheck() = 0;
    virtual void NuBumpMapping() = 0;

    // Draws the ground grid: lines on the y = 0 plane around the origin.
    void DrawGroundGrid(KrARGB colour);

    // Engine-side accessors.
    bool& Windowed() { return windowed; }
    unsigned long& WindowStyle() { return windowStyle; }
    HWND& ParentHandle() { return parentHandle; }
    int& DepthBufferBitDepth() { return depthBufferBitDepth; }
    bool& UsingZBuffer() { return usingZBuffer; }
    bool& UsingWBuffer() { return usingWBuffer; }
    RECT GetClientArea() { return clientRect; }
    void SetClientArea(const RECT& area) { clientRect = area; }
    KrTextureMgrBase* TextureMgr() { return textureMgr; }
    KrEffectorMgr* FXMgr() { return fxMgr; }
    KrLightMgr* LightMgr() { return lightMgr; }
    void SetLightMgr(KrLightMgr* lights) { lightMgr = lights; }
    KrSpriteDaemon* SpriteDaemon() { return spriteDaemon; }
    void SetSpriteDaemon(KrSpriteDaemon* daemon) { spriteDaemon = daemon; }
    KrDeviceDependent* DeviceObject() { return deviceObject; }
    void SetDeviceObject(KrDeviceDependent* object) { deviceObject = object; }
    bool& GroundGrid() { return groundGrid; }
    KrARGB& GroundGridColour() { return groundGridColour; }
    const KrViewRecord& View() const { return view; }
    int WindowX() const { return windowX; }
    int WindowY() const { return windowY; }
    bool ExitRequested() const { return exitFlag; }

  protected:
    // Draws a screen-space quad with the built-in 2-D effector; the host's 2-D operations use it.
    bool DrawScreenQuad(float x, float y, float width, float height, float depth,
                        unsigned long colour, float u0, float v0, float u1, float v1,
                        float rotation, unsigned int texture, bool textured);

    bool exitFlag;
    KrSpriteDaemon* spriteDaemon;
    KrDeviceDependent* deviceObject;
    RECT clientRect;
    int windowX;
    int windowY;
    float nearZ;
    float farZ;
    KrTextureMgrBase* textureMgr;
    KrEffectorMgr* fxMgr;
    KrLightMgr* lightMgr;
    bool groundGrid;
    KrARGB groundGridColour;
    KrViewRecord view;
    TDArray<KrRect> resolutions;
    bool windowed;
    unsigned long windowStyle;
    HWND parentHandle;
    int depthBufferBitDepth;
    bool usingZBuffer;
    bool usingWBuffer;
    bool textWarned;
};
