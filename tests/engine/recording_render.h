// A rendering device that draws nothing and records which of its virtual operations the engine's
// own drawing code calls, with their arguments, so that the host's draw operations can be checked
// without Direct3D.
#pragma once

#include <string>
#include <vector>

#include "krngn.h"

namespace enginetest {

struct ScreenVertex {
    float x, y, z, rhw;
    unsigned int colour;
    float u, v;
};

struct Line {
    KrVector from, to;
    unsigned long colour;
};

class RecordingRender;

// A vertex buffer that keeps what is written into it and tells the device when it goes.
class RecordingVertexBuffer : public KrVertexBufferBase {
  public:
    explicit RecordingVertexBuffer(RecordingRender* owner) : owner_(owner) {}
    ~RecordingVertexBuffer() override;
    bool Populate(unsigned int offset, unsigned char* data, unsigned int size) override;
    void Release() override;
    bool Access(unsigned int, unsigned int, unsigned char**, unsigned long) override {
        return false;
    }
    void Update() override {}

  private:
    RecordingRender* owner_;
};

class RecordingRender : public KrRenderBase {
  public:
    // Calls in order, by name ("CreateVertexBuffer", "Populate", "SetEffector", "SetTexture",
    // "DrawPrimitive", "Release", "DeleteBuffer", "Draw3DLine").
    std::vector<std::string> calls;
    std::vector<Line> lines;
    std::vector<ScreenVertex> vertices;  // what the last Populate wrote
    unsigned int bufferSize = 0;
    unsigned long bufferFvf = 0;
    eMemPool bufferPool = eMemDefault;
    unsigned int effector = 0xFFFFFFFFu;
    unsigned int texture = 0xFFFFFFFFu;
    eTextureType textureType = eTexStatic;
    unsigned long primitiveType = 0;
    unsigned int stride = 0;
    int primitiveCount = 0;
    const KrVertexBufferBase* drawnBuffer = nullptr;
    int liveBuffers = 0;

    // Failure injection for the host's error paths.
    bool failCreate = false;
    bool failPopulate = false;
    long drawResult = 0;

    void Forget() {
        calls.clear();
        lines.clear();
        vertices.clear();
    }
    KrSpriteDaemon* Daemon() { return spriteDaemon; }

    bool CreateVertexBuffer(KrVertexBufferBase** out, unsigned int size, unsigned long fvf,
                            eMemPool pool, eResUsage) override {
        calls.push_back("CreateVertexBuffer");
        bufferSize = size;
        bufferFvf = fvf;
        bufferPool = pool;
        if (failCreate) {
            *out = nullptr;
            return false;
        }
        *out = new RecordingVertexBuffer(this);
        ++liveBuffers;
        return true;
    }
    bool SetEffector(unsigned int index) override {
        calls.push_back("SetEffector");
        effector = index;
        return true;
    }
    bool SetTexture(unsigned int index, eTextureType type, unsigned int) override {
        calls.push_back("SetTexture");
        texture = index;
        textureType = type;
        return true;
    }
    long DrawPrimitive(unsigned long type, KrVertexBufferBase* buffer, unsigned int vertexStride,
                       int count) override {
        calls.push_back("DrawPrimitive");
        primitiveType = type;
        drawnBuffer = buffer;
        stride = vertexStride;
        primitiveCount = count;
        return drawResult;
    }
    bool Draw3DLine(KrVector* from, KrVector* to, KrARGB colour) override {
        calls.push_back("Draw3DLine");
        lines.push_back(Line{*from, *to, colour.GetDWORD()});
        return true;
    }

    // The rest of the device does not take part in the host's drawing.
    long PreRender(ePreRenderClearFlag) override { return 0; }
    long EndRender() override { return 0; }
    bool InitAPI() override { return true; }
    bool ExitAPI() override { return true; }
    bool Reset() override { return true; }
    bool ToggleFullScreen(bool) override { return true; }
    bool SetAlpha(bool) override { return true; }
    void SaveCurrWinPos() override {}
    bool UpdateDimensions() override { return true; }
    bool CreateIndexBuffer(KrIndexBufferBase**, unsigned int, eIDXFormat, eMemPool) override {
        return false;
    }
    long DrawPrimitive(unsigned long, KrVertexBufferBase*, KrIndexBufferBase*, unsigned int,
                       unsigned long, int, int, unsigned int, unsigned int) override {
        return -1;
    }
    void SetTransform(KrCoords*) override {}
    void SetView(KrCoords*) override {}
    bool SetStream(unsigned int, unsigned long, KrVertexBufferBase*) override { return true; }
    int GetCurrShader() override { return static_cast<int>(effector); }
    unsigned int GetWidth() override { return 800; }
    unsigned int GetHeight() override { return 600; }
    float GetAspectRatio() override { return 800.0f / 600.0f; }
    float& NearZ() override { return nearZ; }
    float& FarZ() override { return farZ; }
    bool CompileShader(KrStringT<char>&, void**, void**) override { return false; }
    bool SetRenderStates() override { return true; }
    void SetPolyCullMode(ePolyCullMode) override {}
    void takeScreenshot(const KrStringT<char>&) override {}
    void NuDiffuse() override {}
    void NuDiffuseTex1() override {}
    void NuDiffuseTex1Unlit() override {}
    void NuRealDiffuseTex1Scroll(float) override {}
    void NuRealDiffuseTex1RotScale() override {}
    void NuRealDiffuseTex2() override {}
    void NuCheatEnvMapping() override {}
    void NuAlphaCheck() override {}
    void NuBumpMapping() override {}
};

inline RecordingVertexBuffer::~RecordingVertexBuffer() {
    owner_->calls.push_back("DeleteBuffer");
    --owner_->liveBuffers;
}

inline bool RecordingVertexBuffer::Populate(unsigned int offset, unsigned char* data,
                                            unsigned int size) {
    owner_->calls.push_back("Populate");
    if (owner_->failPopulate || offset != 0 || size % sizeof(ScreenVertex) != 0) {
        return false;
    }
    const ScreenVertex* written = reinterpret_cast<const ScreenVertex*>(data);
    owner_->vertices.assign(written, written + size / sizeof(ScreenVertex));
    return true;
}

inline void RecordingVertexBuffer::Release() {
    owner_->calls.push_back("Release");
}

}  // namespace enginetest
