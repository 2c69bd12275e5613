#include "startup_profile.h"

double (*KrStartupProfile::logClock_)() = nullptr;

void KrStartupProfile::SetLogClock(double (*logSeconds)()) {
    logClock_ = logSeconds;
}

double KrStartupProfile::LogSeconds() {
    return logClock_ != nullptr ? logClock_() : 0.0;
}

void KrStartupProfile::Clear() {
    for (double& part : seconds_) {
        part = 0.0;
    }
    current_ = StartPart::Rest;
    since_ = Clock::time_point();
    logSince_ = 0.0;
    running_ = false;
}

void KrStartupProfile::Begin() {
    Clear();
    running_ = true;
    since_ = Clock::now();
    logSince_ = LogSeconds();
}

void KrStartupProfile::End() {
    if (running_) {
        Charge();
        running_ = false;
    }
}

void KrStartupProfile::Charge() {
    const Clock::time_point now = Clock::now();
    const double log = LogSeconds();
    const double logged = log - logSince_;
    seconds_[static_cast<int>(current_)] +=
        std::chrono::duration<double>(now - since_).count() - logged;
    seconds_[static_cast<int>(StartPart::Log)] += logged;
    since_ = now;
    logSince_ = log;
}

StartPart KrStartupProfile::Switch(StartPart part) {
    Charge();
    const StartPart previous = current_;
    current_ = part;
    return previous;
}
