// The engine singleton and the engine objects a rendering device talks to.
#pragma once

class KrRenderBase;

// Integer settings by section and key, kept in an INI file. Every change is written through to
// disk at once, through a temporary file and a rename, so the file is always whole.
class KRNGN_API KrConfigCache {
  public:
    KrConfigCache();
    ~KrConfigCache();
    KrConfigCache(const KrConfigCache&) = delete;
    KrConfigCache& operator=(const KrConfigCache&) = delete;

    // Reads the file; a missing or unreadable file gives one log line and an empty cache.
    bool Load(const char* path);
    // Forgets every value and the file.
    void Clear();
    const char* Path() const;

    bool GetInteger(const KrStringT<char>& section, const KrStringT<char>& key, int& value);
    bool SetInteger(const KrStringT<char>& section, const KrStringT<char>& key, int value);
    bool HasKey(const char* section, const char* key);
    bool RemoveKey(const char* section, const char* key);

  private:
    bool Save();
    struct Store;
    Store* store_;
};

class KRNGN_API KrLightBase {
  public:
    KrLightBase(const KrVector& position, float range) : position_(position), range_(range) {}
    virtual ~KrLightBase() {}
    KrVector GetPosition() const { return position_; }
    float GetRange() const { return range_; }
    void SetPosition(const KrVector& position) { position_ = position; }
    void SetRange(float range) { range_ = range; }

  private:
    KrVector position_;
    float range_;
};

class KRNGN_API KrLightMgr {
  public:
    KrLightMgr();
    ~KrLightMgr();
    KrLightMgr(const KrLightMgr&) = delete;
    KrLightMgr& operator=(const KrLightMgr&) = delete;
    int GetNumLights() const;
    KrLightBase* GetLight(int index);
    // Returns the new light's index; at most kMaxLights.
    int AddLight(const KrVector& position, float range);
    void RemoveAll();
    static const int kMaxLights = 16;

  private:
    KrLightBase* lights_[kMaxLights];
    int count_;
};

class KRNGN_API KrCamera {
  public:
    KrCamera();
    virtual ~KrCamera() {}
    // Horizontal field of view in degrees.
    float& FOV() { return fov_; }
    virtual KrCoords* GetFrame() { return &frame_; }
    // Places the camera at `eye` looking at `target`, with world up as +y.
    void LookAt(const KrVector& eye, const KrVector& target);

  private:
    float fov_;
    KrCoords frame_;
};

class KRNGN_API KrApplication {
  public:
    KrApplication();
    virtual ~KrApplication() {}
    KrCamera* Camera() { return &camera_; }
    KrLightMgr* Lights() { return &lights_; }
    bool GetUseOSCursor() const { return useOSCursor_; }
    void SetUseOSCursor(bool use) { useOSCursor_ = use; }

  private:
    KrCamera camera_;
    KrLightMgr lights_;
    bool useOSCursor_;
};

// The engine's 2-D sprites, drawn by the device at the end of each frame. They need device
// resources, so the device destroys them before a reset and initialises them after it.
class KRNGN_API KrSpriteDaemon {
  public:
    KrSpriteDaemon();
    virtual ~KrSpriteDaemon() {}
    struct Sprite {
        float x, y, width, height;
        unsigned int texture;
        KrARGB colour;
    };
    virtual void Init();
    virtual void DrawAll(KrRenderBase* render);
    virtual void Destroy();
    int AddSprite(float x, float y, float width, float height, unsigned int texture, KrARGB colour);
    void RemoveAll() { count_ = 0; }
    int SpriteCount() const { return count_; }
    bool IsReady() const { return ready_; }
    int InitCount() const { return inits_; }
    int DestroyCount() const { return destroys_; }
    static const int kMaxSprites = 64;

  private:
    Sprite sprites_[kMaxSprites];
    int count_;
    bool ready_;
    int inits_;
    int destroys_;
};

// Any other engine object that holds device resources across a reset.
class KRNGN_API KrDeviceDependent {
  public:
    virtual ~KrDeviceDependent() {}
    virtual void ReleaseDeviceObjects() = 0;
    virtual void RestoreDeviceObjects() = 0;
};

// The engine's Win32 window.
class KRNGN_API KrWindowBase {
  public:
    KrWindowBase();
    virtual ~KrWindowBase();
    KrWindowBase(const KrWindowBase&) = delete;
    KrWindowBase& operator=(const KrWindowBase&) = delete;

    // Creates a visible overlapped window whose client area is width x height.
    bool Create(const char* title, int width, int height);
    void Destroy();
    HWND Handle() const { return hwnd_; }
    unsigned long Style() const;
    // Handles pending window messages; false once the window was closed.
    bool PumpMessages();
    // Places the window: with a null rectangle back at its saved windowed position and size, else
    // over the given (full-screen) rectangle.
    virtual void PlaceWindow(HWND hwnd, RECT* rectangle);
    // Copies what the screen shows of the window's client area into a 24-bit Windows bitmap, and
    // into `pixels` (0x00RRGGBB, rows top down) when given.
    bool CaptureClientArea(const char* bmpPath);
    bool CaptureClientPixels(unsigned int* pixels, int width, int height);
    int Placements() const { return placements_; }
    bool Closed() const { return closed_; }

  private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    HWND hwnd_;
    int width_;
    int height_;
    int placements_;
    bool closed_;
};

class KRNGN_API KrEngine {
  public:
    KrEngine();
    virtual ~KrEngine();
    KrEngine(const KrEngine&) = delete;
    KrEngine& operator=(const KrEngine&) = delete;

    KrRenderBase* Render() { return render_; }
    void SetRender(KrRenderBase* render) { render_ = render; }
    KrApplication* App() { return app_; }
    void SetApp(KrApplication* app) { app_ = app; }
    KrConfigCache* GetConfig() { return &config_; }
    KrWindowBase* OSGUI() { return window_; }
    void SetOSGUI(KrWindowBase* window) { window_ = window; }
    KrStringT<char> getMediaDir();
    void SetMediaDir(const char* dir);

    // Told by the rendering device that it could not start; the engine records it.
    virtual void OnDeviceFailure();
    int DeviceFailures() const { return deviceFailures_; }

  private:
    KrRenderBase* render_;
    KrApplication* app_;
    KrWindowBase* window_;
    KrConfigCache config_;
    char* mediaDir_;
    int deviceFailures_;
};

KRNGN_API KrEngine& Engine();
