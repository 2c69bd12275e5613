// Platform calls of a device life made to fail, one a life: the device survives each, says so in
// the log as its rules have it, still shuts down and is deleted with nothing left behind, and a
// device that cannot start sets safe mode on disk. The suite fails the first call of each method
// the device makes itself, and each method of a steady frame of each scene in a long life of the
// scene; KR_SWEEP=1 fails every call, the ones D3DX makes inside its own calls included.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <set>

#include "life.h"

namespace {

bool Is(const std::string& method, std::initializer_list<const char*> names) {
    return std::find(names.begin(), names.end(), method) != names.end();
}

// What the platform answers when the call goes wrong.
long TypicalFailure(const std::string& method) {
    return Is(method, {"Present", "TestCooperativeLevel"}) ? D3DERR_DEVICELOST
           : method.compare(0, 4, "D3DX") == 0             ? static_cast<long>(D3DXERR_INVALIDDATA)
           : method.compare(0, 6, "Create") == 0           ? D3DERR_OUTOFVIDEOMEMORY
                                                           : D3DERR_NOTAVAILABLE;
}

const int kFrames = 3;  // a scene's frames settle by its third
krtest::D3DRecorder g_recorder;
faults::Life g_reference;
std::vector<krtest::RecordedCall> g_calls;  // of the reference life

// The line the first failing call of each method writes where the device makes it first (the
// first line the reference life does not have); in a frame the first failing call of any method
// is silent. (The enumeration's queries have their lines in the enumeration's own table.)
const std::map<std::string, std::string> kFirstLines = {
    {"Direct3DCreate9", "WARNING: Critical error during KrD3DRenDev::InitAPI()"},
    {"CreateDevice", "WARNING: Switching to REFERENCE RASTERIZER"},
    {"GetBackBuffer", "WARNING: Failed to refresh resolution"},
    {"SetSamplerState", "WARNING: Could not set all render states as required by renderer"},
    {"D3DXAssembleShader", "ERROR: Failed to assemble shader:\n\tvs.1.1"},
    {"CreateVertexShader", "ERROR: Failed to compile shader:\n\tvs.1.1"},
    {"CreateVertexDeclaration", "ERROR: CreateVertexDeclaration failed"},
    {"CreateVertexBuffer", "WARNING: Failed to create vertex buffer, size 32 bytes"},
    {"CreateIndexBuffer", "WARNING: Failed to create index buffer, size 9216 bytes"},
    {"CreateTexture", "WARNING: Failed to create D3DFMT_A8R8G8B8 dynamic texture 64x64"},
    {"Reset", "WARNING: Failed to Reset D3DDevice in ToggleFullScreen()"}};

// The failed call's line, or its documented silence (the frame's and the screenshot's calls):
// warnings and errors the reference life does not have. A reset after a loss loads every texture
// again, and a name that cannot load says so again: not a new line. The first failing call of a
// method of the table, and of any method in a frame, writes exactly its line.
void CheckReport(size_t n, bool inFrame, bool first, const std::vector<std::string>& log) {
    const std::string method = g_calls[n].method;
    std::string added;
    for (const std::string& line : log) {
        const bool report =
            line.find("WARNING") != std::string::npos || line.find("ERROR") != std::string::npos;
        if (report && std::count(g_reference.log.begin(), g_reference.log.end(), line) == 0) {
            added += line + "\n";
        }
    }
    const auto known = kFirstLines.find(method);
    if (g_calls[n].result >= 0 && first && (inFrame || known != kFirstLines.end())) {
        const std::string line = inFrame ? "" : known->second + "\n";
        EXPECT_EQ(line, added.substr(0, inFrame ? added.npos : line.size()));
        return;
    }
    const bool logged = Is(method, {"Direct3DCreate9", "CreateDevice", "Reset", "GetBackBuffer",
                                    "CreateVertexBuffer", "CreateIndexBuffer", "CreateTexture",
                                    "CreateVertexShader", "CreateVertexDeclaration"}) ||
                        method.compare(0, 4, "D3DX") == 0;
    const bool silent =
        (inFrame && Is(method, {"Clear", "BeginScene", "EndScene", "Present"})) ||
        Is(method, {"CreateOffscreenPlainSurface", "GetFrontBufferData", "D3DXSaveSurfaceToFileA"});
    if (g_calls[n].result >= 0 && silent) {
        EXPECT_EQ("", added);
    } else if (g_calls[n].result >= 0 && logged) {
        EXPECT_NE("", added) << "no WARNING or ERROR line";
    }
}

}  // namespace

