// A scene: what krview draws between PreRender and EndRender for a number of frames.
#pragma once

#include <memory>
#include <string>

#include "krngn.h"

namespace krview {

// A scene is also the engine's device-dependent object while it plays: the device calls it
// around every reset, which unlinks the dynamic textures that the scene must then re-create.
class Scene : public KrDeviceDependent {
  public:
    ~Scene() override {}
    virtual const char* Name() const = 0;
    // Creates buffers, textures and effectors; false when the device cannot give them.
    virtual bool Create(KrRenderBase* render, KrApplication& app) = 0;
    // Moves the camera, lights and objects for a frame, before PreRender reads them.
    virtual void Animate(KrApplication& app, int frame) = 0;
    // Draws one frame; returns the number of draws it made.
    virtual int Draw(KrRenderBase* render, KrApplication& app, int frame) = 0;
    // Gives back what Create made.
    virtual void Destroy(KrRenderBase* render) = 0;
    void ReleaseDeviceObjects() override {}
    void RestoreDeviceObjects() override {}
};

std::unique_ptr<Scene> MakeBuiltinsScene();
std::unique_ptr<Scene> MakePathsScene();
std::unique_ptr<Scene> MakeStressScene(int objects);

}  // namespace krview
