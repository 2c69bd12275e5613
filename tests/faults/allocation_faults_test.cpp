// Every allocation of a device life made to fail in turn, in child processes of this program: an
// allocation the arrays or the list cannot do without ends the process with its line and exit
// code 1; any other failed allocation leaves a null or false result and a life that goes on to
// its Exit and deletion with every host block given back.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "child_process.h"
#include "device_life.h"
#include "kr_test_support.h"

namespace {

using faults::LifeOptions;
using faults::LifeOutcome;
using faults::Mark;
using faults::Part;

// One failure the sweep makes: allocation `index` of a life on one of the two roads (kind 0: no
// builtins frame, two paths frames; kind 1: two frames of each), or allocation `index` of a
// steady frame of scene `kind - 2`, in the long life of that scene.
struct Entry {
    int kind;
    long long index;
};

// The first frame of each scene from which on every frame makes as many allocations, as the
// parent found it; the roads play one frame more.
int g_firstSteady[2] = {1, 1};
int RoadFrames(int kind, int scene) {
    return kind == 0 && scene == 0 ? 0 : g_firstSteady[scene] + 2;
}
const size_t kStride = 8;

// The lines the arrays and the list end the process with when memory runs out.
bool IsOutOfMemoryLine(const std::string& line) {
    for (const char* text : {"extra elements of size", "during TDArray copy constructor",
                             "during TDArray::operator=", "during TSArray construction",
                             "for new node in doubly linked list"}) {
        if (line.find(text) != std::string::npos &&
            line.find("Failed to allocate") != std::string::npos) {
            return true;
        }
    }
    return false;
}

std::string Argument(const char* name) {
    const std::string line = GetCommandLineA();
    const std::string key = std::string("--") + name + "=";
    const size_t at = line.find(key);
    if (at == std::string::npos) {
        return "";
    }
    const size_t start = at + key.size();
    const size_t end = line.find(' ', start);
    return line.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

std::vector<std::string> Lines(const std::string& path) {
    std::vector<std::string> lines;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(line);
    }
    return lines;
}

// What a child tells its parent, one line at a time, flushed at once so that nothing is lost
// when the process ends.
class Report {
  public:
    explicit Report(const std::string& path) : file_(std::fopen(path.c_str(), "a")) {}
    ~Report() {
        if (file_ != nullptr) {
            std::fclose(file_);
        }
    }
    void Say(const std::string& line) {
        if (file_ != nullptr) {
            std::fprintf(file_, "%s\n", line.c_str());
            std::fflush(file_);
        }
    }

