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

// The settings written while it lives reach the configuration file together, in one write when
// it ends, which the start-up profile counts as the configuration's part.
class SettingsWriteBack {
  public:
    explicit SettingsWriteBack(KrStartupProfile& profile);
    ~SettingsWriteBack();
    SettingsWriteBack(const SettingsWriteBack&) = delete;
    SettingsWriteBack& operator=(const SettingsWriteBack&) = delete;

  private:
    KrStartupProfile& profile_;
};
