// One whole life of a rendering device as the engine drives it: start, frames of the builtins and
// paths scenes, a screenshot, a switch to full screen and back, a reset, shut-down and deletion.
// The fault sweeps replay this life again and again with one platform call or one allocation
// made to fail, and check what the device left behind.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "recording_d3d.h"

namespace faults {

// The parts of a life, in order; every part is a stretch of platform calls and allocations.
enum class Part {
    Start,
    SceneSetUp,
    Frame,
    SceneTearDown,
    Screenshot,
    ToFullScreen,
    ToWindow,
    Reset,
    Exit,
    Deletion
};
const char* PartName(Part part);

struct Mark {
    Part part;
    int scene;              // 0 builtins, 1 paths; -1 outside the scenes
    int frame;              // frame of the scene, -1 outside the frames
    size_t calls;           // recorded platform calls before the part began
    long long allocations;  // allocations of the core library before the part began
};

struct LifeOptions {
    int frames[2] = {30, 30};  // of the builtins scene and of the paths scene
    // Consulted after every frame: true leaves the scenes and goes on with the screenshot.
    std::function<bool()> enoughFrames;
    // Consulted after every frame: true leaves the scene for the next one.
    std::function<bool(int scene)> sceneDone;
    // Called between parts (and before the first one) with the part about to begin.
    std::function<void(const Mark&)> onPart;
};

struct LifeOutcome {
    bool created = false;  // the plug-in gave a device object
    bool started = false;  // Init succeeded
    int framesPlayed = 0;
    int blocksBefore = 0;       // host live blocks before the device object was made
    int blocksAfter = 0;        // and after its deletion
    long long allocations = 0;  // allocations asked of the core library from making to deletion
    // What the last Release of the Direct3D object and of the device returned once the device
    // object was deleted; -1 when the life never made one.
    long direct3DCount = -1;
    long deviceCount = -1;
    std::vector<std::string> log;
};

// The engine around the lives of one test: the media root as the current folder, and the
// platform seam pointed at `recorder` (or at the real functions when null), with the Direct3D
// object of each life kept so that its last Release can be seen.
class LifeStage {
  public:
    explicit LifeStage(krtest::D3DRecorder* recorder);
    ~LifeStage();
    LifeStage(const LifeStage&) = delete;
    LifeStage& operator=(const LifeStage&) = delete;

    // Runs one life; allocations are counted (and may fail) from `arm` on, which runs right
    // before the device object is made.
    LifeOutcome Live(const LifeOptions& options, const std::function<void()>& arm = nullptr);

    // The configuration each life starts from: a small window, full screen at the desktop size.
    static std::string Ini();
    const std::string& StartFolder() const { return startFolder_; }
    // The calls that D3DX made on the device inside the module's D3DX calls in the last life,
    // as ranges [first, end) of recorded call indices: the module sees only D3DX's result.
    static const std::vector<std::pair<size_t, size_t>>& InsideD3DX();

  private:
    std::string startFolder_;
    std::string screenshotPath_;
    krtest::D3DRecorder* recorder_;
};

// A recorded call as a failure message names it: the method, with its file name or text.
std::string Describe(const krtest::RecordedCall& call);

}  // namespace faults
