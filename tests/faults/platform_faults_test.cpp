// Every platform call of a device life made to fail in turn: the device survives each one,
// reports it the way its rules say, still shuts down and is deleted, and leaves no host block and
// no Direct3D reference behind.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include <d3dx9.h>

#include "d3d_ren_dev.h"
#include "device_life.h"
#include "kr_test_support.h"

namespace {

using faults::LifeOptions;
using faults::LifeOutcome;
using faults::Mark;
using faults::Part;
using krtest::RecordedCall;

bool Is(const char* method, std::initializer_list<const char*> names) {
    for (const char* name : names) {
        if (std::strcmp(method, name) == 0) {
            return true;
        }
    }
    return false;
}

// What the platform typically answers when the call goes wrong.
long TypicalFailure(const char* method) {
    if (Is(method, {"Present", "TestCooperativeLevel"})) {
        return D3DERR_DEVICELOST;
    }
    if (Is(method, {"CreateDevice", "Reset", "CheckDeviceType", "CheckDeviceFormat",
                    "CheckDepthStencilMatch", "CheckDeviceMultiSampleType"})) {
        return D3DERR_NOTAVAILABLE;
    }
    if (Is(method,
           {"CreateTexture", "CreateVertexBuffer", "CreateIndexBuffer",
            "CreateOffscreenPlainSurface", "CreateRenderTarget", "CreateDepthStencilSurface"})) {
        return D3DERR_OUTOFVIDEOMEMORY;
    }
    if (Is(method, {"CreateVertexShader", "CreateVertexDeclaration", "CreatePixelShader"})) {
        return E_OUTOFMEMORY;
    }
    if (Is(method, {"D3DXAssembleShader", "D3DXCreateTextureFromFileA"})) {
        return D3DXERR_INVALIDDATA;
    }
    if (Is(method, {"D3DXSaveSurfaceToFileA"})) {
        return E_FAIL;
    }
    return D3DERR_INVALIDCALL;
}

// Calls whose every failure the device reports with a line of its own.
bool FailureIsLogged(const char* method) {
    return Is(method,
              {"Direct3DCreate9", "CreateDevice", "Reset", "GetBackBuffer", "CreateVertexBuffer",
               "CreateIndexBuffer", "CreateTexture", "D3DXCreateTextureFromFileA",
               "D3DXAssembleShader", "CreateVertexShader", "CreateVertexDeclaration"});
}

// Calls whose failure the frame and the screenshot pass on, or drop, without a word.
bool FailureIsSilent(const char* method, Part part) {
    return (part == Part::Frame && Is(method, {"Clear", "BeginScene", "EndScene", "Present"})) ||
           (part == Part::Screenshot &&
            Is(method, {"GetDisplayMode", "CreateOffscreenPlainSurface", "GetFrontBufferData",
                        "D3DXSaveSurfaceToFileA"}));
}

bool Inside(const std::vector<std::pair<size_t, size_t>>& ranges, size_t n) {
    for (const auto& range : ranges) {
        if (n >= range.first && n < range.second) {
            return true;
        }
    }
    return false;
}

bool IsReport(const std::string& line) {
    for (const char* word : {"WARNING:", "ERROR:", "CRITICAL:", "EARROR:"}) {
        if (line.compare(0, std::strlen(word), word) == 0) {
            return true;
        }
    }
    return false;
}

// Where a part of a life begins, in platform calls and in log lines.
struct PartStart {
    Mark mark;
    size_t logLines;
};

typedef std::tuple<int, int, int> PartKey;  // part, scene, frame
PartKey KeyOf(const Mark& mark) {
    return PartKey(static_cast<int>(mark.part), mark.scene, mark.frame);
}

// The lines logged in each part of a life.
std::map<PartKey, std::vector<std::string>> LinesByPart(const std::vector<PartStart>& starts,
                                                        const std::vector<std::string>& log) {
    std::map<PartKey, std::vector<std::string>> lines;
    for (size_t i = 0; i < starts.size(); ++i) {
        size_t end = i + 1 < starts.size() ? starts[i + 1].logLines : log.size();
        end = std::min(end, log.size());
        std::vector<std::string>& part = lines[KeyOf(starts[i].mark)];
        for (size_t l = std::min(starts[i].logLines, end); l < end; ++l) {
            part.push_back(log[l]);
        }
    }
    return lines;
}

// The report lines of `lines` that `reference` does not have as many times.
std::vector<std::string> NewReports(const std::vector<std::string>& lines,
                                    const std::vector<std::string>& reference) {
    std::multiset<std::string> known(reference.begin(), reference.end());
    std::vector<std::string> added;
    for (const std::string& line : lines) {
        auto it = known.find(line);
        if (it != known.end()) {
            known.erase(it);
        } else if (IsReport(line)) {
            added.push_back(line);
        }
    }
    return added;
}

std::vector<std::string> Methods(const std::vector<RecordedCall>& calls, size_t from = 0,
                                 size_t to = static_cast<size_t>(-1)) {
    std::vector<std::string> methods;
    for (size_t c = from; c < calls.size() && c < to; ++c) {
        methods.push_back(calls[c].method);
    }
    return methods;
}

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// A life with its calls and where each part began.
struct Recorded {
    std::vector<PartStart> starts;
    std::vector<RecordedCall> calls;
    std::vector<std::pair<size_t, size_t>> insideD3DX;
    LifeOutcome outcome;
    size_t End(size_t part) const {
        return part + 1 < starts.size() ? starts[part + 1].mark.calls : calls.size();
    }
    // The calls of each frame of a scene, as method names.
    std::vector<std::vector<std::string>> Frames(int scene) const {
        std::vector<std::vector<std::string>> frames;
        for (size_t i = 0; i < starts.size(); ++i) {
            const Mark& mark = starts[i].mark;
            if (mark.part == Part::Frame && mark.scene == scene) {
                frames.push_back(Methods(calls, mark.calls, End(i)));
            }
        }
        return frames;
    }
    // The method names of the life with the frames from `keep[scene]` on left out.
    std::vector<std::string> Without(int keepBuiltins, int keepPaths) const {
        std::vector<std::string> methods;
        for (size_t i = 0; i < starts.size(); ++i) {
            const Mark& mark = starts[i].mark;
            const int keep = mark.scene == 0 ? keepBuiltins : keepPaths;
            if (mark.part != Part::Frame || mark.frame < keep) {
                std::vector<std::string> part = Methods(calls, mark.calls, End(i));
                methods.insert(methods.end(), part.begin(), part.end());
            }
        }
        return methods;
    }
};

Recorded Record(faults::LifeStage& stage, krtest::D3DRecorder& recorder, int builtinsFrames,
                int pathsFrames) {
    Recorded life;
    LifeOptions options;
    options.frames[0] = builtinsFrames;
    options.frames[1] = pathsFrames;
    options.onPart = [&](const Mark& mark) {
        life.starts.push_back({mark, static_cast<size_t>(GLog.CapturedCount())});
    };
    life.outcome = stage.Live(options);
    life.calls = recorder.calls;
    life.insideD3DX = faults::LifeStage::InsideD3DX();
    return life;
}

// Which calls of a scene's first frame are its own: the rest are, in order, the calls of every
// later frame. All of them when the later frame is not found in the first in that way.
std::vector<bool> FirstFrameOnly(const std::vector<std::string>& first,
                                 const std::vector<std::string>& steady) {
    std::vector<bool> own(first.size(), true);
    size_t j = 0;
    for (size_t i = 0; i < first.size() && j < steady.size(); ++i) {
        if (first[i] == steady[j]) {
            own[i] = false;
            ++j;
        }
    }
    if (j != steady.size()) {
        own.assign(first.size(), true);
    }
    return own;
}

// Empty when the two lists are equal, else where and how they part.
std::string Difference(const std::vector<std::string>& a, const std::vector<std::string>& b) {
    size_t i = 0;
    while (i < a.size() && i < b.size() && a[i] == b[i]) {
        ++i;
    }
    if (i == a.size() && i == b.size()) {
        return "";
    }
    std::string text = "from call " + std::to_string(i + 1) + " (of " + std::to_string(a.size()) +
                       " and " + std::to_string(b.size()) + "):";
    for (size_t k = i; k < i + 6; ++k) {
        text += " " + (k < a.size() ? a[k] : "-") + "/" + (k < b.size() ? b[k] : "-");
    }
    return text;
}

// What the current life is doing, for the message of a crash.
char g_current[256] = "";
LONG CALLBACK SayWhichLife(EXCEPTION_POINTERS* info) {
    if (info->ExceptionRecord->ExceptionCode == EXCEPTION_ACCESS_VIOLATION && g_current[0]) {
        std::fprintf(stderr, "access violation during %s\n", g_current);
        std::fflush(stderr);
    }
    return EXCEPTION_CONTINUE_SEARCH;
}

// What a life left behind once the device object was deleted. D3DX keeps the Direct3D object
// that it asked the device for when a later call of its own fails: with `d3dxFailed`, that one
// reference is D3DX's, not the device's.
void CheckEnd(const LifeOutcome& life, std::vector<std::string>& wrong, bool d3dxFailed = false,
              int* d3dxReferences = nullptr) {
    if (life.blocksAfter != life.blocksBefore) {
        wrong.push_back(std::to_string(life.blocksAfter - life.blocksBefore) + " host blocks left");
    }
    if (d3dxFailed && life.deviceCount <= 0 && life.direct3DCount == 1) {
        ++*d3dxReferences;
    } else if (life.deviceCount > 0 || life.direct3DCount > 0) {
        wrong.push_back("last Release of the device " + std::to_string(life.deviceCount) +
                        ", of Direct3D " + std::to_string(life.direct3DCount));
    }
    const size_t released = static_cast<size_t>(
        std::count(life.log.begin(), life.log.end(),
                   std::string("Rendering device and resources safely released")));
    if (released != 1 || life.log.empty() ||
        life.log.back() != "\nRendering device requesting exit") {
        wrong.push_back("the life did not end with Exit and deletion");
    }
}

// Whether a failed call was reported as the device's rules say, from the lines of the part it
// failed in against those of the same part of a life without the failure.
void CheckReport(const RecordedCall& target, Part part, const std::vector<std::string>& lines,
                 const std::vector<std::string>& referenceLines, int& alreadyFailing,
                 std::vector<std::string>& wrong) {
    const std::vector<std::string> added = NewReports(lines, referenceLines);
    if (target.result < 0) {
        ++alreadyFailing;  // the call fails on this machine anyway: its line is known
    } else if (FailureIsLogged(target.method) && added.empty()) {
        wrong.push_back("no WARNING or ERROR line");
    } else if (FailureIsSilent(target.method, part) && !added.empty()) {
        wrong.push_back("logged \"" + added[0] + "\"");
    }
}

std::string Problem(size_t n, const RecordedCall& target, const std::vector<std::string>& wrong) {
    std::string problem = "call " + std::to_string(n + 1) + " " + faults::Describe(target);
    for (const std::string& w : wrong) {
        problem += "; " + w;
    }
    return problem;
}

unsigned long DeviceReferences() {
    KrD3DRenDev* device = static_cast<KrD3DRenDev*>(Engine().Render());
    if (device == nullptr || device->Device() == nullptr) {
        return 0;
    }
    device->Device()->AddRef();
    return device->Device()->Release();
}

struct Tally {
    int d3dxReferences = 0;  // Direct3D references D3DX kept after a call of its own failed
    int lives = 0;
    int failures = 0;
    int survived = 0;
    int alreadyFailing = 0;
    std::vector<std::string> problems;
};

// One life per call: the call fails, one frame more shows the device going on, then the life
// goes straight to its screenshot, window changes and shut-down.
void SweepOneByOne(faults::LifeStage& stage, krtest::D3DRecorder& recorder,
                   const Recorded& reference, const std::vector<size_t>& indices, Tally& tally) {
    const std::map<PartKey, std::vector<std::string>> referenceLines =
        LinesByPart(reference.starts, reference.outcome.log);
    const int frames[2] = {static_cast<int>(reference.Frames(0).size()),
                           static_cast<int>(reference.Frames(1).size())};
    for (size_t n : indices) {
        const RecordedCall& target = reference.calls[n];
        std::snprintf(g_current, sizeof g_current, "the life whose call %zu (%s) fails", n + 1,
                      target.method);
        std::vector<PartStart> starts;
        bool failedBeforeFrame = false;
        LifeOptions options;
        options.frames[0] = frames[0];
        options.frames[1] = frames[1];
        options.onPart = [&](const Mark& mark) {
            starts.push_back({mark, static_cast<size_t>(GLog.CapturedCount())});
            if (mark.part == Part::Frame) {
                failedBeforeFrame = recorder.calls.size() > n;
            }
        };
        options.enoughFrames = [&] { return failedBeforeFrame; };
        recorder.FailNthCall(static_cast<long>(n + 1), TypicalFailure(target.method));
        LifeOutcome life = stage.Live(options);
        recorder.StopFailing();
        ++tally.lives;
        ++tally.failures;

        std::vector<std::string> wrong;
        if (recorder.calls.size() <= n || !recorder.calls[n].injected ||
            std::strcmp(recorder.calls[n].method, target.method) != 0) {
            wrong.push_back("the life took another road before the call");
        } else {
            size_t part = 0;
            while (part + 1 < starts.size() && starts[part + 1].mark.calls <= n) {
                ++part;
            }
            const PartKey key = KeyOf(starts[part].mark);
            CheckReport(target, starts[part].mark.part, LinesByPart(starts, life.log)[key],
                        referenceLines.at(key), tally.alreadyFailing, wrong);
        }
        CheckEnd(life, wrong, Inside(reference.insideD3DX, n), &tally.d3dxReferences);
        if (wrong.empty()) {
            ++tally.survived;
        } else {
            tally.problems.push_back(Problem(n, target, wrong));
        }
    }
    g_current[0] = 0;
}

// One long life per scene in which every call of the scene's steady frame fails once, each in
// a frame of its own, followed by clean frames until the scene is back to its steady calls; the
// host blocks and the device's references must then be where they were before the failure.
void SweepSteadyFrames(faults::LifeStage& stage, krtest::D3DRecorder& recorder,
                       const Recorded& whole, int scene, int firstSteady, Tally& tally) {
    const std::vector<std::string> steady = whole.Frames(scene).back();
    std::vector<std::string> steadyLines;
    std::vector<long> steadyResults;
    for (size_t i = 0; i < whole.starts.size(); ++i) {
        const Mark& mark = whole.starts[i].mark;
        if (mark.part == Part::Frame && mark.scene == scene && mark.frame == 29) {
            for (size_t c = mark.calls; c < whole.End(i); ++c) {
                steadyResults.push_back(whole.calls[c].result);
            }
            const size_t end = i + 1 < whole.starts.size() ? whole.starts[i + 1].logLines
                                                           : whole.outcome.log.size();
            steadyLines.assign(
                whole.outcome.log.begin() + static_cast<long>(whole.starts[i].logLines),
                whole.outcome.log.begin() + static_cast<long>(end));
        }
    }

    size_t offset = 0;      // the call of the steady frame to fail next
    size_t frameStart = 0;  // first call of the frame that just ended
    size_t logStart = 0;
    bool injected = false;   // the frame that just ended had a failing call
    int unsteadyFrames = 0;  // frames since the last one that made the steady calls
    int baselineBlocks = 0;
    unsigned long baselineReferences = 0;
    bool done = false;
    LifeOptions options;
    options.frames[0] = scene == 0 ? 1000000 : 0;
    options.frames[1] = scene == 1 ? 1000000 : 0;
    options.onPart = [&](const Mark& mark) {
        if (mark.part != Part::Frame || mark.scene != scene) {
            return;
        }
        const size_t now = recorder.calls.size();
        const size_t logNow = static_cast<size_t>(GLog.CapturedCount());
        const std::vector<std::string> frame = Methods(recorder.calls, frameStart, now);
        const bool wasSteady = mark.frame > 0 && frame == steady;
        if (injected) {
            injected = false;
            // A failure in the frame before may have sent this frame another way before it
            // reached its failing call: that call is failed again in a later frame.
            if (frame.size() > offset &&
                std::equal(steady.begin(), steady.begin() + static_cast<long>(offset),
                           frame.begin())) {
                RecordedCall target{
                    steady[offset].c_str(), {}, steadyResults[offset], false, {}, {}, ""};
                std::vector<std::string> wrong;
                if (!recorder.calls[frameStart + offset].injected) {
                    wrong.push_back("the failure did not happen");
                } else {
                    const std::vector<std::string> log = krtest::LogLines();
                    std::vector<std::string> lines(log.begin() + static_cast<long>(logStart),
                                                   log.begin() + static_cast<long>(logNow));
                    CheckReport(target, Part::Frame, lines, steadyLines, tally.alreadyFailing,
                                wrong);
                }
                ++tally.failures;
                if (wrong.empty()) {
                    ++tally.survived;
                } else {
                    tally.problems.push_back(Problem(offset, target, wrong) +
                                             " (steady frame of scene " + std::to_string(scene) +
                                             ")");
                }
                ++offset;
            }
        }
        if (mark.frame == firstSteady + 1) {
            baselineBlocks = krLiveBlocks();
            baselineReferences = DeviceReferences();
        }
        if (mark.frame > firstSteady + 1 && offset < steady.size()) {
            if (wasSteady) {
                unsteadyFrames = 0;
                if (krLiveBlocks() != baselineBlocks || DeviceReferences() != baselineReferences) {
                    tally.problems.push_back(
                        "before call " + std::to_string(offset + 1) +
                        " of a steady frame of scene " + std::to_string(scene) + " failed: " +
                        std::to_string(krLiveBlocks() - baselineBlocks) + " host blocks and " +
                        std::to_string(static_cast<long>(DeviceReferences() - baselineReferences)) +
                        " device references more than before the failures");
                    baselineBlocks = krLiveBlocks();
                    baselineReferences = DeviceReferences();
                }
                std::snprintf(g_current, sizeof g_current,
                              "a steady frame of scene %d whose call %zu (%s) fails", scene,
                              offset + 1, steady[offset].c_str());
                recorder.FailNthCall(static_cast<long>(now + offset + 1),
                                     TypicalFailure(steady[offset].c_str()));
                injected = true;
            } else if (++unsteadyFrames > 5) {
                tally.problems.push_back("scene " + std::to_string(scene) +
                                         " did not come back to its steady frames after call " +
                                         std::to_string(offset) + " failed");
                offset = steady.size();
            }
        }
        done = offset >= steady.size() && !injected;
        frameStart = now;
        logStart = logNow;
    };
    options.sceneDone = [&](int) { return done; };
    LifeOutcome life = stage.Live(options);
    recorder.StopFailing();
    g_current[0] = 0;
    ++tally.lives;
    std::vector<std::string> wrong;
    CheckEnd(life, wrong);
    if (!done) {
        wrong.push_back("the scene ended before every call had failed");
    }
    if (!wrong.empty()) {
        tally.problems.push_back(
            Problem(0, RecordedCall{"(steady frames)", {}, 0, false, {}, {}, ""}, wrong));
    }
}

TEST(PlatformFaults, EveryPlatformCallOfALifeMayFail) {
    krtest::D3DRecorder recorder;
    faults::LifeStage stage(&recorder);
    void* handler = AddVectoredExceptionHandler(1, SayWhichLife);
    auto clock = std::chrono::steady_clock::now();

    // The first frame of a process builds an effector that no later life builds again: a life
    // of its own takes it, so that the lives below all follow the same road.
    Record(stage, recorder, 0, 1);

    const Recorded whole = Record(stage, recorder, 30, 30);
    ASSERT_TRUE(whole.outcome.started) << krtest::Join(whole.outcome.log);
    ASSERT_EQ(whole.outcome.framesPlayed, 60);
    std::vector<std::string> wrong;
    CheckEnd(whole.outcome, wrong);
    ASSERT_TRUE(wrong.empty()) << wrong[0];

    // From which frame on every frame of a scene makes the same calls as the one before.
    int firstSteady[2] = {0, 0};
    for (int scene = 0; scene < 2; ++scene) {
        std::vector<std::vector<std::string>> frames = whole.Frames(scene);
        ASSERT_EQ(frames.size(), 30u);
        int first = 29;
        while (first > 0 && frames[static_cast<size_t>(first - 1)] == frames[29]) {
            --first;
        }
        ASSERT_LE(first, 5) << "scene " << scene << " settles only at frame " << first + 1;
        firstSteady[scene] = first;
    }
    const int pathsFrames = firstSteady[1] + 2;
    const int builtinsFrames = firstSteady[0] + 2;

    // The road of the one-by-one lives: no frame of the builtins scene (the frame after a
    // failure is then one of the paths scene), and the paths frames up to one after the first
    // steady one. Without the builtins frames before them, the paths frames before the steady
    // ones may set a few states that the state cache would otherwise have held: those frames
    // are the road's own; every other part makes the calls it makes in the whole life.
    const Recorded road = Record(stage, recorder, 0, pathsFrames);
    for (size_t i = 0; i < road.starts.size(); ++i) {
        const Mark& mark = road.starts[i].mark;
        if (mark.part == Part::Frame && mark.frame < firstSteady[1]) {
            continue;
        }
        for (size_t w = 0; w < whole.starts.size(); ++w) {
            if (KeyOf(whole.starts[w].mark) == KeyOf(mark)) {
                ASSERT_EQ(
                    Difference(Methods(road.calls, mark.calls, road.End(i)),
                               Methods(whole.calls, whole.starts[w].mark.calls, whole.End(w))),
                    "")
                    << faults::PartName(mark.part) << " " << mark.scene << " " << mark.frame;
            }
        }
    }
    const Recorded builtinsRoad = Record(stage, recorder, builtinsFrames, pathsFrames);
    ASSERT_EQ(Difference(Methods(builtinsRoad.calls), whole.Without(builtinsFrames, pathsFrames)),
              "");

    // The calls of the frames before the steady ones that the steady frames do not make, in
    // order, are failed one by one; the others are those of a steady frame.
    std::vector<size_t> oneByOne;
    std::vector<size_t> builtinsFirstFrame;
    size_t firstFrameCalls[2] = {0, 0};
    const auto settling = [&](const Recorded& life, int scene, std::vector<size_t>& indices) {
        for (size_t i = 0; i < life.starts.size(); ++i) {
            const Mark& mark = life.starts[i].mark;
            if (mark.part == Part::Frame && mark.scene == scene &&
                mark.frame < firstSteady[scene]) {
                const std::vector<bool> own = FirstFrameOnly(
                    Methods(life.calls, mark.calls, life.End(i)), whole.Frames(scene)[29]);
                for (size_t c = mark.calls; c < life.End(i); ++c) {
                    if (own[c - mark.calls]) {
                        indices.push_back(c);
                        ++firstFrameCalls[scene];
                    }
                }
            }
        }
    };
    for (size_t i = 0; i < road.starts.size(); ++i) {
        const Mark& mark = road.starts[i].mark;
        if (mark.part == Part::Frame) {
            continue;
        }
        for (size_t c = mark.calls; c < road.End(i); ++c) {
            oneByOne.push_back(c);
        }
    }
    settling(road, 1, oneByOne);
    std::sort(oneByOne.begin(), oneByOne.end());
    settling(builtinsRoad, 0, builtinsFirstFrame);
    // Unless the whole sweep is asked for, every call the device makes itself is failed, one
    // life each; the calls D3DX makes inside a texture load or save are left to the whole sweep.
    const bool everyCall = std::getenv("KR_FAULTS_EVERY_CALL") != nullptr;
    size_t candidates = oneByOne.size() + builtinsFirstFrame.size();
    size_t byD3DX = 0;
    if (!everyCall) {
        // The calls that D3DX makes inside a texture load or a save: the device sees only that
        // D3DX failed, which the failures of the D3DX calls themselves show.
        const auto own = [&](const Recorded& life, std::vector<size_t>& indices) {
            std::vector<size_t> kept;
            for (size_t n : indices) {
                if (Inside(life.insideD3DX, n)) {
                    ++byD3DX;
                } else {
                    kept.push_back(n);
                }
            }
            indices = kept;
        };
        own(road, oneByOne);
        own(builtinsRoad, builtinsFirstFrame);
    }
    Tally tally;
    std::printf("the lives so far: %.0f s\n", Seconds(clock));
    auto part = std::chrono::steady_clock::now();
    SweepOneByOne(stage, recorder, road, oneByOne, tally);
    std::printf(
        "%zu lives failing one call outside the frames or in the first paths frame: %.0f s\n",
        oneByOne.size(), Seconds(part));
    part = std::chrono::steady_clock::now();
    SweepOneByOne(stage, recorder, builtinsRoad, builtinsFirstFrame, tally);
    std::printf("%zu lives failing one call of the first builtins frame: %.0f s\n",
                builtinsFirstFrame.size(), Seconds(part));
    const int oneByOneLives = tally.lives;
    for (int scene = 0; scene < 2; ++scene) {
        part = std::chrono::steady_clock::now();
        SweepSteadyFrames(stage, recorder, whole, scene, firstSteady[scene], tally);
        std::printf("the long life of scene %d: %.0f s\n", scene, Seconds(part));
    }
    RemoveVectoredExceptionHandler(handler);

    for (size_t i = 0; i < tally.problems.size() && i < 40; ++i) {
        ADD_FAILURE() << tally.problems[i];
    }
    EXPECT_EQ(tally.problems.size(), 0u);
    const std::string chosen =
        everyCall ? std::string("every candidate was failed.")
                  : "of the calls the device makes itself (not the " + std::to_string(byD3DX) +
                        " D3DX makes inside texture loads and saves, which KR_FAULTS_EVERY_CALL "
                        "adds).";
    size_t inFrames[2] = {0, 0};
    for (int scene = 0; scene < 2; ++scene) {
        for (const std::vector<std::string>& frame : whole.Frames(scene)) {
            inFrames[scene] += frame.size();
        }
    }
    std::printf(
        "platform fault sweep: %d lives run, %d failures injected, %d survived (%d of calls that "
        "fail on this adapter anyway), %.0f s\n"
        "  a whole life makes %zu platform calls: %zu outside the frames, %zu in the 30 frames "
        "of the builtins scene (%zu in each from frame %d on), %zu in the 30 of the paths scene "
        "(%zu in each from frame %d on).\n"
        "  %d lives failed one call each, of %zu candidates: the calls outside the frames and "
        "the %zu calls of the builtins frames before frame %d and %zu of the paths frames before "
        "frame %d that the later frames do not make; %s\n"
        "  2 long lives failed every call of a steady frame of each scene, one call a frame, "
        "each in a frame after one that made the steady calls. The other calls of the frames "
        "before the steady ones are those of a steady frame, in order; the steady frames make "
        "the same calls, method by method.\n",
        tally.lives, tally.failures, tally.survived, tally.alreadyFailing, Seconds(clock),
        whole.calls.size(), whole.calls.size() - inFrames[0] - inFrames[1], inFrames[0],
        whole.Frames(0)[29].size(), firstSteady[0] + 1, inFrames[1], whole.Frames(1)[29].size(),
        firstSteady[1] + 1, oneByOneLives, candidates, firstFrameCalls[0], firstSteady[0] + 1,
        firstFrameCalls[1], firstSteady[1] + 1, chosen.c_str());
    if (tally.d3dxReferences > 0) {
        std::printf(
            "  %d failed calls made by D3DX inside a texture load left D3DX holding one "
            "reference to the Direct3D object.\n",
            tally.d3dxReferences);
    }
    std::fflush(stdout);
}

}  // namespace
