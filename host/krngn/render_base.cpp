// The engine's side of the rendering device: its state, and the drawing operations the engine
// builds on the device's own virtual operations (lines, and screen-space quads).
#include "krngn.h"

#include <cmath>

namespace {
const unsigned long kTriangleFan = 6;
const unsigned long kScreenVertexFvf = 0x144;  // XYZRHW | DIFFUSE | TEX1
const int kBuiltInScreenEffector = 2;          // the device's built-in 2-D effector

struct ScreenVertex {
    float x, y, z, rhw;
    unsigned int colour;
    float u, v;
};
}  // namespace

KrRenderBase::KrRenderBase()
    : exitFlag(false),
      spriteDaemon(nullptr),
      deviceObject(nullptr),
      clientRect(),
      windowX(0),
      windowY(0),
      nearZ(1.0f),
      farZ(1000.0f),
      textureMgr(nullptr),
      fxMgr(nullptr),
      lightMgr(nullptr),
      groundGrid(false),
      groundGridColour(255, 96, 96, 96),
      view(),
      resolutions(),
      windowed(true),
      windowStyle(WS_OVERLAPPEDWINDOW | WS_VISIBLE),
      parentHandle(nullptr),
      depthBufferBitDepth(0),
      usingZBuffer(false),
      usingWBuffer(false),
      textWarned(false) {}

KrRenderBase::KrRenderBase(const KrRenderBase& other) = default;
KrRenderBase& KrRenderBase::operator=(const KrRenderBase& other) = default;
KrRenderBase::~KrRenderBase() {}

bool KrRenderBase::Init() {
    if (spriteDaemon != nullptr && !spriteDaemon->IsReady()) {
        spriteDaemon->Init();
    }
    return true;
}

bool KrRenderBase::Exit() {
    if (spriteDaemon != nullptr && spriteDaemon->IsReady()) {
        spriteDaemon->Destroy();
    }
    return true;
}

int KrRenderBase::GetNumResolutions() {
    return resolutions.Count();
}

void KrRenderBase::GetResolution(int index, int& width, int& height) {
    if (index < 0 || index >= resolutions.Count()) {
        width = 0;
        height = 0;
        return;
    }
    width = static_cast<int>(resolutions[index].width);
    height = static_cast<int>(resolutions[index].height);
}

bool KrRenderBase::DrawScreenQuad(float x, float y, float width, float height, float depth,
                                  unsigned long colour, float u0, float v0, float u1, float v1,
                                  float rotation, unsigned int texture, bool textured) {
    KrVertexBufferBase* buffer = nullptr;
    if (!CreateVertexBuffer(&buffer, 4 * sizeof(ScreenVertex), kScreenVertexFvf, eMemSystem,
                            eUsageStatic)) {
        return false;
    }
    float cx = x + width * 0.5f;
    float cy = y + height * 0.5f;
    float c = std::cos(rotation);
    float s = std::sin(rotation);
    const float corners[4][4] = {
        {-0.5f, -0.5f, u0, v0}, {0.5f, -0.5f, u1, v0}, {0.5f, 0.5f, u1, v1}, {-0.5f, 0.5f, u0, v1}};
    ScreenVertex vertices[4];
    for (int i = 0; i < 4; ++i) {
        float dx = corners[i][0] * width;
        float dy = corners[i][1] * height;
        // Pixel centres sit at half coordinates in Direct3D 9.
        vertices[i] = ScreenVertex{cx + dx * c - dy * s - 0.5f,
                                   cy + dx * s + dy * c - 0.5f,
                                   depth,
                                   1.0f,
                                   static_cast<unsigned int>(colour),
                                   corners[i][2],
                                   corners[i][3]};
    }
    bool drawn = buffer->Populate(0, reinterpret_cast<unsigned char*>(vertices), sizeof vertices);
    if (drawn) {
        SetEffector(kBuiltInScreenEffector);
        SetTexture(textured ? texture : 0, eTexStatic, 0);
        drawn = DrawPrimitive(kTriangleFan, buffer, sizeof(ScreenVertex), 2) >= 0;
    }
    buffer->Release();
    delete buffer;
    return drawn;
}

bool KrRenderBase::DrawSprite(float x, float y, float width, float height, unsigned int texture,
                              float depth, KrARGB& colour, float u0, float v0, float u1, float v1,
                              float rotation) {
    return DrawScreenQuad(x, y, width, height, depth, colour.GetDWORD(), u0, v0, u1, v1, rotation,
                          texture, true);
}

