// Parsing of krview's command line. Every refusal names the option it refuses.
#include "options.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace krview {
namespace {

bool ParseCount(const char* text, int minimum, int& value) {
    if (text == nullptr || *text == '\0') {
        return false;
    }
    errno = 0;
    char* end = nullptr;
    long parsed = std::strtol(text, &end, 10);
    if (errno != 0 || *end != '\0' || parsed < minimum || parsed > 100000000L) {
        return false;
    }
    value = static_cast<int>(parsed);
    return true;
}

bool ParseSize(const char* text, int& width, int& height) {
    const char* x = std::strchr(text, 'x');
    if (x == nullptr) {
        return false;
    }
    std::string w(text, x);
    return ParseCount(w.c_str(), 1, width) && ParseCount(x + 1, 1, height) && width <= 16384 &&
           height <= 16384;
}

}  // namespace

bool ParseOptions(int argc, char** argv, Options& options, std::string& error) {
    for (int i = 1; i < argc; ++i) {
        std::string name = argv[i];
        // Options with a value take it from the next argument or after an equals sign.
        const char* value = nullptr;
        size_t equals = name.find('=');
        std::string inlineValue;
        if (equals != std::string::npos && name.compare(0, 2, "--") == 0) {
            inlineValue = name.substr(equals + 1);
            name = name.substr(0, equals);
            value = inlineValue.c_str();
        }
        auto needValue = [&]() -> const char* {
            if (value != nullptr) {
                return value;
            }
            if (i + 1 < argc) {
                return argv[++i];
            }
            error = "krview: option " + name + " needs a value";
            return nullptr;
        };
        auto bad = [&](const char* what) {
            error =
                "krview: option " + name + ": " + what + " (got '" + (value ? value : "") + "')";
            return false;
        };
        if (name == "--help" || name == "-h") {
            options.help = true;
        } else if (name == "--windowed") {
            options.fullScreen = 0;
        } else if (name == "--fullscreen") {
            options.fullScreen = 1;
        } else if (name == "--scene" || name == "--frames" || name == "--config" ||
                   name == "--media" || name == "--log" || name == "--screenshot" ||
                   name == "--size" || name == "--toggle-every" || name == "--reset-every" ||
                   name == "--objects" || name == "--capture" || name == "--lose-every" ||
                   name == "--sample-every") {
            value = needValue();
            if (value == nullptr) {
                return false;
            }
            if (name == "--scene") {
                std::string scene = value;
                if (scene != "builtins" && scene != "paths" && scene != "stress" &&
                    scene != "all") {
                    return bad("expected builtins, paths, stress or all");
                }
                options.scene = scene;
            } else if (name == "--frames") {
                if (!ParseCount(value, 1, options.frames))
                    return bad("expected a frame count of at least 1");
            } else if (name == "--toggle-every") {
                if (!ParseCount(value, 1, options.toggleEvery))
                    return bad("expected a frame count of at least 1");
            } else if (name == "--reset-every") {
                if (!ParseCount(value, 1, options.resetEvery))
                    return bad("expected a frame count of at least 1");
            } else if (name == "--lose-every") {
                if (!ParseCount(value, 2, options.loseEvery))
                    return bad("expected a frame count of at least 2");
            } else if (name == "--sample-every") {
                if (!ParseCount(value, 1, options.sampleEvery))
                    return bad("expected a frame count of at least 1");
            } else if (name == "--objects") {
                if (!ParseCount(value, 1, options.objects) || options.objects > 100000) {
                    return bad("expected an object count from 1 to 100000");
                }
            } else if (name == "--size") {
                if (!ParseSize(value, options.width, options.height))
                    return bad("expected WIDTHxHEIGHT");
            } else if (*value == '\0') {
                return bad("expected a file or folder name");
            } else if (name == "--config") {
                options.config = value;
            } else if (name == "--media") {
                options.media = value;
            } else if (name == "--log") {
                options.log = value;
            } else if (name == "--screenshot") {
                options.screenshot = value;
            } else {
                options.capture = value;
            }
        } else {
            error = "krview: unknown option " + name + " (try --help)";
            return false;
        }
        if (value != nullptr && equals != std::string::npos &&
            (name == "--help" || name == "--windowed" || name == "--fullscreen")) {
            error = "krview: option " + name + " takes no value";
            return false;
        }
    }
    return true;
}

const char* UsageText() {
    return "usage: krview [options]\n"
           "  --scene builtins|paths|stress|all  what to play (default all: each scene in turn)\n"
           "  --frames N          frames per scene (default 240)\n"
           "  --config FILE       engine configuration (default kr.ini, created when absent)\n"
           "  --media DIR         media root, made the current folder (default: the media\n"
           "                      folder beside krview.exe, else the current folder when it\n"
           "                      holds the textures, else the source tree's media)\n"
           "  --log FILE          engine log (default krview.log)\n"
           "  --screenshot FILE   the device's screenshot of the last frame (a bitmap)\n"
           "  --capture FILE      PNG of the window as the screen shows it, per scene\n"
           "  --windowed | --fullscreen   presentation to start with\n"
           "  --size WxH          wanted size of that presentation\n"
           "  --toggle-every N    switch window/full screen every N frames\n"
           "  --reset-every N     reset the device every N frames\n"
           "  --objects N         objects of the stress scene (default 200)\n"
           "  --lose-every N      give up the foreground after every N-th frame and take it\n"
           "                      back, checking each recovery of a full-screen device\n"
           "  --sample-every N    print live blocks, references and log lines every N frames\n"
           "  --help              this text\n"
           "exit codes: 0 done, 1 a scene or a loss drill check failed, 2 the device could not\n"
           "start (or D3DDev.dll is not beside krview.exe), 64 bad command line, 70 krview\n"
           "crashed (one CRASH line on standard error and in the log says where)\n";
}

}  // namespace krview