  private:
    FILE* file_;
};

std::string EndProblems(const LifeOutcome& life) {
    std::string wrong;
    if (life.blocksAfter != life.blocksBefore) {
        wrong += " " + std::to_string(life.blocksAfter - life.blocksBefore) + " host blocks left;";
    }
    if (life.deviceCount > 0 || life.direct3DCount > 0) {
        wrong += " last Release of the device " + std::to_string(life.deviceCount) +
                 ", of Direct3D " + std::to_string(life.direct3DCount) + ";";
    }
    if (life.created) {
        const size_t released = static_cast<size_t>(
            std::count(life.log.begin(), life.log.end(),
                       std::string("Rendering device and resources safely released")));
        if (released != 1 || life.log.back() != "\nRendering device requesting exit") {
            wrong += " the life did not end with Exit and deletion;";
        }
    }
    return wrong;
}

// The allocations of each frame of each scene in a life.
struct Counted {
    std::vector<Mark> marks;
    LifeOutcome outcome;
    long long End(size_t part) const {
        return part + 1 < marks.size() ? marks[part + 1].allocations
                                       : marks[0].allocations + outcome.allocations;
    }
    std::vector<long long> Frames(int scene) const {
        std::vector<long long> counts;
        for (size_t i = 0; i < marks.size(); ++i) {
            if (marks[i].part == Part::Frame && marks[i].scene == scene) {
                counts.push_back(End(i) - marks[i].allocations);
            }
        }
        return counts;
    }
};

Counted Count(faults::LifeStage& stage, int builtinsFrames, int pathsFrames) {
    Counted life;
    LifeOptions options;
    options.frames[0] = builtinsFrames;
    options.frames[1] = pathsFrames;
    options.onPart = [&](const Mark& mark) { life.marks.push_back(mark); };
    life.outcome = stage.Live(options);
    return life;
}

// The child: runs the entries of the plan from `from` on, one after the other.
void RunEntries(const std::vector<Entry>& plan, size_t from, Report& report) {
    faults::LifeStage stage(nullptr);
    // The first frame of the process builds an effector no later life builds again.
    Count(stage, 0, 1);
    const long long steady[2] = {std::atoll(Argument("allocation-steady-builtins").c_str()),
                                 std::atoll(Argument("allocation-steady-paths").c_str())};

    size_t position = from;
    while (position < plan.size()) {
        const Entry entry = plan[position];
        if (entry.kind < 2) {
            const long long n = entry.index;
            long long lifeStart = 0;
            bool failedBeforeFrame = false;
            LifeOptions options;
            options.frames[0] = RoadFrames(entry.kind, 0);
            options.frames[1] = RoadFrames(entry.kind, 1);
            options.onPart = [&](const Mark& mark) {
                if (mark.part == Part::Start) {
                    lifeStart = mark.allocations;
                }
                if (mark.part == Part::Frame) {
                    failedBeforeFrame = mark.allocations - lifeStart > n;
                }
            };
            options.enoughFrames = [&] { return failedBeforeFrame; };
            report.Say("start " + std::to_string(position));
            const LifeOutcome life = stage.Live(options, [&] { krFailAllocationAfter(n + 1); });
            const std::string wrong = EndProblems(life);
            report.Say((wrong.empty() ? "ok " : "bad ") + std::to_string(position) + wrong);
            ++position;
            continue;
        }

        // The long life of a scene: one failure a frame, each followed by clean frames until the
        // scene is back to its steady allocations and host blocks.
        const int scene = entry.kind - 2;
        long long frameStart = 0;
        int baseline = 0;
        bool armed = false;
        long pending = -1;  // the entry whose failure the scene is coming back from
        int cleanFrames = 0;
        bool done = false;
        LifeOptions options;
        options.frames[0] = scene == 0 ? 1000000 : 0;
        options.frames[1] = scene == 1 ? 1000000 : 0;
        options.onPart = [&](const Mark& mark) {
            if (mark.part != Part::Frame || mark.scene != scene) {
                return;
            }
            const long long made = mark.allocations - frameStart;
            frameStart = mark.allocations;
            if (mark.frame == g_firstSteady[scene] + 1) {
                baseline = krLiveBlocks();
            }
            if (armed) {
                armed = false;
                cleanFrames = 0;
                return;
            }
            if (mark.frame < g_firstSteady[scene] + 2) {
                return;
            }
            ++cleanFrames;
            if (made == steady[scene] && krLiveBlocks() == baseline) {
                if (pending >= 0) {
                    report.Say("ok " + std::to_string(pending));
                    pending = -1;
                }
                if (position >= plan.size() || plan[position].kind != entry.kind) {
                    done = true;
                    return;
                }
                report.Say("start " + std::to_string(position));
                krFailAllocationAfter(plan[position].index + 1);
                pending = static_cast<long>(position);
                ++position;
                armed = true;
            } else if (cleanFrames > 5) {
                report.Say("bad " + std::to_string(pending) + " " +
                           std::to_string(krLiveBlocks() - baseline) +
                           " host blocks more, or other allocations, five frames later");
                pending = -1;
                baseline = krLiveBlocks();
                cleanFrames = 0;
            }
        };
        options.sceneDone = [&](int) { return done; };
        const size_t first = position;
        const LifeOutcome life = stage.Live(options);
        if (position == first) {
            report.Say("bad " + std::to_string(position) + " the scene played no steady frame");
            ++position;
        }
        const std::string wrong = EndProblems(life);
        if (!wrong.empty()) {
            report.Say("bad " + std::to_string(position - 1) + wrong);
        } else if (pending >= 0) {
            report.Say("ok " + std::to_string(pending));
        }
    }
    report.Say("end");
}

TEST(AllocationFaults, DISABLED_LivesOfAChild) {
    const std::string planPath = Argument("allocation-plan");
    const std::string reportPath = Argument("allocation-report");
    ASSERT_FALSE(planPath.empty() || reportPath.empty());
    std::vector<Entry> plan;
    for (const std::string& line : Lines(planPath)) {
        Entry entry{};
        if (std::sscanf(line.c_str(), "%d %lld", &entry.kind, &entry.index) == 2) {
            plan.push_back(entry);
        }
    }
    std::sscanf(Argument("allocation-settling").c_str(), "%d,%d", &g_firstSteady[0],
                &g_firstSteady[1]);
    GLog.Open(Argument("allocation-log").c_str());
    Report report(reportPath);
    RunEntries(plan, static_cast<size_t>(std::atol(Argument("allocation-from").c_str())), report);
    GLog.Close();
}

// Starts this program as a child running the plan from `from`; returns its exit code, or -1 when
// it stopped reporting and was ended.
long RunChild(const std::string& plan, size_t from, const long long steady[2],
              const std::string& report, const std::string& log, const std::string& output) {
    char program[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, program, MAX_PATH);
    std::string command = std::string("\"") + program +
                          "\" --gtest_also_run_disabled_tests "
                          "--gtest_filter=AllocationFaults.DISABLED_LivesOfAChild "
                          "--allocation-plan=" +
                          plan + " --allocation-from=" + std::to_string(from) +
                          " --allocation-report=" + report + " --allocation-log=" + log +
                          " --allocation-steady-builtins=" + std::to_string(steady[0]) +
                          " --allocation-steady-paths=" + std::to_string(steady[1]) +
                          " --allocation-settling=" + std::to_string(g_firstSteady[0]) + "," +
                          std::to_string(g_firstSteady[1]);
    krtest::ChildProcess child;
    if (!child.Start(command, output)) {
        return -2;
    }
    // A child that reports nothing for a minute is taken to hang.
    size_t reported = Lines(report).size();
    int quiet = 0;
    while (!child.Wait(5000)) {
        const size_t now = Lines(report).size();
        quiet = now == reported ? quiet + 1 : 0;
        reported = now;
        if (quiet >= 12) {
            child.Terminate(0xDEAD);
            break;
        }
    }
    const DWORD code = child.ExitCode();
    return quiet >= 12 ? -1 : static_cast<long>(code);
}

TEST(AllocationFaults, EveryAllocationOfALifeMayFail) {
    auto clock = std::chrono::steady_clock::now();
    std::string folder;
    std::vector<Entry> plan;
    long long wholeAllocations = 0;
    size_t outside = 0, firstFrames[2] = {0, 0};
    long long steadyFrames[2] = {0, 0};
    {
        faults::LifeStage stage(nullptr);
        folder = stage.StartFolder();
        Count(stage, 0, 1);
        const Counted whole = Count(stage, 30, 30);
        ASSERT_TRUE(whole.outcome.started);
        ASSERT_EQ(EndProblems(whole.outcome), "");
        wholeAllocations = whole.outcome.allocations;
        for (int scene = 0; scene < 2; ++scene) {
            const std::vector<long long> frames = whole.Frames(scene);
            ASSERT_EQ(frames.size(), 30u);
            int first = 29;
            while (first > 0 && frames[static_cast<size_t>(first - 1)] == frames[29]) {
                --first;
            }
            ASSERT_LE(first, 5) << "scene " << scene << " settles only at frame " << first + 1;
            g_firstSteady[scene] = first;
            steadyFrames[scene] = frames[29];
        }
        const Counted road = Count(stage, RoadFrames(0, 0), RoadFrames(0, 1));
        const Counted builtinsRoad = Count(stage, RoadFrames(1, 0), RoadFrames(1, 1));
        for (size_t i = 0; i < road.marks.size(); ++i) {
            const Mark& mark = road.marks[i];
            if (mark.part == Part::Frame && mark.frame >= g_firstSteady[1]) {
                continue;
            }
            for (long long a = mark.allocations; a < road.End(i); ++a) {
                plan.push_back({0, a - road.marks[0].allocations});
                if (mark.part == Part::Frame) {
                    ++firstFrames[1];
                } else {
                    ++outside;
                }
            }
        }
        for (size_t i = 0; i < builtinsRoad.marks.size(); ++i) {
            const Mark& mark = builtinsRoad.marks[i];
            if (mark.part == Part::Frame && mark.scene == 0 && mark.frame < g_firstSteady[0]) {
                for (long long a = mark.allocations; a < builtinsRoad.End(i); ++a) {
                    plan.push_back({1, a - builtinsRoad.marks[0].allocations});
                    ++firstFrames[0];
                }
            }
        }
        for (int scene = 0; scene < 2; ++scene) {
            for (long long a = 0; a < steadyFrames[scene]; ++a) {
                plan.push_back({2 + scene, a});
            }
        }
    }
    // Unless every allocation is asked for, the lives that fail one allocation each take every
    // eighth of them and the last: each such life costs a second of Direct3D start-up, and
    // each that ends the process another for the next child's start.
    const bool everyAllocation = std::getenv("KR_FAULTS_EVERY_ALLOCATION") != nullptr;
    const size_t candidates = plan.size();
    if (!everyAllocation) {
        std::vector<Entry> sampled;
        size_t oneByOne = 0;
        for (const Entry& entry : plan) {
            oneByOne += entry.kind < 2 ? 1 : 0;
        }
        size_t seen = 0;
        for (const Entry& entry : plan) {
            if (entry.kind >= 2 || seen % kStride == 0 || seen + 1 == oneByOne) {
                sampled.push_back(entry);
            }
            seen += entry.kind < 2 ? 1 : 0;
        }
        plan = sampled;
    }
    if (const char* limit = std::getenv("KR_FAULTS_ALLOCATIONS")) {
        plan.resize(std::min(plan.size(), static_cast<size_t>(std::atol(limit))));
    }

    const std::string planPath = folder + "\\faults_allocation_plan.txt";
    const std::string reportPath = folder + "\\faults_allocation_report.txt";
    const std::string logPath = folder + "\\faults_allocation_log.txt";
    const std::string outputPath = folder + "\\faults_allocation_child.txt";
    {
        std::ofstream out(planPath);
        for (const Entry& entry : plan) {
            out << entry.kind << " " << entry.index << "\n";
        }
    }
    int children = 0;
    int endedWithTheirLine = 0;
    int survived = 0;
    std::vector<std::string> problems;
    size_t from = 0;
    while (from < plan.size()) {
        DeleteFileA(reportPath.c_str());
        const long code = RunChild(planPath, from, steadyFrames, reportPath, logPath, outputPath);
        ++children;
        const std::vector<std::string> report = Lines(reportPath);
        long last = -1;
        bool ended = false;
        for (const std::string& line : report) {
            long position = -1;
            char rest[512] = {};
            if (std::sscanf(line.c_str(), "start %ld", &position) == 1) {
                last = position;
            } else if (std::sscanf(line.c_str(), "ok %ld", &position) == 1) {
                ++survived;
            } else if (std::sscanf(line.c_str(), "bad %ld%511[^\n]", &position, rest) >= 1) {
                problems.push_back("allocation " + std::to_string(plan[position].index + 1) +
                                   " (kind " + std::to_string(plan[position].kind) + "):" + rest);
            } else if (line == "end") {
                ended = true;
            }
        }
        if (ended && code == 0) {
            break;
        }
        if (last < 0) {
            problems.push_back("a child started at " + std::to_string(from) + " ended with code " +
                               std::to_string(code) +
                               " before any life: " + krtest::ReadFile(outputPath).substr(0, 400));
            break;
        }
        const Entry& entry = plan[static_cast<size_t>(last)];
        const std::vector<std::string> log = Lines(logPath);
        if (code == 1 && !log.empty() && IsOutOfMemoryLine(log.back())) {
            ++endedWithTheirLine;
        } else {
            std::ostringstream problem;
            problem << "allocation " << entry.index + 1 << " (kind " << entry.kind
                    << "): the child ended with code 0x" << std::hex << code << std::dec
                    << ", last log line \"" << (log.empty() ? "" : log.back()) << "\"";
            problems.push_back(problem.str());
        }
        from = static_cast<size_t>(last) + 1;
    }
    for (size_t i = 0; i < problems.size() && i < 40; ++i) {
        ADD_FAILURE() << problems[i];
    }
    EXPECT_EQ(problems.size(), 0u);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - clock).count();
    std::printf(
        "allocation fault sweep: %zu allocations failed, %d of them ended the process with the "
        "arrays' or the list's line and exit code 1, %d left a null or false result and a life "
        "that ended cleanly; %d child processes, %.0f s\n"
        "  a whole life makes %lld allocations: %zu outside the frames, %zu in the builtins "
        "frames before frame %d, %zu in the paths frames before frame %d (on the sweep's road), "
        "%lld and %lld in each frame of the two scenes from there on. Of the %zu outside the "
        "frames and in the frames before the steady ones, %s, one by one in lives of their "
        "own; every allocation of a steady frame of each scene failed, one a frame, in a long "
        "life of the scene.\n",
        plan.size(), endedWithTheirLine, survived, children, seconds, wholeAllocations, outside,
        firstFrames[0], g_firstSteady[0] + 1, firstFrames[1], g_firstSteady[1] + 1, steadyFrames[0],
        steadyFrames[1], candidates - static_cast<size_t>(steadyFrames[0] + steadyFrames[1]),
        everyAllocation ? "every one failed"
                        : "every eighth (the first included) and the last failed (every one with "
                          "KR_FAULTS_EVERY_ALLOCATION set)");
    std::fflush(stdout);
    DeleteFileA(planPath.c_str());
    DeleteFileA(reportPath.c_str());
    DeleteFileA(logPath.c_str());
    DeleteFileA(outputPath.c_str());
}

}  // namespace