void KrRenderBase::DrawColourTile(float x, float y, KrARGB colour) {
    const float kTile = 32.0f;
    DrawScreenQuad(x, y, kTile, kTile, 0.0f, colour.GetDWORD(), 0, 0, 1, 1, 0, 0, false);
}

void KrRenderBase::DrawFadeTile(float x, float y) {
    const float kTile = 32.0f;
    DrawScreenQuad(x, y, kTile, kTile, 0.0f, 0x80000000ul, 0, 0, 1, 1, 0, 0, false);
}

void KrRenderBase::Draw3DCircle(KrVector* centre, KrPlane* plane, float radius, KrARGB colour) {
    if (centre == nullptr) {
        return;
    }
    // Two axes spanning the plane (the ground plane when none is given).
    KrVector n = plane != nullptr ? plane->normal : KrVector(0, 1, 0);
    float length = std::sqrt(n | n);
    n = length > 0.0f ? n * (1.0f / length) : KrVector(0, 1, 0);
    KrVector helper = std::fabs(n.x) < 0.9f ? KrVector(1, 0, 0) : KrVector(0, 0, 1);
    KrVector a(n.y * helper.z - n.z * helper.y, n.z * helper.x - n.x * helper.z,
               n.x * helper.y - n.y * helper.x);
    a = a * (1.0f / std::sqrt(a | a));
    KrVector b(n.y * a.z - n.z * a.y, n.z * a.x - n.x * a.z, n.x * a.y - n.y * a.x);
    const int kSegments = 32;
    KrVector previous = *centre + a * radius;
    for (int i = 1; i <= kSegments; ++i) {
        float angle = 6.2831853f * static_cast<float>(i) / kSegments;
        KrVector next = *centre + a * (radius * std::cos(angle)) + b * (radius * std::sin(angle));
        Draw3DLine(&previous, &next, colour);
        previous = next;
    }
}

void KrRenderBase::Draw3DCylinder(KrVector* base, KrVector* top, float baseRadius, float topRadius,
                                  KrARGB colour) {
    if (base == nullptr || top == nullptr) {
        return;
    }
    KrVector axis = *top - *base;
    KrPlane plane;
    plane.normal = axis;
    plane.d = 0.0f;
    Draw3DCircle(base, &plane, baseRadius, colour);
    Draw3DCircle(top, &plane, topRadius, colour);
    float length = std::sqrt(axis | axis);
    KrVector n = length > 0.0f ? axis * (1.0f / length) : KrVector(0, 1, 0);
    KrVector helper = std::fabs(n.x) < 0.9f ? KrVector(1, 0, 0) : KrVector(0, 0, 1);
    KrVector a(n.y * helper.z - n.z * helper.y, n.z * helper.x - n.x * helper.z,
               n.x * helper.y - n.y * helper.x);
    a = a * (1.0f / std::sqrt(a | a));
    KrVector b(n.y * a.z - n.z * a.y, n.z * a.x - n.x * a.z, n.x * a.y - n.y * a.x);
    for (int i = 0; i < 4; ++i) {
        float angle = 1.5707963f * static_cast<float>(i);
        KrVector dir = a * std::cos(angle) + b * std::sin(angle);
        KrVector from = *base + dir * baseRadius;
        KrVector to = *top + dir * topRadius;
        Draw3DLine(&from, &to, colour);
    }
}

void KrRenderBase::DrawTextA(float, float, KrARGB&, eFontFormatFlags, char*) {
    // The engine has no font yet: say so once rather than on every frame.
    if (!textWarned) {
        textWarned = true;
        GLog.WriteLine("RENDER: Text output is not available yet, text is not drawn");
    }
}

void KrRenderBase::DrawTextf(float x, float y, KrARGB& colour, eFontFormatFlags flags, char* format,
                             ...) {
    DrawTextA(x, y, colour, flags, format);
}

void KrRenderBase::DrawGroundGrid(KrARGB colour) {
    const int kHalfLines = 10;
    const float kSpacing = 10.0f;
    const float extent = kHalfLines * kSpacing;
    for (int i = -kHalfLines; i <= kHalfLines; ++i) {
        float offset = static_cast<float>(i) * kSpacing;
        KrVector a(offset, 0.0f, -extent), b(offset, 0.0f, extent);
        KrVector c(-extent, 0.0f, offset), d(extent, 0.0f, offset);
        Draw3DLine(&a, &b, colour);
        Draw3DLine(&c, &d, colour);
    }
}