TEST(PlatformFaults, EachFailedCallEndsInACleanLife) {
    const bool whole = std::getenv("KR_SWEEP") != nullptr;
    faults::Live(&g_recorder, 1);  // the first frame of a process builds an effector once
    g_reference = faults::Live(&g_recorder, kFrames);
    g_calls = g_recorder.calls;
    ASSERT_TRUE(g_reference.started) << krtest::Join(g_reference.log);
    // The reference life's calls inside D3DX: each failing life records its own ranges over these.
    const std::vector<std::pair<size_t, size_t>> insideRanges = faults::g_insideD3DX;
    int lives = 0, failures = 0;
    std::set<std::string> tried;
    for (size_t n = 0; n < g_calls.size(); ++n) {
        const bool insideD3DX =
            std::any_of(insideRanges.begin(), insideRanges.end(),
                        [n](const auto& range) { return n >= range.first && n < range.second; });
        std::string method = g_calls[n].method, part;
        for (const auto& each : g_reference.parts) {
            part = each.call <= n ? each.name : part;
        }
        const bool steady = part.compare(0, 5, "frame") == 0 && part.back() - '0' == kFrames - 1;
        const bool first = !insideD3DX && tried.insert(method).second;
        if (steady || !(whole || first)) {
            continue;
        }
        SCOPED_TRACE("call " + std::to_string(n + 1) + " " + method + " in " + part);
        g_recorder.FailNthCall(static_cast<long>(n + 1), TypicalFailure(method));
        krtest::RunningDevice::d3dxMayKeepDirect3D = insideD3DX;
        const faults::Life life = faults::Live(&g_recorder, kFrames);
        krtest::RunningDevice::d3dxMayKeepDirect3D = false;
        g_recorder.StopFailing();
        ++lives;
        ++failures;
        ASSERT_TRUE(g_recorder.calls.size() > n && g_recorder.calls[n].injected)
            << "the life took another road before the call";
        CheckReport(n, part.compare(0, 5, "frame") == 0, first, life.log);
        // A device that cannot start sets safe mode for its next start (one without its default
        // shaders reports a device failure instead).
        EXPECT_TRUE(life.started || life.safe == 1 ||
                    std::count(life.log.begin(), life.log.end(),
                               "ERROR: Failed to create default shaders") == 1);
    }

    // One long life a scene: each chosen call of the steady frame fails in a frame of its own,
    // followed by clean frames until the scene makes its steady calls again, with no more host
    // blocks and device references than before the failure.
    for (int scene = 0; scene < 2; ++scene) {
        // The parts of a life: Init, then for each scene its set-up, frames and tear-down.
        const size_t p = 1 + kFrames + static_cast<size_t>(scene) * (kFrames + 2);
        const size_t first = g_reference.parts[p].call, end = g_reference.parts[p + 1].call;
        std::vector<std::string> steady;
        std::vector<size_t> offsets;
        tried.clear();
        for (size_t c = first; c < end; ++c) {
            steady.push_back(g_calls[c].method);
            if (whole || tried.insert(g_calls[c].method).second) {
                offsets.push_back(c - first);
            }
        }
        size_t next = 0, frameStart = 0, logStart = 0, failing = 0;
        int blocks = 0, recovering = 0;
        unsigned long references = 0;
        const auto onFrame = [&](int s, int frame) {
            if (s != scene) {
                return false;
            }
            const std::vector<std::string> log = krtest::LogLines();
            std::vector<std::string> made;
            for (size_t c = frameStart; c < g_recorder.calls.size(); ++c) {
                made.push_back(g_recorder.calls[c].method);
            }
            IDirect3DDevice9* device = static_cast<KrD3DRenDev*>(Engine().Render())->Device();
            const unsigned long deviceReferences = (device->AddRef(), device->Release());
            SCOPED_TRACE("call " + std::to_string(failing) + " of a steady frame of scene " +
                         std::to_string(scene));
            if (failing > 0) {
                EXPECT_TRUE(g_recorder.calls[frameStart + failing - 1].injected);
                const auto at = steady.begin() + static_cast<long>(failing) - 1;
                CheckReport(first + failing - 1, true, std::find(steady.begin(), at, *at) == at,
                            {log.begin() + static_cast<long>(logStart), log.end()});
                failing = 0;
            } else if (frame >= kFrames && made != steady) {
                EXPECT_LT(++recovering, 5) << "the scene does not come back to its steady frames";
            } else if (frame >= kFrames) {
                // A reset may give back what the frames before held; a failure keeps nothing.
                EXPECT_TRUE(frame == kFrames ||
                            (krLiveBlocks() <= blocks && deviceReferences <= references))
                    << krLiveBlocks() - blocks << " host blocks more";
                blocks = krLiveBlocks();
                references = deviceReferences;
                recovering = 0;
                if (next == offsets.size()) {
                    return false;
                }
                failing = offsets[next++] + 1;
                g_recorder.FailNthCall(static_cast<long>(g_recorder.calls.size() + failing),
                                       TypicalFailure(steady[failing - 1]));
                ++failures;
            }
            frameStart = g_recorder.calls.size();
            logStart = log.size();
            return true;
        };
        faults::Live(&g_recorder, 1000000, onFrame);
        g_recorder.StopFailing();
        ++lives;
        EXPECT_EQ(next, offsets.size()) << "scene " << scene << " ended before its calls failed";
    }
    std::printf(
        "platform fault sweep: %d lives, %d failures injected (%s of the %zu calls of a "
        "life), none crashed; D3DX kept the Direct3D object in %d\n",
        lives, failures, whole ? "every one" : "each method once", g_calls.size(),
        krtest::RunningDevice::direct3DKeptByD3DX);
}
