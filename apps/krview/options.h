// krview's command line: what to play, for how long, and where the outputs go.
#pragma once

#include <string>

namespace krview {

struct Options {
    std::string scene = "all";  // builtins, paths, stress or all
    int frames = 240;
    std::string config = "kr.ini";
    std::string media;  // empty: the project's media set
    std::string log = "krview.log";
    std::string screenshot;
    std::string capture;
    int fullScreen = -1;  // -1: as the configuration says, 0 windowed, 1 full screen
    int width = 0;        // 0: as the configuration says
    int height = 0;
    int toggleEvery = 0;
    int resetEvery = 0;
    int objects = 200;
    int loseEvery = 0;    // give up the foreground after every N-th frame (the loss drill)
    int sampleEvery = 0;  // print a health sample every N frames
    bool help = false;
};

// Reads argv into `options`. On a bad command line returns false and sets `error` to a one-line
// message that names the option.
bool ParseOptions(int argc, char** argv, Options& options, std::string& error);

const char* UsageText();

}  // namespace krview
