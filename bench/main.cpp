// krbench: the rendering device against raw Direct3D 9 on the same work. Prints one line per
// figure ("row|...") and per remark ("note|..."); tools/bench makes the table and the results file.
//
//   krbench.exe [--runs N] [--seconds S] [--tag T] [startup] [draw] [lookup] [index]
//
// With no names every benchmark runs. Run from the build's bin folder (the media root is found
// from there) under a virtual desktop.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>

#include <windows.h>

#include "bench_support.h"
#include "scenarios.h"

int main(int argc, char** argv) {
    krbench::Options options;
    std::set<std::string> wanted;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc) {
            options.runs = std::atoi(argv[++i]);
        } else if (std::strcmp(argv[i], "--tag") == 0 && i + 1 < argc) {
            krbench::ReportTag() = std::string(".") + argv[++i];
        } else if (std::strcmp(argv[i], "--seconds") == 0 && i + 1 < argc) {
            options.secondsPerRun = std::atof(argv[++i]);
        } else {
            wanted.insert(argv[i]);
        }
    }
    if (options.runs < 1 || options.secondsPerRun <= 0.0) {
        std::fprintf(stderr, "krbench: --runs needs a count of at least 1, --seconds a time\n");
        return 64;
    }
    auto runs = [&](const char* name) { return wanted.empty() || wanted.count(name) != 0; };

    // Beside the program and named after it, so that a copy run under another name keeps its own.
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string log(path);
    log = log.substr(0, log.size() > 4 ? log.size() - 4 : log.size()) + ".log";
    GLog.Open(log.c_str());

    if (runs("startup")) {
        krbench::StartUp(options);
    }
    if (runs("draw") || runs("lookup") || runs("index")) {
        krtest::RunningDevice running(nullptr, krbench::SceneIni(), krbench::kSceneWidth,
                                      krbench::kSceneHeight);
        if (!running.Start()) {
            std::fprintf(stderr, "krbench: the rendering device did not start (see %s)\n",
                         log.c_str());
            return 1;
        }
        if (runs("draw")) {
            krbench::DrawScenes(running, options);
        }
        if (runs("index")) {
            krbench::IndexStreaming(running, options);
        }
        if (runs("lookup")) {
            krbench::LookUps(running, options);
        }
        running.Stop();
    }
    GLog.Close();
    return 0;
}
