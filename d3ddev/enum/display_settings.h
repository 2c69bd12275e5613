// The display, depth and safe-mode settings that the enumeration reads from and writes back to
// the engine's configuration, with the values assumed when a key is missing.
#pragma once

#include "startup_profile.h"

// A missing window size starts the smallest mode the enumeration keeps; a missing screen size
// starts the adapter's desktop size (the caller passes it); missing depth keys ask for a 24-bit
// Z-buffer, the depth every Direct3D 9 card of the engine's range offers.
const int kFallbackWindowWidth = 800;
const int kFallbackWindowHeight = 600;
const int kFallbackUseZBuffer = 1;
const int kFallbackUseWBuffer = 0;
const int kFallbackDepthBits = 24;
const int kFallbackSafe = 0;

// The integer `key` of `section`, or `fallback` when the configuration does not hold it.
int ReadSetting(const char* section, const char* key, int fallback);
void WriteSetting(const char* section, const char* key, int value);

// The settings written while it lives are held here and reach the configuration when it ends,
// each at its last value and only where the configuration does not hold that value already: a
// start that changes nothing leaves the file as it was, byte for byte. The engine's configuration
// takes one setting a call, so each changed setting is one call. The start-up profile counts the
// calls as the configuration's part.
class SettingsWriteBack {
  public:
    explicit SettingsWriteBack(KrStartupProfile& profile);
    ~SettingsWriteBack();
    SettingsWriteBack(const SettingsWriteBack&) = delete;
    SettingsWriteBack& operator=(const SettingsWriteBack&) = delete;

  private:
    friend void WriteSetting(const char* section, const char* key, int value);
    // The mode search writes nine settings at most, each under a name of its own.
    static const int kMaxHeld = 16;
    struct Held {
        const char* section;
        const char* key;
        int value;
    };
    bool Hold(const char* section, const char* key, int value);

    KrStartupProfile& profile_;
    SettingsWriteBack* outer_;
    Held held_[kMaxHeld];
    int count_ = 0;
};
