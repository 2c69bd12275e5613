// The engine singleton, its application, camera, lights and sprites.
#include "krngn.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

KrEngine::KrEngine()
    : render_(nullptr), app_(nullptr), window_(nullptr), mediaDir_(nullptr), deviceFailures_(0) {}

KrEngine::~KrEngine() {
    std::free(mediaDir_);
}

KrStringT<char> KrEngine::getMediaDir() {
    return KrStringT<char>(mediaDir_ != nullptr ? mediaDir_ : ".");
}

void KrEngine::SetMediaDir(const char* dir) {
    std::free(mediaDir_);
    mediaDir_ = nullptr;
    if (dir != nullptr) {
        mediaDir_ = static_cast<char*>(std::malloc(std::strlen(dir) + 1));
        if (mediaDir_ != nullptr) {
            std::strcpy(mediaDir_, dir);
        }
    }
}

void KrEngine::OnDeviceFailure() {
    ++deviceFailures_;
    GLog.WriteLine("ENGINE: The rendering device could not start");
}

KRNGN_API KrEngine& Engine() {
    static KrEngine engine;
    return engine;
}

KrCamera::KrCamera() : fov_(90.0f) {}

void KrCamera::LookAt(const KrVector& eye, const KrVector& target) {
    KrVector z = target - eye;
    float length = std::sqrt(z | z);
    if (length <= 0.0f) {
        return;
    }
    z = z * (1.0f / length);
    // Right = up x view in a left-handed frame.
    KrVector up(0.0f, 1.0f, 0.0f);
    KrVector x(up.y * z.z - up.z * z.y, up.z * z.x - up.x * z.z, up.x * z.y - up.y * z.x);
    float xLength = std::sqrt(x | x);
    if (xLength <= 1e-6f) {
        x = KrVector(1.0f, 0.0f, 0.0f);
    } else {
        x = x * (1.0f / xLength);
    }
    KrVector y(z.y * x.z - z.z * x.y, z.z * x.x - z.x * x.z, z.x * x.y - z.y * x.x);
    frame_.X = x;
    frame_.Y = y;
    frame_.Z = z;
    frame_.P = eye;
}

KrApplication::KrApplication() : useOSCursor_(true) {}

KrLightMgr::KrLightMgr() : lights_(), count_(0) {}

KrLightMgr::~KrLightMgr() {
    RemoveAll();
}

int KrLightMgr::GetNumLights() const {
    return count_;
}

KrLightBase* KrLightMgr::GetLight(int index) {
    return index >= 0 && index < count_ ? lights_[index] : nullptr;
}

int KrLightMgr::AddLight(const KrVector& position, float range) {
    if (count_ >= kMaxLights) {
        return -1;
    }
    lights_[count_] = new KrLightBase(position, range);
    return count_++;
}

void KrLightMgr::RemoveAll() {
    for (int i = 0; i < count_; ++i) {
        delete lights_[i];
        lights_[i] = nullptr;
    }
    count_ = 0;
}

KrSpriteDaemon::KrSpriteDaemon() : sprites_(), count_(0), ready_(false), inits_(0), destroys_(0) {}

void KrSpriteDaemon::Init() {
    ready_ = true;
    ++inits_;
}

void KrSpriteDaemon::Destroy() {
    ready_ = false;
    ++destroys_;
}

int KrSpriteDaemon::AddSprite(float x, float y, float width, float height, unsigned int texture,
                              KrARGB colour) {
    if (count_ >= kMaxSprites) {
        return -1;
    }
    sprites_[count_] = Sprite{x, y, width, height, texture, colour};
    return count_++;
}

void KrSpriteDaemon::DrawAll(KrRenderBase* render) {
    // Sprites need the device's resources, which do not exist between Destroy and Init.
    if (!ready_ || render == nullptr) {
        return;
    }
    for (int i = 0; i < count_; ++i) {
        Sprite& s = sprites_[i];
        render->DrawSprite(s.x, s.y, s.width, s.height, s.texture, 0.0f, s.colour, 0.0f, 0.0f, 1.0f,
                           1.0f, 0.0f);
    }
}
