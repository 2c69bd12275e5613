// Where the time of a start goes, part by part, for the benchmark. A part's time leaves out the
// parts that run inside it, so the parts add up to the whole start. Outside a start a part costs
// one test of a flag. The log's writes are taken out of every part into a part of their own when
// the process gives the profile a clock of the log's time: the engine's log offers none, and the
// plug-in takes from the engine's libraries only what the engine's interface names.
#pragma once

#include <chrono>

#include "d3ddev_api.h"

enum class StartPart {
    Direct3D,         // the Direct3D object
    Enumeration,      // adapters, modes and capabilities, and the mode search
    FormatChecks,     // back-buffer and depth formats confirmed
    ConfigWrites,     // the chosen settings written back to the configuration file
    Log,              // every line the start writes to the log
    DeviceCreation,   // CreateDevice
    DeviceSetUp,      // caps, window, back buffer, standard states and the engine's dependants
    FallbackTexture,  // the fallback texture loaded
    Shaders,          // the four built-in effectors and their shaders
    Rest,             // the managers, the engine's own start and the line buffer
    Count
};

class D3DDEV_API KrStartupProfile {
  public:
    KrStartupProfile() { Clear(); }
    // Begin clears the parts and charges time to Rest until a part is entered; End stops.
    void Begin();
    void End();
    // The seconds the log has spent writing so far, for every profile of the process; without
    // it the lines count to the part that writes them.
    // Defined in the plug-in, so that a program's call reaches the plug-in's own clock.
    static void SetLogClock(double (*logSeconds)());
    double Seconds(StartPart part) const { return seconds_[static_cast<int>(part)]; }

  private:
    friend class KrStartPartScope;
    using Clock = std::chrono::steady_clock;
    void Clear();
    static double LogSeconds();
    // Charges the time since the last switch to the current part, less the log's share.
    void Charge();
    StartPart Switch(StartPart part);

    double seconds_[static_cast<int>(StartPart::Count)];
    StartPart current_;
    Clock::time_point since_;
    double logSince_;
    bool running_;
    static double (*logClock_)();
};

// Charges the time of a scope to a part, then goes back to the part it interrupted.
class KrStartPartScope {
  public:
    KrStartPartScope(KrStartupProfile& profile, StartPart part)
        : profile_(profile), previous_(profile.running_ ? profile.Switch(part) : part) {}
    ~KrStartPartScope() {
        if (profile_.running_) {
            profile_.Switch(previous_);
        }
    }
    KrStartPartScope(const KrStartPartScope&) = delete;
    KrStartPartScope& operator=(const KrStartPartScope&) = delete;

  private:
    KrStartupProfile& profile_;
    StartPart previous_;
};
